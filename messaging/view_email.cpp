// The e-mail's parts of the view window (VMAIL): the header and body read
// from the e-mail file, the fields, saving back into the file, the
// attachments, the options, copying, replying and the send log's "&Sent".
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>

#include "data/local_time.h"
#include "data/messages/attachments.h"
#include "data/messages/email_address.h"
#include "data/messages/email_error.h"
#include "data/messages/email_text.h"
#include "messaging/attach_dialog.h"
#include "messaging/email_compose.h"
#include "messaging/email_dialogs.h"
#include "messaging/email_settings.h"
#include "messaging/mail_copy.h"
#include "messaging/mail_reply.h"
#include "messaging/view_message.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace msg = records::message;

namespace {

void CopyInto(char* buffer, size_t size, const std::string& text) {
  std::fill(buffer, buffer + size, '\0');
  std::copy_n(text.data(), std::min(text.size(), size - 1), buffer);
}

// The reply's body holds 31999 characters.
constexpr size_t kReplyRoom = EmailComposer::kBodySize - 1;

}  // namespace

bool TViewMessageBaseClass::Email() const {
  return record_.Kind() == msg::kKindEmail;
}

bool TViewMessageBaseClass::StartEmail() {
  std::string body;
  bool truncated = false;
  ClearEmailError();
  if (!EmailRead(EmailFilePath(record_.Number(), SendLog()), &header_, &body, kEmailBodyLimit,
                 &truncated)) {
    Prompter().Inform("Error reading Email file.");
    return false;
  }
  if (truncated) Prompter().Inform("Not enough memory to show entire message.");
  truncated_ = truncated;
  body_.assign(EmailComposer::kBodySize, '\0');
  if (AutoFormat()) body = Reflow(body);
  CopyInto(body_.data(), body_.size(), FromEmailLines(body));
  CopyInto(mailTo_, sizeof mailTo_, header_.To());
  CopyInto(mailFrom_, sizeof mailFrom_, header_.From());
  CopyInto(subject_, sizeof subject_, header_.Subject());
  return true;
}

void TViewMessageBaseClass::BuildEmailFields(QVBoxLayout* outer) {
  auto* form = new QGridLayout;
  int line = 0;
  auto field = [this, form, &line](const QString& label, int id, int chars) {
    auto* edit = new FieldLineEdit(this);
    SetControlId(edit, id);
    edit->setMaxLength(chars);
    auto* l = new QLabel(label, this);
    l->setBuddy(edit);
    form->addWidget(l, line, 0);
    form->addWidget(edit, line, 1);
    ++line;
    if (SendLog()) edit->setReadOnly(true);
    return edit;
  };
  field("To:", kIdTo, 255)->setReadOnly(true);
  field("From:", kIdMailFrom, 127);
  field("Subject:", kIdSubject, 127);
  outer->addLayout(form);
  auto* body = new FieldTextEdit(this);
  SetControlId(body, kIdBody);
  body->setAccessibleName("Message");
  if (SendLog()) body->setReadOnly(true);
  outer->addWidget(body, 1);
  auto* ticks = new QHBoxLayout;
  attachments_ = new QCheckBox("&Attachments", this);
  SetControlId(attachments_, kIdAttachments);
  ticks->addWidget(attachments_);
  ticks->addStretch(1);
  outer->addLayout(ticks);
  attachments_->setChecked(AttachmentCount(header_) > 0);
  // A click, a key or a screen reader's toggle opens the list; the tick
  // itself follows the e-mail.
  connect(attachments_, &QCheckBox::toggled, this, [this] { ShowAttachments(); });
}

std::string TViewMessageBaseClass::ShownBody() const {
  auto* edit = FindControlAs<QPlainTextEdit>(const_cast<TViewMessageBaseClass*>(this), kIdBody);
  return edit ? ToEmailLines(ToCp1252(edit->toPlainText())) : std::string();
}

bool TViewMessageBaseClass::SentToInternet() const {
  if (!SendLog() || !Email()) return false;
  for (const RecipientItem& item : RecipientItems(header_.To()))
    if (IsInternetAddress(item.text)) return true;
  for (const RecipientItem& item : RecipientItems(header_.Cc()))
    if (IsInternetAddress(item.text)) return true;
  return false;
}

bool TViewMessageBaseClass::SaveEmailQuietly() {
  if (!TransferOut()) return false;
  MessageRecord record = record_;
  SetFieldText(record.bytes, msg::kSenderAddress, mailFrom_);
  SetFieldText(record.bytes, msg::kFrom, std::string(mailFrom_).substr(0, 20).c_str());
  SetFieldText(record.bytes, msg::kSubject, subject_);
  EmailHeader header = header_;
  header.SetFrom(mailFrom_);
  header.SetSubject(subject_);
  ClearAppError();
  ClearEmailError();
  // A body shown cut is not written back: the file keeps all of it.
  const bool written = truncated_ ? EmailRewriteHeader(header, record.Number(), false)
                                  : EmailRewrite(header, ShownBody(), record.Number());
  if (!written || !MsgTouch(static_cast<MessageTable&>(table_), row_.Entry(), record)) {
    ClearAppError();
    Prompter().Inform("Could not save.");
    return false;
  }
  header_ = header;
  record_ = record;
  row_.Follow(record_);
  SetModified(0);
  return true;
}

void TViewMessageBaseClass::ShowAttachments() {
  const QSignalBlocker quiet(attachments_);
  attachments_->setChecked(AttachmentCount(header_) > 0);
  const bool readOnly = SendLog() || Archived();
  if (!readOnly && !LockForEditing()) {
    Prompter().Inform("Record in use.");
    ::ShowAttachments(this, header_, record_.Number(), SendLog(), true);
  } else {
    ::ShowAttachments(this, header_, record_.Number(), SendLog(), readOnly);
  }
  attachments_->setChecked(AttachmentCount(header_) > 0);
}

void TViewMessageBaseClass::Options() {
  if (!EditEmailOptions(this, FieldText(record_.bytes, msg::kRawStem))) return;
  std::string body;
  if (AutoFormat()) {
    body = Reflow(ShownBody());
  } else {
    bool truncated = false;
    if (!EmailReadBody(EmailFilePath(record_.Number(), SendLog()), &body, kEmailBodyLimit,
                       &truncated)) {
      Prompter().Inform("Error reading Email file.");
      return;
    }
  }
  ShowBody(body);
}

void TViewMessageBaseClass::ShowBody(const std::string& body) {
  CopyInto(body_.data(), body_.size(), FromEmailLines(body));
  const uint32_t modified = Modified();
  if (TControl* c = Binding(kIdBody)) c->TransferIn();
  SetModified(modified);
}

void TViewMessageBaseClass::ShowSent() {
  const int32_t viewed = record_.ViewedTime();
  if (viewed == 0) {
    Prompter().Inform("Message has not been sent.");
    return;
  }
  const LocalTime t = ToLocal(viewed);
  Prompter().Inform(FromCp1252("Message sent on: " + LocalDateText(t) + " at " +
                               ClockText(t.hour, t.minute, ClockForm::kList)));
}

bool TViewMessageBaseClass::QuoteShownLines(std::string* quote) const {
  auto* edit = FindControlAs<QPlainTextEdit>(const_cast<TViewMessageBaseClass*>(this), kIdBody);
  if (!edit) return false;
  // The lines as the field shows them: a wrapped line counts as lines.
  QStringList lines;
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
    const QString text = b.text();
    QTextLayout* layout = b.layout();
    if (!layout || layout->lineCount() == 0) {
      lines << text;
      continue;
    }
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine l = layout->lineAt(i);
      lines << text.mid(l.textStart(), l.textLength());
    }
  }
  size_t length = 0;
  for (const QString& l : lines) length += size_t(l.size());
  if (length + 5 + 4 * size_t(lines.size()) > kReplyRoom) return false;
  std::string out = "\r\n\r\n";
  for (const QString& l : lines) out += "> " + ToCp1252(l) + "\r\n";
  *quote = out;
  return true;
}

void TViewMessageBaseClass::CopyEmail() {
  CopyOneEmail(this, record_, SendLog(), single_);
}

void TViewMessageBaseClass::ReplyEmail() {
  std::string quote;
  if (Prompter().AskYesNo("Copy message text over?") && !QuoteShownLines(&quote)) {
    Prompter().Inform("Not enough memory.");
    return;
  }
  ReplyToEmail(this, header_.From(), header_.Subject(), quote, single_);
}
