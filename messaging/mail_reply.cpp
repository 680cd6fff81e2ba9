#include "messaging/mail_reply.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "data/messages/email_text.h"
#include "messaging/cp1252_guard.h"
#include "messaging/dialog_runner.h"
#include "storage/records/message.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"

TRespondToMailClass::TRespondToMailClass(QWidget* owner, const std::string& to,
                                         const std::string& subject, const std::string& body,
                                         bool urgent)
    : TBaseDialog(owner, "Reply to E-mail"),
      composer_(new EmailComposer(this)),
      to_(to),
      subject_(ReplySubject(subject)),
      body_(body),
      urgent_(urgent) {
  setProperty("helpAnchor", "reply");
  setObjectName("MAIL_RESPONSE");
  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  int row = 0;
  composer_->BuildFields(grid, &row);
  column->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  auto* send = new QPushButton("&Send", this);
  SetControlId(send, EmailComposer::kIdSend);
  send->setAutoDefault(false);
  buttons->addWidget(send);
  buttons->addWidget(composer_->MakeAttachButton());
  buttons->addStretch(1);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  cancel->setAutoDefault(false);
  buttons->addWidget(cancel);
  column->addLayout(buttons);
  connect(send, &QPushButton::clicked, this, [this] { Send(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  // "&To:" says its own words when the field is full.
  if (auto* pick = FindControlAs<QPushButton>(this, EmailComposer::kIdPickTo)) {
    pick->disconnect(composer_);
    connect(pick, &QPushButton::clicked, this,
            [this] { composer_->PickTo("Not enough room for more items."); });
  }
  NameControlsByLabels(this);
  GuardCp1252(this);
  resize(600, 440);
}

TRespondToMailClass::~TRespondToMailClass() {
  // A reply dropped unsent leaves no stored attachment copies behind.
  composer_->DropAttachments();
}

void TRespondToMailClass::Initialise() {
  composer_->Start(to_, subject_, body_, urgent_);
  if (QWidget* body = FindControl(this, EmailComposer::kIdBody)) {
    body->setFocus();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(body)) edit->moveCursor(QTextCursor::Start);
  }
}

bool TRespondToMailClass::Send() {
  if (!composer_->Send(records::message::kFolderNew)) return false;
  // The attachments went with the e-mail.
  composer_->Header() = EmailHeader();
  CloseWith(1);
  return true;
}

void TRespondToMailClass::reject() {
  if (!ConfirmDiscard()) return;
  CloseWith(0);
}

bool ReplyToEmail(QWidget* owner, const std::string& to, const std::string& subject,
                  const std::string& quote, bool urgent) {
  TRespondToMailClass reply(owner, to, subject, quote, urgent);
  return RunMessagingDialog(reply) == 1;
}
