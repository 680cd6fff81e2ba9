#include "messaging/email_compose.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/attachments.h"
#include "data/messages/email_address.h"
#include "data/messages/email_send.h"
#include "data/office/dpmain.h"
#include "messaging/attach_dialog.h"
#include "messaging/email_dialogs.h"
#include "messaging/email_settings.h"
#include "messaging/select_mail_to.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/choice_controls.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/controls/multiline_control.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

void CopyInto(char* buffer, size_t size, const std::string& text) {
  std::fill(buffer, buffer + size, '\0');
  std::copy_n(text.data(), std::min(text.size(), size - 1), buffer);
}

}  // namespace

std::string ToEmailLines(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string FromEmailLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i] == '\r' ? '\n' : text[i];
  }
  return out;
}

EmailComposer::EmailComposer(TBaseDialog* dialog)
    : QObject(dialog), dialog_(dialog), body_(kBodySize, '\0') {}

void EmailComposer::BuildFields(QGridLayout* grid, int* row) {
  QWidget* w = dialog_;
  auto line = [w, grid, row](QWidget* label, int id, int chars) {
    auto* e = new FieldLineEdit(w);
    SetControlId(e, id);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance('M') * chars);
    if (auto* l = qobject_cast<QLabel*>(label)) l->setBuddy(e);
    grid->addWidget(label, *row, 0);
    grid->addWidget(e, *row, 1);
    return e;
  };
  // "&To:" is the To field's label and opens the address picker.
  auto* pickTo = new QPushButton("&To:", w);
  SetControlId(pickTo, kIdPickTo);
  pickTo->setAutoDefault(false);
  FieldLineEdit* to = line(pickTo, kIdTo, 30);
  to->setAccessibleName("To:");
  auto* cc = new QPushButton("&CC:", w);
  SetControlId(cc, kIdCC);
  cc->setAutoDefault(false);
  grid->addWidget(cc, *row, 2);
  ++*row;
  FieldLineEdit* from = line(new QLabel("From:", w), kIdFrom, 30);
  ++*row;
  line(new QLabel("Subject:", w), kIdSubject, 30);
  ++*row;
  auto* body = new FieldTextEdit(w);
  SetControlId(body, kIdBody);
  body->setAccessibleName("Message");
  body->setTabChangesFocus(true);
  body->setMinimumHeight(body->fontMetrics().lineSpacing() * 10 + 8);
  grid->addWidget(body, (*row)++, 0, 1, 3);

  auto* ticks = new QHBoxLayout;
  auto* urgent = new QCheckBox("&Urgent", w);
  SetControlId(urgent, kIdUrgent);
  attachments_ = new QCheckBox("Attachments", w);
  SetControlId(attachments_, kIdAttachments);
  signatureBox_ = new QCheckBox("Signature", w);
  SetControlId(signatureBox_, kIdSignature);
  signatureBox_->setAccessibleName("Signature");
  ticks->addWidget(urgent);
  ticks->addWidget(attachments_);
  ticks->addWidget(signatureBox_);
  ticks->addStretch(1);
  time_ = new QLabel(w);
  SetControlId(time_, kIdTime);
  time_->setAccessibleName("Date and time");
  ticks->addWidget(time_);
  grid->addLayout(ticks, (*row)++, 0, 1, 3);

  connect(pickTo, &QPushButton::clicked, this, [this] { PickTo("Not enough room in field."); });
  connect(cc, &QPushButton::clicked, this, [this] { EditCC(); });
  // The indicators are not the user's to tick: a click opens their dialog.
  // (A click, a key or a screen reader's toggle all toggle them.)
  connect(attachments_, &QCheckBox::toggled, this, [this] {
    RefreshTicks();
    EditAttachments();
  });
  connect(signatureBox_, &QCheckBox::toggled, this, [this] {
    RefreshTicks();
    ChooseSignature();
  });
  connect(to, &FieldLineEdit::focusLeft, this, [this] { RederiveFrom(); });
  connect(from, &QLineEdit::textEdited, this, [this] { fromEdited_ = true; });

  dialog_->Bind<TEditControl>(kIdTo, to_, sizeof to_);
  dialog_->Bind<TEditControl>(kIdFrom, from_, sizeof from_);
  dialog_->Bind<TEditControl>(kIdSubject, subject_, sizeof subject_);
  dialog_->Bind<TMultiLineEditControl>(kIdBody, body_.data(), body_.size(), false);
  dialog_->Bind<TCheckBoxControl>(kIdUrgent, &urgent_);
  RefreshTime();
}

QPushButton* EmailComposer::MakeAttachButton() {
  auto* attach = new QPushButton("&Attach", dialog_);
  SetControlId(attach, kIdAttach);
  attach->setAutoDefault(false);
  connect(attach, &QPushButton::clicked, this, [this] { EditAttachments(); });
  return attach;
}

void EmailComposer::RefreshTicks() {
  const QSignalBlocker quietAttachments(attachments_);
  const QSignalBlocker quietSignature(signatureBox_);
  attachments_->setChecked(AttachmentCount(header_) > 0);
  signatureBox_->setChecked(signature_ != 0);
  signatureBox_->setText(SignatureCaption(signature_));
}

void EmailComposer::Clear(bool dropAttachments) {
  if (dropAttachments) DropAttachments();
  header_ = EmailHeader();
  CopyInto(to_, sizeof to_, "");
  CopyInto(subject_, sizeof subject_, "");
  CopyInto(from_, sizeof from_, UserDefaultFrom());
  std::fill(body_.begin(), body_.end(), '\0');
  urgent_ = 0;
  signature_ = ReadSignatures().defaultChoice;
  fromEdited_ = false;
  dialog_->TransferIn();
  RefreshTicks();
}

void EmailComposer::Start(const std::string& to, const std::string& subject,
                          const std::string& body, bool urgent) {
  header_ = EmailHeader();
  CopyInto(to_, sizeof to_, to);
  CopyInto(subject_, sizeof subject_, subject);
  CopyInto(from_, sizeof from_, UserDefaultFrom());
  CopyInto(body_.data(), body_.size(), FromEmailLines(body));
  urgent_ = urgent ? 1 : 0;
  signature_ = ReadSignatures().defaultChoice;
  fromEdited_ = false;
  dialog_->TransferIn();
  RefreshTicks();
  RederiveFrom();
}

std::string EmailComposer::Body() const {
  return ToEmailLines(std::string(body_.data(), strnlen(body_.data(), body_.size())));
}

void EmailComposer::PickTo(const QString& noRoom) {
  dialog_->TransferOut();
  const std::string current = to_;
  std::string picked;
  if (!PickEmailAddresses(dialog_, current, &picked)) return;
  const std::string text = AppendAddresses(current, picked);
  if (text.size() > kMaxRecipientList) {
    Prompter().Inform(noRoom);
    return;
  }
  CopyInto(to_, sizeof to_, text);
  if (TControl* c = dialog_->Binding(kIdTo)) c->TransferIn();
  dialog_->SetModified(1);
  RederiveFrom();
}

void EmailComposer::EditCC() {
  std::string cc = header_.Cc();
  if (EditEmailCC(dialog_, &cc) && cc != header_.Cc()) {
    header_.SetCc(cc);
    dialog_->SetModified(1);
  }
  RederiveFrom();
}

void EmailComposer::EditAttachments() {
  const int before = AttachmentCount(header_);
  ::EditAttachments(dialog_, header_);
  if (AttachmentCount(header_) != before) dialog_->SetModified(1);
  RefreshTicks();
}

void EmailComposer::ChooseSignature() {
  ::ChooseSignature(dialog_, &signature_);
  RefreshTicks();
}

void EmailComposer::RederiveFrom() {
  if (fromEdited_) return;
  auto* to = FindControlAs<QLineEdit>(dialog_, kIdTo);
  auto* from = FindControlAs<QLineEdit>(dialog_, kIdFrom);
  if (!to || !from) return;
  const std::string current = ToCp1252(from->text());
  const std::string next = RederivedFrom(ToCp1252(to->text()), header_.Cc(), current,
                                         CurrentUser().name, UserDefaultFrom());
  if (next == current) return;
  CopyInto(from_, sizeof from_, next);
  // Set as a program does: the user's From edits alone count as edits.
  const uint32_t modified = dialog_->Modified();
  if (TControl* c = dialog_->Binding(kIdFrom)) c->TransferIn();
  dialog_->SetModified(modified);
}

bool EmailComposer::Send(int32_t folder) {
  if (!dialog_->TransferOut()) return false;
  EmailDraft draft;
  draft.header = header_;
  draft.to = to_;
  draft.from = from_;
  draft.subject = subject_;
  draft.body = Body();
  draft.urgent = urgent_ != 0;
  draft.signature = SignatureText(signature_);
  draft.folder = folder;
  std::string message;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int ok = EmailSend(draft, &message);
  QApplication::restoreOverrideCursor();
  // After a failure the draft may hold copies of its own in place of files
  // that went out with a delivered message.
  header_ = draft.header;
  if (!ok) {
    if (!message.empty()) Prompter().Inform(FromCp1252(message));
    RefreshTicks();
    return false;
  }
  return true;
}

void EmailComposer::DropAttachments() {
  for (int i = AttachmentCount(header_) - 1; i >= 0; --i) AttachmentRemove(header_, i);
  RefreshTicks();
}

void EmailComposer::RefreshTime() {
  if (!time_) return;
  const LocalTime t = ToLocal(ClockNow());
  time_->setText(
      FromCp1252(LocalDateText(t) + "   " + ClockText(t.hour, t.minute, ClockForm::kList)));
}
