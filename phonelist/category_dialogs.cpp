#include "phonelist/category_dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <climits>
#include <cstring>

#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "data/phone/dpphone.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_settings.h"
#include "storage/errors.h"
#include "storage/records/cat.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace cx = records::cat::x1;

namespace {

constexpr QSize kListSize(240, 240);
constexpr const char* kNoEntry = "No entry selected.";

}  // namespace

// ---- The list ----

TCategoryList::TCategoryList(QWidget* parent, const QRect& rect, CategoryTable& cats, int32_t list,
                             const CategorySet* set)
    : TDBList(
          parent, rect, kId, cats.table,
          [list](const uint8_t* entry) { return FieldI32(entry, cx::kList) == list ? 1 : -1; },
          false),
      list_(list),
      set_(set) {
  if (SeekPosition(0)) Refresh(0, -1);
}

int TCategoryList::Seek(const std::string& name) {
  uint8_t key[kEntryBufferSize] = {};
  SetFieldI32(key, cx::kList, list_);
  SetFieldText(key, cx::kName, name.c_str());
  int exact = 0;
  if (!Find(key, &exact)) return 0;
  if (DbPositionState(table_) != kPosEnd &&
      FieldI32(table_.Current().currentEntry, cx::kList) == list_)
    return 1;
  // Past the list's last category: back onto it.
  return DbPositionState(table_) == kPosEnd ? Last() : Prev();
}

int TCategoryList::ScrollPosition(const uint8_t* entry) {
  return PhoneScrollPosition(entry[cx::kName.offset]);
}

int TCategoryList::SeekPosition(int position) {
  if (position <= 0) return Seek("");
  if (position >= kLastPosition) {
    // The last name of the list: the highest initial there is.
    if (!Seek("\xFF")) return 0;
    return 1;
  }
  return Seek(std::string(1, char(64 + position)));
}

bool TCategoryList::DrawEntry(QPainter& painter, const QRect& row, const uint8_t* entry, bool) {
  const QString name =
      "      " + FromRecordText(reinterpret_cast<const char*>(entry) + cx::kName.offset,
                                size_t(cx::kName.width));
  const bool marked = set_ && set_->Contains(FieldI32(entry, cx::kNumber));
  painter.drawText(row.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, name);
  return marked;
}

int TCategoryList::SearchText(const std::string& text) {
  if (!Seek(text)) return 0;
  if (DbPositionState(table_) == kPosEnd) return Refresh(0, -1);
  const uint8_t* at = table_.Current().currentEntry;
  const bool begins =
      FieldI32(at, cx::kList) == list_ && NameBeginsWith(FieldText(at, cx::kName), text);
  if (!begins) return Refresh(0, -1);
  return Refresh(0, 0);
}

void TCategoryList::ActOnEntry(const uint8_t*) {
  if (onAct) onAct();
}

bool TCategoryList::Selected(CategoryEntry* entry) const {
  const int row = SelectedRow();
  if (row < 0) return false;
  std::memcpy(entry->bytes, EntryOfRow(row), sizeof entry->bytes);
  return true;
}

// ---- The dialogs ----

TCategoryDialog::TCategoryDialog(QWidget* owner, int32_t entryNumber)
    : TBaseDialog(owner, "Categories"), entryNumber_(entryNumber), set_(&own_) {
  setProperty("helpAnchor", "phone-categories");
  if (!OpenTables(true)) return;
  // The entry's categories, 255 at most.
  if (!CategoryLoadSet(links_, entryNumber_, set_)) {
    ShowError();
    return;
  }
  ready_ = true;
  Build(false);
}

TCategoryDialog::TCategoryDialog(QWidget* owner, CategorySet* selection)
    : TBaseDialog(owner, "Categories"), set_(selection), selectionOnly_(true) {
  setProperty("helpAnchor", "phone-categories");
  if (!OpenTables(false)) return;
  ready_ = true;
  Build(true);
}

TCategoryDialog::~TCategoryDialog() {
  delete list_;
  list_ = nullptr;
  if (links_.open) AssignmentClose(links_);
  if (cats_.open) CategoryClose(cats_);
}

bool TCategoryDialog::OpenTables(bool assignments) {
  if (!CategoryOpen(cats_) || (assignments && !AssignmentOpen(links_))) {
    ShowError();
    return false;
  }
  return true;
}

void TCategoryDialog::Build(bool selectionOnly) {
  auto* grid = new QGridLayout(this);
  // The field comes before the list, whose list box carries the id 101
  // inside it.
  search_ = new QLineEdit(this);
  SetControlId(search_, kIdSearch);
  search_->setMaxLength(kMaxCategoryNameLength);
  search_->setValidator(new Cp1252Validator(false, search_));
  auto* label = new QLabel("&Search:", this);
  label->setBuddy(search_);
  grid->addWidget(label, 0, 0);
  grid->addWidget(search_, 1, 0);
  auto* frame = new QWidget(this);
  SetControlId(frame, kIdFrame);
  frame->setFixedSize(kListSize);
  grid->addWidget(frame, 2, 0);
  list_ = new TCategoryList(frame, QRect(QPoint(0, 0), kListSize), cats_, PhoneCurrentList().number,
                            set_);
  list_->setAccessibleName("Categories");
  list_->ListBox()->setAccessibleName("Categories");
  auto* buttons = new QVBoxLayout;
  grid->addLayout(buttons, 0, 1, 3, 1);
  const auto button = [this, buttons](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    SetControlId(b, id);
    buttons->addWidget(b);
    return b;
  };
  if (selectionOnly) {
    QPushButton* ok = button("OK", kIdOk);
    connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
  } else {
    connect(button("&Add", kIdAdd), &QPushButton::clicked, this, [this] { Add(); });
    connect(button("&Edit", kIdEdit), &QPushButton::clicked, this, [this] { Edit(); });
    connect(button("&Delete", kIdDelete), &QPushButton::clicked, this, [this] { Delete(); });
    connect(button("Close", kIdClose), &QPushButton::clicked, this, [this] { CloseWith(1); });
  }
  buttons->addStretch();

  connect(search_, &QLineEdit::textChanged, this, [this] {
    if (!list_->SearchText(ToCp1252(search_->text()))) ShowError();
  });
  connect(list_, &TDBList::Notify, this, [this](int code) {
    if (code == kListDoubleClick) Choose();
  });
  list_->onAct = [this] { Choose(); };
  NameControlsByLabels(this);
  search_->setFocus();
}

void TCategoryDialog::Choose() {
  CategoryEntry entry;
  if (!list_->Selected(&entry)) return;
  const int32_t category = entry.Number();
  if (selectionOnly_) {
    // A search's or report's choice: the set alone; a full set takes no more.
    if (set_->Contains(category)) {
      set_->Remove(category);
    } else {
      set_->Add(category);
    }
  } else if (!CategoryToggle(links_, entryNumber_, category, set_)) {
    // A full set takes no more; anything else is the engine's to say.
    if (AppErrorCode() == kAppMaxRecords) {
      ClearAppError();
    } else {
      ShowError();
    }
  }
  list_->ListBox()->update();
}

void TCategoryDialog::Add() {
  TCategoryNameDialog dialog(this, "Add new category", "&New category:", std::string());
  if (RunPhoneDialog(dialog) != 1) return;
  if (!CategoryAdd(cats_, PhoneCurrentList().number, dialog.Name())) {
    // A name the list has already: nothing to add.
    if (AppErrorCode() == kAppDuplicate) {
      ClearAppError();
    } else {
      ShowError();
    }
    return;
  }
  if (!list_->SearchText(dialog.Name())) ShowError();
}

void TCategoryDialog::Edit() {
  CategoryEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform(kNoEntry, "Edit");
    return;
  }
  TCategoryNameDialog dialog(this, "Edit category name", "&Category:", entry.Name());
  if (RunPhoneDialog(dialog) != 1) return;
  if (!CategoryRename(cats_, PhoneCurrentList().number, entry.Name(), dialog.Name())) {
    if (AppErrorCode() == kAppDuplicate) {
      ClearAppError();
      Prompter().Inform("Category name already exists.");
    } else {
      ShowError();
    }
    return;
  }
  if (!list_->SearchText(dialog.Name())) ShowError();
}

void TCategoryDialog::Delete() {
  CategoryEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform(kNoEntry, "Delete");
    return;
  }
  if (!Prompter().AskYesNo("Are you sure?")) return;
  const int row = list_->SelectedRow();
  if (!CategoryDelete(cats_, PhoneCurrentList().number, entry.Name())) ShowError();
  // The list keeps its place: from the first row of the page as it was.
  uint8_t first[kEntryBufferSize] = {};
  std::memcpy(first, list_->EntryOfRow(0), size_t(list_->EntryLength()));
  int exact = 0;
  if (!DbFind(cats_.table, first, &exact)) ShowError();
  list_->Refresh(0, row);
}

TCategoryNameDialog::TCategoryNameDialog(QWidget* owner, const QString& caption,
                                         const QString& label, const std::string& initial)
    : TBaseDialog(owner, caption) {
  setProperty("helpAnchor", "phone-categories");
  std::strncpy(name_, initial.c_str(), sizeof name_ - 1);
  FormBuilder form(this);
  form.Edit(label, kIdName, kMaxCategoryNameLength);
  Bind<TEditControl>(kIdName, name_, sizeof name_, PhoneSettings().allCaps);
  form.OkCancel(this);
  NameControlsByLabels(this);
}

void TCategoryNameDialog::Ok() {
  if (!TransferOut()) return;
  if (std::string(name_).find_first_not_of(' ') == std::string::npos) {
    Prompter().Inform("Please enter Category.");
    return;
  }
  CloseWith(1);
}

std::string TCategoryNameDialog::Name() const {
  return name_;
}

void EditEntryCategories(QWidget* owner, int32_t entryNumber) {
  TCategoryDialog dialog(owner, entryNumber);
  if (dialog.Ready()) RunPhoneDialog(dialog);
}

void SelectCategories(QWidget* owner, CategorySet* set) {
  TCategoryDialog dialog(owner, set);
  if (dialog.Ready()) RunPhoneDialog(dialog);
}
