#include "messaging/mail_copy.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <algorithm>

#include "data/clock.h"
#include "data/messages/dpnote.h"
#include "data/messages/email_address.h"
#include "data/messages/email_text.h"
#include "data/office/dpmain.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "messaging/email_dialogs.h"
#include "messaging/email_settings.h"
#include "messaging/select_mail_to.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;

namespace {

void CopyInto(char* buffer, size_t size, const std::string& text) {
  std::fill(buffer, buffer + size, '\0');
  std::copy_n(text.data(), std::min(text.size(), size - 1), buffer);
}

const char kOriginalFrom[] = "(Use original From field)";

}  // namespace

TGetEmailCopyInfo::TGetEmailCopyInfo(QWidget* owner, const MessageRecord* message, bool urgent)
    : TBaseDialog(owner, message ? "Copy E-mail" : "Copy selected Emails"),
      ownFrom_(UserDefaultFrom()),
      one_(message != nullptr) {
  setProperty("helpAnchor", "copy-message");
  setObjectName("COPY_EMAIL");
  urgent_ = urgent ? 1 : 0;
  if (one_) {
    std::string note;
    const int32_t number = FieldI32(message->bytes, msg::kAttachedNote);
    if (number != 0 && !NoteRead(number, &note)) note.clear();
    CopyInto(note_, sizeof note_, CopyNoteWithHeading(note, CurrentUser().name, ClockNow()));
  }
  auto* grid = new QGridLayout(this);
  auto* toButton = new QPushButton("&To:", this);
  SetControlId(toButton, kIdToButton);
  toButton->setAutoDefault(false);
  auto* to = new FieldLineEdit(this);
  SetControlId(to, kIdTo);
  to->setAccessibleName("To:");
  to->setMinimumWidth(to->fontMetrics().horizontalAdvance('M') * 30);
  auto* cc = new QPushButton("&CC:", this);
  SetControlId(cc, kIdCC);
  cc->setAutoDefault(false);
  grid->addWidget(toButton, 0, 0);
  grid->addWidget(to, 0, 1);
  grid->addWidget(cc, 0, 2);
  auto* useFrom = new QCheckBox("From:", this);
  SetControlId(useFrom, kIdUseFrom);
  auto* from = new FieldLineEdit(this);
  SetControlId(from, kIdFrom);
  from->setAccessibleName("From:");
  grid->addWidget(useFrom, 1, 0);
  grid->addWidget(from, 1, 1, 1, 2);
  auto* attach = new QCheckBox("Attach note", this);
  SetControlId(attach, kIdAttachNote);
  auto* urgentBox = new QCheckBox("Urgent", this);
  SetControlId(urgentBox, kIdUrgent);
  grid->addWidget(attach, 2, 1);
  grid->addWidget(urgentBox, 2, 2);
  auto* note = new FieldTextEdit(this);
  SetControlId(note, kIdNote);
  note->setAccessibleName("Note");
  note->setTabChangesFocus(true);
  grid->addWidget(note, 3, 0, 1, 3);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  row->addWidget(ok);
  row->addWidget(cancel);
  grid->addLayout(row, 4, 0, 1, 3);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  connect(toButton, &QPushButton::clicked, this, [this] { PickTo(); });
  connect(cc, &QPushButton::clicked, this, [this] { EditCC(); });
  connect(useFrom, &QCheckBox::toggled, this, [this] { ShowFrom(); });
  connect(attach, &QCheckBox::toggled, note, &QWidget::setEnabled);

  Bind<TEditControl>(kIdTo, to_, sizeof to_);
  Bind<TCheckBoxControl>(kIdUseFrom, &useFrom_);
  Bind<TCheckBoxControl>(kIdAttachNote, &attach_);
  Bind<TCheckBoxControl>(kIdUrgent, &urgent_);
  Bind<TMultiLineEditControl>(kIdNote, note_, sizeof note_, true);
  from->setText(kOriginalFrom);
  from->setEnabled(false);
  note->setEnabled(false);
  if (!one_) {
    attach->setEnabled(false);
    note->setEnabled(false);
  }
  NameControlsByLabels(this);
  GuardCp1252(this);
}

void TGetEmailCopyInfo::ShowFrom() {
  auto* box = FindControlAs<QCheckBox>(this, kIdUseFrom);
  auto* from = FindControlAs<QLineEdit>(this, kIdFrom);
  if (box->isChecked()) {
    from->setEnabled(true);
    from->setText(FromCp1252(ownFrom_));
  } else {
    if (from->isEnabled()) ownFrom_ = ToCp1252(from->text());
    from->setText(kOriginalFrom);
    from->setEnabled(false);
  }
}

void TGetEmailCopyInfo::PickTo() {
  TransferOut();
  std::string picked;
  if (!PickEmailAddresses(this, to_, &picked)) return;
  const std::string text = AppendAddresses(to_, picked);
  if (text.size() > kMaxRecipientList) {
    Prompter().Inform("Not enough room in field.");
    return;
  }
  CopyInto(to_, sizeof to_, text);
  if (TControl* c = Binding(kIdTo)) c->TransferIn();
}

void TGetEmailCopyInfo::EditCC() {
  EditEmailCC(this, &request_.cc);
}

void TGetEmailCopyInfo::Ok() {
  if (!TransferOut()) return;
  auto* from = FindControlAs<QLineEdit>(this, kIdFrom);
  request_.to = to_;
  request_.useFrom = useFrom_ != 0;
  request_.from = request_.useFrom ? ToCp1252(from->text()) : std::string();
  request_.urgent = urgent_ != 0;
  request_.attachNote = one_ && attach_ != 0;
  request_.note = request_.attachNote ? std::string(note_) : std::string();
  std::string message;
  // A single e-mail's own From is checked when no From is given; the
  // copies of several e-mails are checked one by one as they go.
  if (!EmailCopyCheck(request_, request_.useFrom ? request_.from : std::string(), &message)) {
    Prompter().Inform(FromCp1252(message));
    return;
  }
  CloseWith(1);
}

void TGetEmailCopyInfo::reject() {
  if (!ConfirmDiscard()) return;
  CloseWith(0);
}

int CopyOneEmail(QWidget* owner, const MessageRecord& message, bool fromSendLog, bool urgent) {
  TGetEmailCopyInfo dialog(owner, &message, urgent);
  if (RunMessagingDialog(dialog) != 1) return 0;
  std::string text;
  if (!EmailCopy(dialog.Request(), message, fromSendLog, &text)) {
    if (!text.empty()) Prompter().Inform(FromCp1252(text));
    return 0;
  }
  Prompter().Flash("Email copied.");
  return 1;
}

int CopySeveralEmails(QWidget* owner, const std::vector<MessageRecord>& messages,
                      bool fromSendLog) {
  TGetEmailCopyInfo dialog(owner, nullptr, false);
  if (RunMessagingDialog(dialog) != 1) return 0;
  std::string text;
  Prompter().Working(true, "Copying Emails...");
  const int ok = EmailCopySeveral(
      dialog.Request(), messages, fromSendLog,
      [owner](std::string* from) { return AskEmailFromDialog(owner, from); }, &text);
  Prompter().Working(false);
  if (!ok) {
    if (!text.empty()) Prompter().Inform(FromCp1252(text));
    return 0;
  }
  Prompter().Flash("Email copied.");
  return 1;
}
