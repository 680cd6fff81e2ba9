#include "phonelist/phone_list_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include "data/office/dpmain.h"
#include "data/phone/phone_address.h"
#include "phonelist/category_dialogs.h"
#include "phonelist/phone_detail.h"
#include "phonelist/phone_dialer.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_info_dialog.h"
#include "phonelist/phone_list_view.h"
#include "phonelist/phone_settings.h"
#include "phonelist/phone_transfer_window.h"
#include "phonelist/phone_walks.h"
#include "storage/errors.h"
#include "toolkit/control_id.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr const char* kNoEntry = "No entry selected.";
constexpr const char* kPasteNotice = "Address copied; paste it with Ctrl+V.";
constexpr QSize kListSize(300, 300);

}  // namespace

// Counts a modal child for the time it is open.
class TPhoneListClass::BusyScope {
 public:
  explicit BusyScope(TPhoneListClass* w) : w_(w) { ++w_->busy_; }
  ~BusyScope() { --w_->busy_; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  TPhoneListClass* w_;
};

QString PhoneListTitle() {
  return QString("PhoneList (%1)").arg(FromCp1252(PhoneCurrentList().name));
}

TPhoneListClass::TPhoneListClass(QWidget* owner) : TBaseDialog(owner, PhoneListTitle()) {
  setProperty("helpAnchor", "phone-list");
  setWindowFlag(Qt::WindowMinMaxButtonsHint);
  if (!PhoneOpen(phones_)) {
    ShowError();
    return;
  }
  ready_ = true;
  Build();
}

TPhoneListClass::~TPhoneListClass() {
  // The list reads the table: it goes first.
  if (list_) {
    list_->disconnect(this);
    delete list_;
    list_ = nullptr;
  }
  if (phones_.open) PhoneClose(phones_);
}

void TPhoneListClass::Build() {
  auto* grid = new QGridLayout(this);
  find_ = new QLineEdit(this);
  SetControlId(find_, kIdFind);
  find_->setMaxLength(kFindLength);
  find_->setValidator(new Cp1252Validator(false, find_));
  find_->installEventFilter(this);
  auto* findLabel = new QLabel("&Find:", this);
  findLabel->setBuddy(find_);
  auto* findRow = new QHBoxLayout;
  findRow->addWidget(findLabel);
  findRow->addWidget(find_, 1);
  grid->addLayout(findRow, 0, 0, 1, 2);

  // The pane and its button come before the list, whose own list box and
  // scroll bar carry the ids 101 and 102 inside it.
  pane_ = new QPlainTextEdit(this);
  SetControlId(pane_, kIdPane);
  pane_->setReadOnly(true);
  pane_->setAccessibleName("Detail");
  pane_->setMinimumWidth(240);
  pane_->setTabStopDistance(pane_->fontMetrics().horizontalAdvance(QString(6, 'x')));
  auto* buttons = new QVBoxLayout;
  const auto button = [this, buttons](const QString& text, int id, void (TPhoneListClass::*act)()) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    SetControlId(b, id);
    buttons->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, act] { (this->*act)(); });
    return b;
  };
  paneButton_ = new QPushButton("&>>", this);
  SetControlId(paneButton_, kIdPaneButton);
  paneButton_->setAutoDefault(false);
  paneButton_->setAccessibleName("Details");
  connect(paneButton_, &QPushButton::clicked, this, [this] { ShowPane(!paneShown_); });

  list_ =
      new TPhoneListView(this, QRect(QPoint(0, 0), kListSize), phones_, PhoneCurrentList().number);
  list_->setMinimumSize(kListSize);
  list_->setAccessibleName("PhoneList");
  list_->ListBox()->setAccessibleName("PhoneList");
  grid->addWidget(list_, 1, 0);
  grid->addWidget(pane_, 1, 1);
  grid->setColumnStretch(0, 1);
  grid->setRowStretch(1, 1);

  button("&Info", kIdInfo, &TPhoneListClass::Info)->setDefault(false);
  dial_ = button("&Dial", kIdDial, &TPhoneListClass::Dial);
  cat_ = button("&Cat", kIdCat, &TPhoneListClass::Categories);
  paste_ = button("&Paste", kIdPaste, &TPhoneListClass::Paste);
  button("&Add", kIdAdd, &TPhoneListClass::Add);
  delete_ = button("D&elete", kIdDelete, &TPhoneListClass::Delete);
  copy_ = button("C&opy", kIdCopy, &TPhoneListClass::Copy);
  button("I&mport...", kIdImport, &TPhoneListClass::Import);
  button("E&xport...", kIdExport, &TPhoneListClass::Export);
  buttons->addWidget(paneButton_);
  buttons->addStretch();
  auto* close = new QPushButton("Close", this);
  close->setAutoDefault(false);
  SetControlId(close, kIdClose);
  buttons->addWidget(close);
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  grid->addLayout(buttons, 0, 2, 2, 1);

  // The list's own notice of the new selection updates the buttons and the
  // pane; only a find that failed before reaching it leaves that here.
  connect(find_, &QLineEdit::textChanged, this, [this] {
    if (list_->FindText(ToCp1252(find_->text()))) return;
    ShowError();
    SelectionChanged();
  });
  connect(list_, &TDBList::Notify, this, [this](int code) {
    if (code == kListSelChanged) SelectionChanged();
    if (code == kListDoubleClick) Info();
  });
  list_->ListBox()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_->ListBox(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const int row = at.y() / list_->RowHeight();
    QMenu* menu = ContextMenu(row < list_->RowsFilled() ? row : -1);
    menu->exec(list_->ListBox()->mapToGlobal(at));
    delete menu;
  });
  NameControlsByLabels(this);

  const WindowPlacement& placement = PhoneSettings().placement;
  PlaceWindow(*this, placement);
  ShowPane(placement.spare != 0);
  SelectionChanged();
}

bool TPhoneListClass::eventFilter(QObject* watched, QEvent* event) {
  // Down in the Find field goes into the list.
  if (watched == find_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    list_->ListBox()->setFocus(Qt::OtherFocusReason);
    if (list_->SelectedRow() < 0 && list_->RowsFilled() > 0) list_->Refresh(0, 0);
    return true;
  }
  return TBaseDialog::eventFilter(watched, event);
}

void TPhoneListClass::ShowPane(bool shown) {
  paneShown_ = shown;
  pane_->setVisible(shown);
  paneButton_->setText(shown ? "&<<" : "&>>");
  UpdatePane();
}

void TPhoneListClass::SelectionChanged() {
  PhoneEntry entry;
  const bool selected = list_->Selected(&entry);
  for (QPushButton* b : {delete_, copy_, cat_, dial_, paste_}) b->setEnabled(selected);
  UpdatePane();
}

void TPhoneListClass::UpdatePane() {
  // A hidden pane reads nothing: the entry is read when the pane shows.
  PhoneEntry entry;
  if (!paneShown_ || !list_->Selected(&entry)) {
    if (!pane_->document()->isEmpty()) pane_->clear();
    return;
  }
  PhoneRecord record;
  if (!PhoneRead(phones_, entry.RecordNumber(), &record)) {
    ClearAppError();
    DbClearError();
    pane_->setPlainText(kDetailReadError);
    return;
  }
  pane_->setPlainText(FromCp1252(PhoneDetailText(record)));
}

void TPhoneListClass::Reload() {
  setWindowTitle(PhoneListTitle());
  {
    const QSignalBlocker quiet(find_);
    find_->clear();
  }
  if (!list_->ShowList(PhoneCurrentList().number)) ShowError();
  SelectionChanged();
}

void TPhoneListClass::RefreshList() {
  if (!list_->Refresh(0, list_->SelectedRow())) ShowError();
  SelectionChanged();
}

void TPhoneListClass::ShowEntry(const PhoneEntry& entry) {
  if (!list_->ShowEntry(entry)) ShowError();
  SelectionChanged();
}

void TPhoneListClass::Info() {
  PhoneEntry entry;
  if (!list_->Selected(&entry)) return Add();
  BusyScope busy(this);
  PhoneEntry saved;
  if (EditPhoneEntry(this, &entry, &saved)) {
    ShowEntry(saved);
  } else {
    RefreshList();
  }
}

void TPhoneListClass::Add() {
  BusyScope busy(this);
  PhoneEntry saved;
  if (EditPhoneEntry(this, nullptr, &saved)) ShowEntry(saved);
}

void TPhoneListClass::Dial() {
  PhoneEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform(kNoEntry, "Dial");
    return;
  }
  BusyScope busy(this);
  DialNumber(entry.Listname(), entry.Phone1());
}

void TPhoneListClass::Categories() {
  PhoneEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform(kNoEntry, "Category");
    return;
  }
  BusyScope busy(this);
  EditEntryCategories(this, entry.EntryNumber());
}

void TPhoneListClass::Paste() {
  PhoneEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform(kNoEntry, "Paste");
    return;
  }
  PhoneRecord record;
  if (!PhoneRead(phones_, entry.RecordNumber(), &record)) {
    ShowError();
    return;
  }
  QApplication::clipboard()->setText(FromCp1252(PhoneAddressText(record)));
  // No program may type into another one's window on this desktop: the
  // address waits on the clipboard for the user's Ctrl+V there.
  hide();
  Prompter().Flash(kPasteNotice);
  reject();
}

void TPhoneListClass::Delete() {
  if (!PhoneSettings().phoneDelete) {
    Prompter().Inform(kNoAccessRights);
    return;
  }
  if (list_->Tags().Count() == 0) {
    Prompter().Inform(kNoEntry, "Delete");
    return;
  }
  const QString question = list_->Tags().Count() == 1
                               ? "Are you sure you want to delete this item?"
                               : "Are you sure you want to delete the selected items?";
  if (!Prompter().AskYesNo(question)) return;
  BusyScope busy(this);
  DeleteTaggedEntries(*list_);
  SelectionChanged();
}

void TPhoneListClass::Copy() {
  if (list_->Tags().Count() == 0) {
    Prompter().Inform(kNoEntry, "Copy");
    return;
  }
  BusyScope busy(this);
  PhoneList target;
  if (!PickTargetList(this, &target)) return;
  CopyTaggedEntries(*list_, target.number);
  // The tags stay for another copy, unless the list itself has changed.
  if (target.number == list_->List()) RefreshList();
}

void TPhoneListClass::Import() {
  bool added = false;
  {
    BusyScope busy(this);
    added = ImportPhoneListFile(this, phones_, list_->List());
  }
  if (added) Reload();
}

void TPhoneListClass::Export() {
  BusyScope busy(this);
  ExportPhoneListFile(this, phones_, list_->List());
}

QMenu* TPhoneListClass::ContextMenu(int row) {
  if (row >= 0 && list_->Tags().Count() == 0) list_->ClickRow(row, Qt::NoModifier, Qt::LeftButton);
  auto* menu = new QMenu("PhoneList", this);
  const auto add = [this, menu](const QString& text, int id, void (TPhoneListClass::*act)()) {
    QAction* a = menu->addAction(text, this, act);
    a->setData(id);
  };
  add("&Info", kIdInfo, &TPhoneListClass::Info);
  add("&Category", kIdCat, &TPhoneListClass::Categories);
  add("&Dial", kIdDial, &TPhoneListClass::Dial);
  add("&Paste", kIdPaste, &TPhoneListClass::Paste);
  add("C&opy", kIdCopy, &TPhoneListClass::Copy);
  add("D&elete", kIdDelete, &TPhoneListClass::Delete);
  return menu;
}

void TPhoneListClass::Finish() {
  if (finished_) return;
  finished_ = true;
  PhoneListSettings& settings = PhoneSettings();
  settings.placement.spare = paneShown_ ? 1 : 0;
  KeepPlacement(*this, settings.placement);
  CloseWith(0);
  emit Closed();
}

void TPhoneListClass::reject() {
  Finish();
}

void TPhoneListClass::closeEvent(QCloseEvent* e) {
  Finish();
  e->accept();
}
