#include "messaging/take_email.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "data/messages/attachments.h"
#include "data/messages/dpfolder.h"
#include "data/office/dpmain.h"
#include "messaging/cp1252_guard.h"
#include "messaging/folder_dialog.h"
#include "storage/records/message.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"

TTakeEmailClass::TTakeEmailClass(QWidget* owner)
    : TTakeMessageBaseClass(owner, kTakeEmail, "Take Email"), composer_(new EmailComposer(this)) {
  setProperty("helpAnchor", "email");
  setObjectName("TAKEMAIL");
  auto* column = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  column->addLayout(top);
  auto* grid = new QGridLayout;
  top->addLayout(grid, 1);
  int row = 0;
  composer_->BuildFields(grid, &row);
  top->addLayout(BuildKindButtons());

  auto* buttons = new QHBoxLayout;
  column->addLayout(buttons);
  auto button = [this, buttons](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    b->setAutoDefault(false);
    SetControlId(b, id);
    buttons->addWidget(b);
    return b;
  };
  QPushButton* send = button("&Send", EmailComposer::kIdSend);
  buttons->addWidget(composer_->MakeAttachButton());
  QPushButton* clear = button("C&lear", kIdClear);
  QPushButton* close = button("Close", kIdCancel);
  buttons->addStretch();
  connect(send, &QPushButton::clicked, this, [this] { Send(); });
  connect(clear, &QPushButton::clicked, this, [this] { ClearForm(); });
  connect(close, &QPushButton::clicked, this, [this] { reject(); });
  auto* toFolder = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  connect(toFolder, &QShortcut::activated, this, [this] { SendToFolder(); });
  NameControlsByLabels(this);
  GuardCp1252(this);
  resize(600, 440);
}

TTakeEmailClass::~TTakeEmailClass() {
  // An e-mail dropped unsent leaves no stored attachment copies behind.
  composer_->DropAttachments();
}

void TTakeEmailClass::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addSeparator();
  QAction* toFolder = menu.addAction("Send to &folder");
  if (menu.exec(event->globalPos()) == toFolder) SendToFolder();
}

void TTakeEmailClass::Initialise() {
  if (initialised_) return;
  initialised_ = true;
  Reset();
}

void TTakeEmailClass::Reset() {
  composer_->Clear(false);
  RefreshTitle();
  if (QWidget* to = FindControl(this, EmailComposer::kIdTo)) to->setFocus();
}

void TTakeEmailClass::ClearForm() {
  composer_->DropAttachments();
  Reset();
}

bool TTakeEmailClass::Send() {
  if (!composer_->Send(records::message::kFolderNew)) return false;
  Reset();
  return true;
}

bool TTakeEmailClass::SendToFolder() {
  FolderRecord choice = MakeFolderRecord("", CurrentUser().number);
  if (!ChooseFolder(this, choice)) return false;
  if (!composer_->Send(choice.Number())) return false;
  Reset();
  return true;
}

void TTakeEmailClass::RefreshTitle() {
  // An e-mail carries no attached note while it is written.
  setWindowTitle("Take Email");
}
