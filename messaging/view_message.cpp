#include "messaging/view_message.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <cstring>

#include "data/local_time.h"
#include "data/messages/dpnote.h"
#include "data/messages/take_send.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "messaging/cc_list_dialog.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "messaging/email_dialogs.h"
#include "messaging/flyout_tip.h"
#include "messaging/folder_choice.h"
#include "messaging/memo_reply.h"
#include "messaging/message_copy.h"
#include "messaging/message_pictures.h"
#include "messaging/message_printing.h"
#include "messaging/note_editor.h"
#include "messaging/quick_list.h"
#include "messaging/slip_entry.h"
#include "messaging/window_places.h"
#include "phonelist/phone_dialer.h"
#include "phonelist/phone_entry_points.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;
namespace row = records::message::list_row;

static_assert(TViewMessageBaseClass::kIdPhoneFrom == slip::kIdFrom &&
              TViewMessageBaseClass::kIdCompany == slip::kIdCompany &&
              TViewMessageBaseClass::kIdPhone == slip::kIdPhone &&
              TViewMessageBaseClass::kIdExt == slip::kIdExt &&
              TViewMessageBaseClass::kIdPhoneText == slip::kIdText);

namespace {

bool Ticked(const uint8_t* record, Field f) {
  return FieldText(record, f) == msg::kTicked;
}

void SetTick(uint8_t* record, Field f, bool on) {
  std::memset(record + f.offset, 0, size_t(f.width));
  if (on) std::memcpy(record + f.offset, msg::kTicked, 2);
}

void CopyText(char* buffer, size_t size, const std::string& text) {
  std::memset(buffer, 0, size);
  std::memcpy(buffer, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

TViewMessageBaseClass::TViewMessageBaseClass(QWidget* owner, TableHandle& table, const ListRow& row,
                                             int32_t rowNumber, int32_t rowsAfter,
                                             const ListRequest& request, bool single)
    : TBaseDialog(owner),
      table_(table),
      row_(row),
      rowNumber_(rowNumber),
      rowsAfter_(rowsAfter),
      request_(request),
      single_(single) {
  setProperty("helpAnchor", "view-message");
}

TViewMessageBaseClass::~TViewMessageBaseClass() {
  Unlock();
}

bool TViewMessageBaseClass::Phone() const {
  return record_.Kind() == msg::kKindPhone;
}

bool TViewMessageBaseClass::Archived() const {
  return record_.Folder() == msg::kFolderArchive;
}

bool TViewMessageBaseClass::Start() {
  ClearAppError();
  if (!DbReadRecord(table_.table, row_.RecordNumber(), record_.bytes)) {
    ShowError();
    return false;
  }
  if (record_.Number() != row_.Number() || record_.bytes[msg::kMark.offset] == kDeletedMark) {
    // The slot holds another message now: this one was deleted meanwhile.
    SetAppError(kAppRecordDeleted, table_.table.name);
    ShowError();
    return false;
  }
  if (Email() && !StartEmail()) return false;
  // The whole text: from the long-text note when there is one. A note that
  // cannot be read is said, and the record's own text shown.
  const Field textField = Phone() ? msg::kPhoneText : msg::kMemoText;
  std::string text = FieldText(record_.bytes, textField);
  if (!Email() && record_.LongTextNote() != 0) {
    std::string whole;
    if (NoteRead(record_.LongTextNote(), &whole)) {
      text = whole;
    } else {
      ShowError();
    }
  }
  if (!Email()) CopyText(text_, sizeof text_, text);
  if (!SendLog()) {
    // Opening stamps the message viewed. A message another workstation
    // holds is shown unstamped.
    DbClearError();
    ClearAppError();
    bool changed = false;
    MessageRecord stamped;
    if (MsgMarkViewed(static_cast<MessageTable&>(table_), row_.Entry(), &stamped, &changed)) {
      record_ = stamped;
      row_.Follow(record_);
    } else if (!(AppErrorCode() == 0 && DbGetError() == kDbRecordLocked)) {
      ShowError();
    }
  }
  CopyText(to_, sizeof to_, record_.To());
  CopyText(from_, sizeof from_, record_.From());
  if (Phone()) {
    CopyText(company_, sizeof company_, FieldText(record_.bytes, msg::kCompany));
    CopyText(phone_, sizeof phone_, FieldText(record_.bytes, msg::kPhone));
    CopyText(ext_, sizeof ext_, FieldText(record_.bytes, msg::kExtension));
    CopyText(by_, sizeof by_, FieldText(record_.bytes, msg::kBy));
    rush_ = Ticked(record_.bytes, msg::kRush);
    callBack_ = Ticked(record_.bytes, msg::kCallBack);
    returnedCall_ = Ticked(record_.bytes, msg::kReturnedCall);
    willCall_ = Ticked(record_.bytes, msg::kWillCall);
  }
  Build();
  return true;
}

void TViewMessageBaseClass::Build() {
  setObjectName(Phone() ? "VMESSAGE" : Email() ? "VMAIL" : "VMEMO");
  setWindowTitle(Phone() ? "View Message" : Email() ? "View Email" : "View Memo");
  auto* outer = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  auto* kind = new QLabel(this);
  SetControlId(kind, kIdKindPicture);
  kind->setPixmap(KindPixmap(record_.Kind(), 54, 28));
  kind->setAccessibleName(Phone() ? "Phone message" : Email() ? "E-mail" : "Memo");
  head->addWidget(kind);
  auto* time = new QLabel(FromCp1252(RowTimeText(record_.Time())), this);
  SetControlId(time, kIdTime);
  time->setAccessibleName("Date and time");
  head->addWidget(time);
  head->addStretch(1);
  notePicture_ = new QLabel(this);
  SetControlId(notePicture_, kIdNotePicture);
  notePicture_->setPixmap(KindPixmap(msg::kKindMemo));
  notePicture_->setAccessibleName("Note attached");
  notePicture_->setToolTip("Note attached");
  head->addWidget(notePicture_);
  outer->addLayout(head);

  if (Email()) {
    BuildEmailFields(outer);
  } else {
    auto* form = new QGridLayout;
    int line = 0;
    auto field = [this, form, &line](const QString& label, int id, int chars, int column = 0) {
      auto* edit = new FieldLineEdit(this);
      SetControlId(edit, id);
      edit->setMaxLength(chars);
      auto* l = new QLabel(label, this);
      l->setBuddy(edit);
      form->addWidget(l, line, column);
      form->addWidget(edit, line, column + 1);
      if (SendLog()) edit->setReadOnly(true);
      return edit;
    };
    auto* to = field("To:", kIdTo, 20);
    to->setReadOnly(true);
    ++line;
    if (Phone()) {
      field("From:", kIdPhoneFrom, 20);
      QLineEdit* company = field("Company:", kIdCompany, 29, 2);
      ++line;
      // The in-box slip completes the caller and company from the phone
      // list as the Take window does; the send log's copy is read only.
      if (!SendLog()) {
        quickList_ = new TakeQuickList(
            this, company,
            [this](const PhoneRecord& e, QLineEdit* from) { TakeEntryIntoSlip(this, e, from); });
        if (!quickList_->OpenTable()) ShowError();
      }
      field("Phone:", kIdPhone, 20);
      field("Ext:", kIdExt, 10, 2);
      ++line;
    } else {
      field("From:", kIdMemoFrom, 20);
      ++line;
    }
    outer->addLayout(form);
    auto* text = new FieldTextEdit(this);
    SetControlId(text, Phone() ? kIdPhoneText : kIdMemoText);
    text->setAccessibleName("Message");
    if (SendLog()) text->setReadOnly(true);
    outer->addWidget(text, 1);
    if (Phone()) {
      auto* ticks = new QHBoxLayout;
      auto* by = new FieldLineEdit(this);
      SetControlId(by, kIdBy);
      by->setMaxLength(3);
      by->setMaximumWidth(by->fontMetrics().horizontalAdvance("WWWW") + 12);
      auto* byLabel = new QLabel("By:", this);
      byLabel->setBuddy(by);
      if (SendLog()) by->setReadOnly(true);
      ticks->addWidget(byLabel);
      ticks->addWidget(by);
      const std::pair<const char*, int> boxes[] = {{"Rush", kIdRush},
                                                   {"Call back", kIdCallBack},
                                                   {"Returned call", kIdReturnedCall},
                                                   {"Will call", kIdWillCall}};
      for (const auto& [caption, id] : boxes) {
        auto* box = new QCheckBox(caption, this);
        SetControlId(box, id);
        if (SendLog()) box->setEnabled(false);
        ticks->addWidget(box);
      }
      ticks->addStretch(1);
      outer->addLayout(ticks);
    }
  }

  auto* actions = new QHBoxLayout;
  auto* steps = new QHBoxLayout;
  auto button = [this](QHBoxLayout* row, const QString& caption, int id) {
    auto* b = new QPushButton(caption, this);
    SetControlId(b, id);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
  };
  save_ = button(actions, !SendLog() ? "&Save" : SentToInternet() ? "&Sent" : "&Viewed", kIdSave);
  auto* copy = button(actions, "&Copy", kIdCopy);
  connect(button(actions, "&Print", kIdPrint), &QPushButton::clicked, this, [this] {
    PrintMessageRows(this, request_, {{row_.RecordNumber(), row_.Number()}});
  });
  auto* note = button(actions, "&Note", kIdNote);
  auto* reply = button(actions, "&Reply", kIdReply);
  QPushButton* log = nullptr;
  if (Phone()) {
    log = button(actions, "L&og", kIdLog);
    button(actions, "Sl&ip", kIdSlip)->setEnabled(false);
    auto* list = button(actions, "&List", kIdList);
    new FlyoutTip(list, "Phone&List");
    list->setEnabled(quickList_ && quickList_->TableOpen() && !Archived());
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QPushButton::clicked, this, [this] { ShowQuickList(); });
    connect(list, &QPushButton::customContextMenuRequested, this,
            [this, list](const QPoint& at) { QuickListMenu(list->mapToGlobal(at)); });
    auto* dial = button(actions, "&Dial", kIdDial);
    new FlyoutTip(dial, "&Dial the number");
    connect(dial, &QPushButton::clicked, this, [this] { Dial(); });
    // "&Add" shows no button: its shortcut serves, as on the Take window.
    auto* add = button(actions, "&Add", kIdAdd);
    add->hide();
    connect(add, &QPushButton::clicked, this, [this] { AddToPhoneList(); });
    if (SendLog()) {
      list->hide();
    } else {
      auto* addKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_A), this);
      connect(addKey, &QShortcut::activated, this, [this] { AddToPhoneList(); });
    }
  }
  auto* cc = button(actions, "CC&:", kIdCC);
  QPushButton* options = nullptr;
  if (Email()) options = button(actions, "Opt&ions", kIdOptions);
  actions->addStretch(1);
  auto* prev = button(steps, "<< Prev", kIdPrev);
  auto* next = button(steps, "Next >>", kIdNext);
  delete_ = button(steps, "D&elete", kIdDelete);
  archive_ = button(steps, "Arc&hive", kIdArchive);
  folder_ = button(steps, "&Folder...", kIdFolder);
  tag_ = button(steps, "&Tag", kIdTag);
  for (QPushButton* b : {delete_, archive_, folder_, tag_}) b->setCheckable(true);
  steps->addStretch(1);
  auto* close = button(steps, "Close", kIdClose);
  outer->addLayout(actions);
  outer->addLayout(steps);

  connect(save_, &QPushButton::clicked, this, [this] {
    if (!SendLog()) {
      Save();
    } else if (SentToInternet()) {
      ShowSent();
    } else {
      ShowViewed();
    }
  });
  if (options) connect(options, &QPushButton::clicked, this, [this] { Options(); });
  connect(copy, &QPushButton::clicked, this, [this] { Copy(); });
  connect(note, &QPushButton::clicked, this, [this] { Note(); });
  connect(reply, &QPushButton::clicked, this, [this] { Reply(); });
  if (log) connect(log, &QPushButton::clicked, this, [this] { Log(); });
  connect(cc, &QPushButton::clicked, this, [this] { ShowCC(); });
  connect(prev, &QPushButton::clicked, this, [this] { Step(kIdPrev); });
  connect(next, &QPushButton::clicked, this, [this] { Step(kIdNext); });
  connect(delete_, &QPushButton::clicked, this, [this] { ToggleAction(row::kActionDelete); });
  connect(archive_, &QPushButton::clicked, this, [this] { ToggleAction(row::kActionArchive); });
  connect(folder_, &QPushButton::clicked, this, [this] { ToggleAction(row::kActionPut); });
  connect(close, &QPushButton::clicked, this, [this] { CloseView(); });

  // Bindings.
  if (Email()) {
    Bind<TEditControl>(kIdTo, mailTo_, sizeof mailTo_);
  } else {
    Bind<TEditControl>(kIdTo, to_, sizeof to_);
  }
  if (Phone()) {
    const bool fromSearch = FieldByte(CurrentUser().record.bytes, records::name::kFromSearch) != 0;
    if (quickList_ && fromSearch) {
      Bind<TPhoneListControl>(kIdPhoneFrom, from_, sizeof from_, quickList_);
    } else {
      Bind<TEditControl>(kIdPhoneFrom, from_, sizeof from_);
    }
    if (quickList_) {
      Bind<TPhoneListControl>(kIdCompany, company_, sizeof company_, quickList_);
    } else {
      Bind<TEditControl>(kIdCompany, company_, sizeof company_);
    }
    Bind<TPhoneEditControl>(kIdPhone, phone_, sizeof phone_);
    Bind<TEditControl>(kIdExt, ext_, sizeof ext_);
    Bind<TMultiLineEditControl>(kIdPhoneText, text_, sizeof text_, true);
    Bind<TEditControl>(kIdBy, by_, sizeof by_);
    Bind<TCheckBoxControl>(kIdRush, &rush_);
    Bind<TCheckBoxControl>(kIdCallBack, &callBack_);
    Bind<TCheckBoxControl>(kIdReturnedCall, &returnedCall_);
    Bind<TCheckBoxControl>(kIdWillCall, &willCall_);
  } else if (Email()) {
    Bind<TEditControl>(kIdMailFrom, mailFrom_, sizeof mailFrom_);
    Bind<TEditControl>(kIdSubject, subject_, sizeof subject_);
    Bind<TMultiLineEditControl>(kIdBody, body_.data(), body_.size(), false);
  } else {
    Bind<TEditControl>(kIdMemoFrom, from_, sizeof from_);
    Bind<TMultiLineEditControl>(kIdMemoText, text_, sizeof text_, true);
  }

  // What the row and the kind allow.
  const bool hasCC = Email() ? !header_.Cc().empty() : (record_.Flags() & msg::kFlagCcList) != 0;
  cc->setVisible(hasCC && !SendLog());
  prev->setEnabled(!single_ && rowNumber_ > 0);
  next->setEnabled(!single_ && rowsAfter_ > 0);
  tag_->setEnabled(!single_);
  tag_->setChecked(row_.Tagged());
  if (request_.view == kViewArchive) archive_->setEnabled(false);
  if (SendLog()) {
    folder_->hide();
    reply->hide();
    if (options) options->hide();
    if (log) log->hide();
    note->setVisible(FieldI32(record_.bytes, msg::kAttachedNote) != 0);
  } else if (Archived()) {
    save_->setEnabled(false);
  }
  resize(Email() ? 620 : 560, Phone() ? 420 : Email() ? 480 : 380);
  GuardCp1252(this);
  NameControlsByLabels(this);
}

void TViewMessageBaseClass::Initialise() {
  TBaseDialog::Initialise();
  ShowActions();
  RefreshTitle();
  PlaceWindowCentred(*this, Places().view);
  delete_->setFocus();
}

void TViewMessageBaseClass::RefreshTitle() {
  const bool note = FieldI32(record_.bytes, msg::kAttachedNote) != 0;
  const bool log = FieldI32(record_.bytes, msg::kLogNote) != 0;
  notePicture_->setVisible(note);
  QString title;
  if (row_.Action() == row::kActionPut) {
    title = (Phone()   ? "Message -> "
             : Email() ? "Email -> "
                       : "Memo -> ") +
            FromCp1252(row_.TargetName());
  } else if (Email()) {
    title = note ? "View Email *** NOTE ATTACHED ***" : "View Email";
  } else if (Phone()) {
    title = note && log ? "View Message *** NOTE & LOG ATTACHED ***"
            : note      ? "View Message *** NOTE ATTACHED ***"
            : log       ? "View Message *** LOG ATTACHED ***"
                        : "View Message";
  } else {
    // A memo's log note holds its saved reply.
    title = note && log ? "View Memo *** NOTE & REPLY ATTACHED ***"
            : note      ? "View Memo *** NOTE ATTACHED ***"
            : log       ? "View Memo *** REPLY ATTACHED ***"
                        : "View Memo";
  }
  setWindowTitle(title);
}

void TViewMessageBaseClass::ShowActions() {
  delete_->setChecked(row_.Action() == row::kActionDelete);
  archive_->setChecked(row_.Action() == row::kActionArchive);
  folder_->setChecked(row_.Action() == row::kActionPut);
}

// ---- Editing ----

bool TViewMessageBaseClass::LockForEditing() const {
  if (locked_) return true;
  ClearAppError();
  if (!DbLockRecord(table_.table, row_.RecordNumber())) {
    DbClearError();
    return false;
  }
  locked_ = true;
  return true;
}

void TViewMessageBaseClass::Unlock() {
  if (!locked_) return;
  DbUnlockRecord(table_.table, row_.RecordNumber());
  locked_ = false;
}

bool TViewMessageBaseClass::MayEdit() const {
  if (SendLog() || Archived()) {
    Prompter().Inform("Sorry, read only.");
    return false;
  }
  if (!LockForEditing()) {
    Prompter().Inform("Record in use.");
    return false;
  }
  return true;
}

std::string TViewMessageBaseClass::TextOf() const {
  return text_;
}

bool TViewMessageBaseClass::SaveQuietly() {
  if (Email()) return SaveEmailQuietly();
  if (!TransferOut()) return false;
  MessageRecord record = record_;
  SetFieldText(record.bytes, msg::kFrom, from_);
  if (Phone()) {
    SetFieldText(record.bytes, msg::kCompany, company_);
    SetFieldText(record.bytes, msg::kPhone, phone_);
    SetFieldText(record.bytes, msg::kExtension, ext_);
    SetFieldText(record.bytes, msg::kBy, by_);
    SetTick(record.bytes, msg::kRush, rush_ != 0);
    SetTick(record.bytes, msg::kCallBack, callBack_ != 0);
    SetTick(record.bytes, msg::kReturnedCall, returnedCall_ != 0);
    SetTick(record.bytes, msg::kWillCall, willCall_ != 0);
  }
  const std::string longText = TakeGatherText(record, TextOf());
  ClearAppError();
  if (!StoreMessageLongText(record, longText) ||
      !MsgTouch(static_cast<MessageTable&>(table_), row_.Entry(), record)) {
    ClearAppError();
    Prompter().Inform("Could not save.");
    return false;
  }
  record_ = record;
  row_.Follow(record_);
  SetModified(0);
  return true;
}

void TViewMessageBaseClass::Save() {
  if (SendLog() || Archived()) return;
  if (SaveQuietly()) Prompter().Flash("Message saved.");
}

void TViewMessageBaseClass::WriteBack() {
  // Note numbers live outside every index: the record is written in place.
  ClearAppError();
  MessageRecord stored;
  if (!DbReadRecord(table_.table, row_.RecordNumber(), stored.bytes) ||
      stored.Number() != record_.Number() || stored.bytes[msg::kMark.offset] == kDeletedMark) {
    ShowError();
    return;
  }
  SetFieldI32(stored.bytes, msg::kAttachedNote, FieldI32(record_.bytes, msg::kAttachedNote));
  SetFieldI32(stored.bytes, msg::kLogNote, FieldI32(record_.bytes, msg::kLogNote));
  if (!MsgWrite(static_cast<MessageTable&>(table_), row_.RecordNumber(), stored)) ShowError();
}

// ---- Marks ----

void TViewMessageBaseClass::ToggleAction(uint8_t action) {
  if (row_.Action() == action) {
    row_.SetAction(0);
  } else if (action == row::kActionPut) {
    int32_t start = row_.TargetNumber();
    if (start == 0 && request_.owner == CurrentUser().number) start = CurrentUser().defaultFolder;
    std::string name;
    int32_t number = 0;
    if (ChooseOwnersFolder(this, request_.owner, start, &name, &number)) {
      row_.SetAction(row::kActionPut);
      row_.SetTarget(name, number);
    }
  } else {
    row_.SetAction(action);
  }
  ShowActions();
  RefreshTitle();
}

// ---- Stepping and closing ----

void TViewMessageBaseClass::Step(int result) {
  if (single_) return;
  if (result == kIdPrev && rowNumber_ == 0) return;
  if (result == kIdNext && rowsAfter_ == 0) return;
  if (!ConfirmDiscard()) return;
  row_.SetTagged(tag_->isChecked());
  Unlock();
  KeepPlacement(*this, Places().view);
  CloseWith(result);
}

void TViewMessageBaseClass::CloseView() {
  if (!ConfirmDiscard()) return;
  row_.SetTagged(tag_->isChecked());
  Unlock();
  KeepPlacement(*this, Places().view);
  CloseWith(0);
}

void TViewMessageBaseClass::reject() {
  CloseView();
}

// ---- Notes ----

void TViewMessageBaseClass::Note() {
  int32_t note = FieldI32(record_.bytes, msg::kAttachedNote);
  // The note is edited under the record's lock; without it, read only.
  const bool editable = !SendLog() && LockForEditing();
  if (!editable) {
    if (!SendLog()) Prompter().Inform("Record in use.");
    EditNote(this, &note, kNoteReadOnly);
    return;
  }
  if (EditNote(this, &note, kNoteEdit)) {
    SetFieldI32(record_.bytes, msg::kAttachedNote, note);
    WriteBack();
  }
  RefreshTitle();
}

void TViewMessageBaseClass::Log() {
  if (!Phone() || SendLog()) return;
  int32_t log = FieldI32(record_.bytes, msg::kLogNote);
  if (!LockForEditing()) {
    Prompter().Inform("Record in use.");
    EditNote(this, &log, kNoteReadOnly);
    return;
  }
  if (EditNote(this, &log, kNoteReturnCall)) {
    SetFieldI32(record_.bytes, msg::kLogNote, log);
    WriteBack();
  }
  RefreshTitle();
}

void TViewMessageBaseClass::ShowCC() {
  if (Email()) {
    EmailCCListDialog dialog(this, header_.Cc());
    RunMessagingDialog(dialog);
    return;
  }
  ShowCCList(this, record_.Number());
}

// ---- The phone list ----

std::string TViewMessageBaseClass::FieldTextOf(int id) const {
  auto* edit = FindControlAs<QLineEdit>(this, id);
  return edit ? ToCp1252(edit->text()) : std::string();
}

void TViewMessageBaseClass::ShowQuickList() {
  if (!quickList_ || !quickList_->TableOpen() || Archived()) return;
  // Taking an entry changes the slip: the record is locked first.
  if (!MayEdit()) return;
  auto* company = FindControlAs<QLineEdit>(this, kIdCompany);
  std::string name;
  if (!quickList_->FindFrom(ToCp1252(company->text()), &name)) name.clear();
  quickList_->Open(company, name);
  company->setFocus();
}

void TViewMessageBaseClass::QuickListMenu(const QPoint& at) {
  QMenu menu(this);
  menu.setTitle("QuickList");
  QAction* add = menu.addAction("&Add to PhoneList");
  QAction* select = menu.addAction("&Select PhoneList");
  QAction* chosen = menu.exec(at);
  if (chosen == add) AddToPhoneList();
  if (chosen == select) {
    if (quickList_) quickList_->Close();
    SelectPhoneList(this, false);
  }
}

void TViewMessageBaseClass::AddToPhoneList() {
  if (!Phone() || SendLog()) return;
  if (quickList_) quickList_->Close();
  ::AddToPhoneList(FieldTextOf(kIdCompany), FieldTextOf(kIdPhoneFrom), FieldTextOf(kIdPhone),
                   FieldTextOf(kIdExt));
}

void TViewMessageBaseClass::Dial() {
  if (!Phone()) return;
  DialNumber(FieldTextOf(kIdCompany), FieldTextOf(kIdPhone));
}

// ---- Copy, Reply, Viewed ----

void TViewMessageBaseClass::Copy() {
  // A failed save does not stop the copy.
  if (!SendLog() && !Archived() && Modified() != 0) SaveQuietly();
  if (Email()) {
    CopyEmail();
    return;
  }
  CopyOneMessage(this, record_, false, single_);
}

void TViewMessageBaseClass::Reply() {
  if (SendLog()) return;
  if (!Archived() && Modified() != 0) SaveQuietly();
  if (Email()) {
    ReplyEmail();
    return;
  }
  if (Phone()) {
    CopyOneMessage(this, record_, true, single_);
    return;
  }
  if (ReplyToMemo(this, record_, single_)) {
    // The saved reply's note number is kept with the memo.
    WriteBack();
    RefreshTitle();
  }
}

void TViewMessageBaseClass::ShowViewed() {
  const int32_t viewed = record_.ViewedTime();
  if (viewed == 0) {
    Prompter().Inform("Message has not been viewed.");
    return;
  }
  std::string machine = "Unknown";
  NameTable names;
  if (NameOpen(names)) {
    NameEntry entry;
    if (NameFindNumber(names, record_.Viewer(), &entry)) machine = entry.Name();
    NameClose(names);
  }
  ClearAppError();
  const LocalTime t = ToLocal(viewed);
  Prompter().Inform(FromCp1252("Message viewed on: " + LocalDateText(t) + " at " +
                               ClockText(t.hour, t.minute, ClockForm::kList) +
                               "\nMachine: " + machine));
}

TViewMessageBaseClass* MakeMessageView(QWidget* owner, TableHandle& table, const ListRow& row,
                                       int32_t rowNumber, int32_t rowsAfter,
                                       const ListRequest& request, bool single) {
  if (row.Kind() != msg::kKindPhone && row.Kind() != msg::kKindMemo &&
      row.Kind() != msg::kKindEmail)
    return nullptr;
  auto* view = new TViewMessageBaseClass(owner, table, row, rowNumber, rowsAfter, request, single);
  if (!view->Start()) {
    delete view;
    return nullptr;
  }
  return view;
}
