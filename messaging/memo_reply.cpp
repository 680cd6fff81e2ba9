#include "messaging/memo_reply.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <cstring>

#include "data/clock.h"
#include "data/messages/dpnote.h"
#include "data/messages/take_send.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "toolkit/accessible_names.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "messaging/list_request.h"
#include "messaging/note_editor.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/controls/picker_controls.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;
namespace nm = records::name;

TRespondToMemoClass::TRespondToMemoClass(QWidget* owner, MessageRecord& memo, bool urgent)
    : TBaseDialog(owner), memo_(memo), picker_(this) {
  setProperty("helpAnchor", "reply");
  setObjectName("MEMO_RESPONSE");
  urgent_ = urgent ? 1 : 0;
  // To the memo's From, when that is someone in the name table.
  NameRecord person;
  if (NameLookup(memo.From(), &person)) {
    SetFieldText(nameRecord_, nm::kName, person.Name().c_str());
    SetFieldI32(nameRecord_, nm::kNumber, person.Number());
  }
  ClearAppError();
  std::strncpy(from_, memo.To().c_str(), sizeof from_ - 1);

  const int32_t saved = FieldI32(memo.bytes, msg::kLogNote);
  bool fromSaved = false;
  if (saved != 0) {
    SavedReply kept;
    if (ReadSavedReply(saved, &kept)) {
      reply_ = kept;
      fromSaved = true;
    }
    // A kept reply that cannot be read is forgotten.
    ClearAppError();
  }
  if (!fromSaved) {
    std::string whole = FieldText(memo.bytes, msg::kMemoText);
    if (memo.LongTextNote() != 0) {
      std::string note;
      if (NoteRead(memo.LongTextNote(), &note)) whole = note;
      ClearAppError();
    }
    reply_.text = QuoteMemo(whole);
  }
  std::memcpy(text_, reply_.text.data(), std::min(reply_.text.size(), sizeof text_ - 1));

  auto* grid = new QGridLayout(this);
  auto* toButton = new QPushButton(">>", this);
  SetControlId(toButton, kIdToButton);
  toButton->setAutoDefault(false);
  toButton->setAccessibleName("Choose the recipient");
  auto* toLabel = new QLabel("To:", this);
  auto* to = new FieldLineEdit(this);
  SetControlId(to, kIdTo);
  toLabel->setBuddy(to);
  auto* fromLabel = new QLabel("From:", this);
  auto* from = new FieldLineEdit(this);
  SetControlId(from, kIdFrom);
  from->setMaxLength(20);
  fromLabel->setBuddy(from);
  auto* time = new QLabel(FromCp1252(RowTimeText(ClockNow())), this);
  SetControlId(time, kIdTime);
  time->setAccessibleName("Date and time");
  grid->addWidget(toLabel, 0, 0);
  grid->addWidget(to, 0, 1);
  grid->addWidget(toButton, 0, 2);
  grid->addWidget(time, 0, 3);
  grid->addWidget(fromLabel, 1, 0);
  grid->addWidget(from, 1, 1);
  auto* urgentBox = new QCheckBox("&Urgent", this);
  SetControlId(urgentBox, kIdUrgent);
  grid->addWidget(urgentBox, 1, 3);
  auto* text = new FieldTextEdit(this);
  SetControlId(text, kIdText);
  text->setAccessibleName("Message");
  grid->addWidget(text, 2, 0, 1, 4);
  auto* buttons = new QHBoxLayout;
  auto* send = new QPushButton("&Send", this);
  SetControlId(send, kIdSend);
  auto* note = new QPushButton("&Note", this);
  SetControlId(note, kIdNote);
  note->setAutoDefault(false);
  auto* close = new QPushButton("Close", this);
  SetControlId(close, kIdClose);
  close->setAutoDefault(false);
  buttons->addWidget(send);
  buttons->addWidget(note);
  buttons->addStretch(1);
  buttons->addWidget(close);
  grid->addLayout(buttons, 3, 0, 1, 4);
  connect(send, &QPushButton::clicked, this, [this] { Send(); });
  connect(note, &QPushButton::clicked, this, [this] { Note(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  connect(toButton, &QPushButton::clicked, this, [this] { PickTo(); });
  resize(480, 340);
  GuardCp1252(this);
  NameControlsByLabels(this);

  Bind<TToControl>(kIdTo, nameRecord_, tags_, kPickEverything, &picker_);
  Bind<TEditControl>(kIdFrom, from_, sizeof from_);
  Bind<TMultiLineEditControl>(kIdText, text_, sizeof text_, true);
  Bind<TCheckBoxControl>(kIdUrgent, &urgent_);
}

void TRespondToMemoClass::Initialise() {
  TBaseDialog::Initialise();
  RefreshTitle();
  if (auto* text = FindControlAs<QPlainTextEdit>(this, kIdText)) {
    text->setFocus();
    text->moveCursor(QTextCursor::End);
  }
}

void TRespondToMemoClass::RefreshTitle() {
  QString title = "Reply to " + FromCp1252(memo_.From());
  if (reply_.attachedNote != 0) title += " *** NOTE ATTACHED ***";
  setWindowTitle(title);
}

void TRespondToMemoClass::PickTo() {
  if (picker_.PickName(nameRecord_, tags_, kPickEverything, FieldText(nameRecord_, nm::kName)))
    Binding(kIdTo)->TransferIn();
}

void TRespondToMemoClass::Note() {
  if (EditNote(this, &reply_.attachedNote, kNoteEdit)) SetModified(1);
  RefreshTitle();
}

void TRespondToMemoClass::Send() {
  if (!TransferOut()) return;
  const std::string to = FieldText(nameRecord_, nm::kName);
  if (to.empty()) {
    Prompter().Inform("Please fill in To: field.");
    return;
  }
  MessageRecord reply;
  SetFieldByte(reply.bytes, msg::kKind, msg::kKindMemo);
  SetFieldText(reply.bytes, msg::kFrom, from_);
  SetFieldByte(reply.bytes, msg::kFlags, urgent_ ? msg::kFlagUrgent : 0);
  SetFieldI32(reply.bytes, msg::kTime, 0);
  // The message takes its own copy of the note; the kept reply has its own.
  int32_t note = 0;
  if (reply_.attachedNote != 0 && !NoteDuplicate(reply_.attachedNote, &note)) {
    ShowError();
    return;
  }
  SetFieldI32(reply.bytes, msg::kAttachedNote, note);
  const std::string longText = TakeGatherText(reply, text_);
  TakeRecipients recipients;
  recipients.to = to;
  recipients.number = FieldI32(nameRecord_, nm::kNumber);
  if (!NameIsGroup(to) && recipients.number == 0) {
    NameRecord person;
    if (NameLookup(to, &person)) recipients.number = person.Number();
    ClearAppError();
  }
  recipients.tags = TagSetNumbers(tags_);
  Prompter().Working(true, "Sending messages...");
  const int ok = TakeSend(reply, longText, recipients, msg::kFolderNew,
                          [] { return Prompter().AskYesNo("Attach CC: list?"); });
  Prompter().Working(false);
  if (!ok) {
    ShowError();
    return;
  }
  Finish(1);
}

void TRespondToMemoClass::reject() {
  Finish(0);
}

void TRespondToMemoClass::closeEvent(QCloseEvent* e) {
  Finish(0);
  e->accept();
}

void TRespondToMemoClass::Finish(int result) {
  if (finished_) return;
  finished_ = true;
  if (Modified() != 0) {
    // Kept with the answered memo, for the next Reply.
    TransferOut();
    reply_.text = text_;
    int32_t saved = FieldI32(memo_.bytes, msg::kLogNote);
    if (KeepSavedReply(reply_, &saved)) {
      SetFieldI32(memo_.bytes, msg::kLogNote, saved);
      memoChanged_ = true;
    } else {
      ShowError();
    }
  }
  CloseWith(result);
}

bool ReplyToMemo(QWidget* owner, MessageRecord& memo, bool urgent) {
  TRespondToMemoClass dialog(owner, memo, urgent);
  RunMessagingDialog(dialog);
  return dialog.MemoChanged();
}
