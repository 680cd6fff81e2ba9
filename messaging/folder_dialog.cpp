#include "messaging/folder_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/messages/dpmess.h"
#include "data/office/dpmain.h"
#include "data/office/name_picking.h"
#include "toolkit/accessible_names.h"
#include "messaging/dialog_runner.h"
#include "messaging/folder_list.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/form_builder.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

constexpr QSize kListSize(240, 200);

FolderRecord RecordOf(const FolderEntry& entry) {
  FolderRecord record = MakeFolderRecord(entry.Name(), entry.Owner());
  SetFieldI32(record.bytes, records::folder::kNumber, entry.Number());
  return record;
}

bool Blank(const char* text) {
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

QPushButton* ColumnButton(QVBoxLayout* column, QWidget* dialog, const QString& text, int id) {
  auto* b = new QPushButton(text, dialog);
  b->setAutoDefault(false);
  SetControlId(b, id);
  column->addWidget(b);
  return b;
}

// The two type buttons, in a row under "Folder type:".
void TypeButtons(QWidget* dialog, QLayout* into, QRadioButton** common, QRadioButton** personal,
                 int commonId, int personalId) {
  *common = new QRadioButton("&Common", dialog);
  *personal = new QRadioButton("&Personal", dialog);
  SetControlId(*common, commonId);
  SetControlId(*personal, personalId);
  auto* group = new QButtonGroup(dialog);
  group->addButton(*common);
  group->addButton(*personal);
  into->addWidget(*common);
  into->addWidget(*personal);
}

}  // namespace

// ---- FOLDER and FOLDER_AND_NAME ----

FolderDialog::FolderDialog(QWidget* owner, FolderRecord& choice, NameEntry* nameSlot,
                           PasswordPrompt* passwords)
    : TBaseDialog(owner, "Select Folder"),
      choice_(choice),
      entry_(choice),
      slot_(nameSlot),
      passwords_(passwords) {
  setProperty("helpAnchor", "folders");
  person_ = choice_.Owner();
  if (!FolderOpen(folders_)) {
    ShowError();
    return;
  }
  // A folder to start at: when it is there it decides the type (and, when
  // personal, whose); else the choice starts empty.
  const int32_t number = choice_.Number();
  FolderRecord found;
  if (number != 0 && FolderFindNumber(folders_, number, &found)) {
    choice_ = found;
    if (found.Owner() != 0) person_ = found.Owner();
  } else {
    choice_ = FolderRecord();
  }
  ClearAppError();
  // The list walks index X1; a search by number left X2 current.
  if (!DbSetCurrentIndex(folders_.table, 0)) {
    ShowError();
    FolderClose(folders_);
    return;
  }
  type_ = choice_.Owner();
  locked_ = person_ == 0 || person_ == -1;
  ready_ = true;
  if (slot_) SetPhonePasswordMode(false);
  Build();
}

FolderDialog::~FolderDialog() {
  // The list reads the table: it goes first.
  delete list_;
  list_ = nullptr;
  if (folders_.open) FolderClose(folders_);
}

void FolderDialog::Build() {
  auto* grid = new QGridLayout(this);
  int row = 0;
  if (slot_) {
    auto* label = new QLabel("Name:", this);
    name_ = new QLineEdit(FromCp1252(slot_->Name()), this);
    name_->setReadOnly(true);
    SetControlId(name_, kIdName);
    label->setBuddy(name_);
    auto* pick = new QPushButton(">>", this);
    pick->setAutoDefault(false);
    pick->setAccessibleName("Choose the person");
    SetControlId(pick, kIdPick);
    connect(pick, &QPushButton::clicked, this, [this] { PickName(); });
    auto* line = new QHBoxLayout;
    line->addWidget(label);
    line->addWidget(name_, 1);
    line->addWidget(pick);
    grid->addLayout(line, row++, 0);
  }
  auto* types = new QHBoxLayout;
  types->addWidget(new QLabel("Folder type:", this));
  TypeButtons(this, types, &common_, &personal_, kIdCommon, kIdPersonal);
  types->addStretch();
  grid->addLayout(types, row++, 0);
  auto* search = new FieldLineEdit(this);
  search_ = search;
  SetControlId(search_, kIdSearch);
  search_->setMaxLength(records::folder::kName.width - 1);
  search_->setValidator(new Cp1252Validator(false, search_));
  search_->setAccessibleName("Folder name");
  grid->addWidget(search_, row++, 0);
  auto* placeholder = new QWidget(this);
  SetControlId(placeholder, kIdPlaceholder);
  placeholder->setFixedSize(kListSize);
  grid->addWidget(placeholder, row, 0);
  list_ = new TFolderList(placeholder, QRect(QPoint(0, 0), kListSize), kIdList, folders_, type_);
  list_->setAccessibleName("Folders");
  list_->ListBox()->setAccessibleName("Folders");
  auto* column = new QVBoxLayout;
  grid->addLayout(column, 0, 1, row + 1, 1);
  QPushButton* select = ColumnButton(column, this, "&Select", kIdSelect);
  select->setDefault(true);
  QPushButton* add = ColumnButton(column, this, "&New", kIdNew);
  QPushButton* edit = ColumnButton(column, this, "&Edit", kIdEdit);
  delete_ = ColumnButton(column, this, "&Delete", kIdDelete);
  QPushButton* cancel = ColumnButton(column, this, "Cancel", kIdCancel);
  column->addStretch();
  connect(select, &QPushButton::clicked, this, [this] { Ok(); });
  connect(add, &QPushButton::clicked, this, [this] { NewFolder(); });
  connect(edit, &QPushButton::clicked, this, [this] { EditFolder(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteFolder(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(common_, &QRadioButton::clicked, this, [this] { ChooseCommon(); });
  connect(personal_, &QRadioButton::clicked, this, [this] { ChoosePersonal(); });
  connect(list_, &TDBList::Notify, this, [this](int code) {
    if (code == kListDoubleClick) Ok();
  });

  ShowType(type_);
  if (locked_) {
    common_->setEnabled(false);
    personal_->setEnabled(false);
  }
  if (slot_ && slot_->Number() == -1) personal_->setEnabled(false);
  if (!list_->ShowFolder(choice_.Name())) ShowError();
  // The choice's name shows in the field without moving the list again.
  search_->setText(FromCp1252(choice_.Name()));
  connect(search_, &QLineEdit::textChanged, this, [this] {
    if (!list_->SearchText(ToCp1252(search_->text()))) ShowError();
  });
  connect(search, &FieldLineEdit::focusEntered, this, [this] { search_->end(false); });
  search_->setFocus();
  NameControlsByLabels(this);
}

void FolderDialog::ShowType(int32_t type) {
  type_ = type;
  const bool personal = type_ != 0;
  common_->setChecked(!personal);
  personal_->setChecked(personal);
  delete_->setEnabled(personal);
}

void FolderDialog::FollowType() {
  ShowType(type_);
  if (!list_->ShowOwner(type_)) ShowError();
  search_->clear();
  search_->setFocus();
}

void FolderDialog::Ok() {
  FolderEntry entry;
  if (!list_ || !list_->Selected(&entry)) {
    Prompter().Inform("No entry selected.", "Edit");
    return;
  }
  choice_ = RecordOf(entry);
  CloseWith(1);
}

void FolderDialog::reject() {
  choice_ = entry_;
  TBaseDialog::reject();
}

void FolderDialog::ChooseCommon() {
  type_ = 0;
  FollowType();
}

void FolderDialog::ChoosePersonal() {
  type_ = person_;
  FollowType();
}

void FolderDialog::NewFolder() {
  NewFolderDialog dialog(this, folders_, type_, person_, locked_);
  if (RunMessagingDialog(dialog) == 1) {
    const FolderRecord& folder = dialog.Folder();
    ShowType(folder.Owner());
    if (!list_->ShowOwner(type_) || !list_->ShowFolder(folder.Name())) ShowError();
  }
  // The list walks X1 again whatever the dialog searched.
  DbSetCurrentIndex(folders_.table, 0);
  search_->setFocus();
}

void FolderDialog::EditFolder() {
  FolderEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform("No entry selected.", "Edit");
    return;
  }
  EditFolderDialog dialog(this, folders_, entry);
  const bool renamed = RunMessagingDialog(dialog) == 1;
  DbSetCurrentIndex(folders_.table, 0);
  if (renamed && !list_->ShowFolder(dialog.NewName())) ShowError();
  search_->setFocus();
}

void FolderDialog::DeleteFolder() {
  FolderEntry entry;
  if (!list_->Selected(&entry)) {
    Prompter().Inform("No entry selected.", "Delete");
    return;
  }
  // Common folders are not deleted here.
  if (entry.Owner() == 0) return;
  if (entry.Number() == CurrentUser().defaultFolder) {
    Prompter().Inform("Can't delete default folder.");
    return;
  }
  MessageTable messages;
  if (!MsgOpen(messages)) {
    ShowError();
    return;
  }
  const int inUse = MsgFindInFolder(messages, entry.Number());
  const bool failed = !inUse && AppErrorCode() != kAppNotFound;
  if (failed) ShowError();
  MsgClose(messages);
  if (failed) return;
  ClearAppError();
  if (inUse) {
    Prompter().Inform("Folder still contains messages.");
    return;
  }
  if (!Prompter().AskYesNo("Are you sure?")) return;
  if (!FolderDelete(folders_, entry.Owner(), entry.Name())) ShowError();
  if (!list_->ShowOwner(type_)) ShowError();
}

void FolderDialog::PickName() {
  if (!slot_ || !passwords_) return;
  NamePickRequest request;
  request.slot = *slot_;
  request.mode = kPickAllButEverybody;
  request.passwordArea = kAreaMessages;
  request.startEmpty = true;
  if (SelectName(this, request, *passwords_) == 0) return;
  *slot_ = request.slot;
  name_->setText(FromCp1252(slot_->Name()));
  const int32_t number = slot_->Number();
  if (number != -1) {
    person_ = number;
    if (type_ != 0) type_ = person_;
    locked_ = false;
    common_->setEnabled(true);
    personal_->setEnabled(true);
  } else {
    person_ = 0;
    type_ = 0;
    personal_->setEnabled(false);
  }
  FollowType();
}

// ---- NEWFOLDER ----

NewFolderDialog::NewFolderDialog(QWidget* owner, FolderTable& folders, int32_t type, int32_t person,
                                 bool locked)
    : TBaseDialog(owner, "Create new folder"), folders_(folders), person_(person) {
  setProperty("helpAnchor", "folders");
  FormBuilder form(this);
  form.Edit("Folder name:", kIdName, 30);
  auto* types = new QWidget(this);
  auto* line = new QHBoxLayout(types);
  line->setContentsMargins(0, 0, 0, 0);
  QRadioButton* common = nullptr;
  QRadioButton* personal = nullptr;
  TypeButtons(this, line, &common, &personal, kIdCommon, kIdPersonal);
  form.Row("Folder type:", types, -1);
  common->setChecked(type == 0);
  personal->setChecked(type != 0);
  personal->setEnabled(!locked);
  form.OkCancel(this);
  Bind<TEditControl>(kIdName, name_, sizeof name_);
  NameControlsByLabels(this);
}

void NewFolderDialog::Ok() {
  TransferOut();
  if (Blank(name_)) {
    Prompter().Inform("Please enter Folder name.");
    return;
  }
  auto* personal = FindControlAs<QRadioButton>(this, kIdPersonal);
  const int32_t owner = personal && personal->isChecked() ? person_ : 0;
  // A folder of that owner and name, in any letter case, is taken as it is.
  FolderEntry existing;
  if (FolderFind(folders_, owner, name_, &existing)) {
    folder_ = RecordOf(existing);
    CloseWith(1);
    return;
  }
  ClearAppError();
  FolderRecord record = MakeFolderRecord(name_, owner);
  if (!FolderAdd(folders_, record)) {
    ShowError();
    return;
  }
  folder_ = record;
  CloseWith(1);
}

// ---- EDITFOLDER ----

EditFolderDialog::EditFolderDialog(QWidget* owner, FolderTable& folders, const FolderEntry& folder)
    : TBaseDialog(owner, "Edit folder name"), folders_(folders), folder_(folder) {
  setProperty("helpAnchor", "folders");
  const std::string name = folder.Name();
  name.copy(name_, sizeof name_ - 1);
  FormBuilder form(this);
  form.Edit("Folder:", kIdName, 30);
  form.OkCancel(this);
  Bind<TEditControl>(kIdName, name_, sizeof name_);
  NameControlsByLabels(this);
}

std::string EditFolderDialog::NewName() const {
  return std::string(name_);
}

void EditFolderDialog::Ok() {
  TransferOut();
  if (Blank(name_)) {
    Prompter().Inform("Please enter a folder name.");
    return;
  }
  const int32_t owner = folder_.Owner();
  // Another folder of the owner by that name, in any letter case; the
  // folder itself may change the case of its own name.
  FolderEntry existing;
  if (FolderFind(folders_, owner, name_, &existing) && existing.Number() != folder_.Number()) {
    Prompter().Inform("Folder already exists.");
    return;
  }
  ClearAppError();
  FolderRecord renamed = MakeFolderRecord(name_, owner);
  SetFieldI32(renamed.bytes, records::folder::kNumber, folder_.Number());
  if (!FolderRename(folders_, owner, folder_.Name(), renamed)) {
    ShowError();
    return;
  }
  CloseWith(1);
}

int ChooseFolder(QWidget* owner, FolderRecord& choice) {
  FolderDialog dialog(owner, choice);
  if (!dialog.Ready()) return 0;
  return RunMessagingDialog(dialog) == 1 ? 1 : 0;
}

int ChooseFolderAndPerson(QWidget* owner, FolderRecord& choice, NameEntry& nameSlot,
                          PasswordPrompt& passwords) {
  FolderDialog dialog(owner, choice, &nameSlot, &passwords);
  if (!dialog.Ready()) return 0;
  return RunMessagingDialog(dialog) == 1 ? 1 : 0;
}
