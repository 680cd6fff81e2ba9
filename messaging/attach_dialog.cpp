#include "messaging/attach_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <memory>

#include "data/messages/attachments.h"
#include "data/messages/email_error.h"
#include "messaging/dialog_runner.h"
#include "toolkit/accessible_names.h"
#include "toolkit/control_id.h"
#include "toolkit/desktop.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

QString SizeText(double bytes) {
  return QString::number(bytes / 1024.0, 'f', 1) + "K";
}

const char kVirusWarning[] =
    "Some files can contain viruses or otherwise be harmful to your computer. It is important to "
    "be certain that this file is from a trustworthy source.\n\nDo you wish to continue?";

}  // namespace

TAttachDialog::TAttachDialog(QWidget* owner, EmailHeader& header)
    : TBaseDialog(owner, "Attachments"), header_(header) {
  setProperty("helpAnchor", "attachments");
  Build();
}

TAttachDialog::TAttachDialog(QWidget* owner, EmailHeader& header, int32_t number, bool sendLog,
                             bool readOnly)
    : TBaseDialog(owner, "Attachments"),
      header_(header),
      reading_(true),
      number_(number),
      sendLog_(sendLog),
      readOnly_(readOnly) {
  setProperty("helpAnchor", "attachments");
  Build();
}

void TAttachDialog::Build() {
  setObjectName("ATTACH");
  auto* column = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  SetControlId(list_, kIdList);
  list_->setAccessibleName("Attachments");
  list_->setMinimumSize(260, 160);
  column->addWidget(list_, 1);
  total_ = new QLabel(this);
  SetControlId(total_, kIdTotal);
  total_->setAccessibleName("Total");
  column->addWidget(total_);
  auto* row = new QHBoxLayout;
  auto button = [this, row](const QString& text, int id) {
    auto* b = new QPushButton(text, this);
    SetControlId(b, id);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
  };
  QPushButton* add = button(reading_ ? "&Save" : "&Add", kIdAdd);
  QPushButton* del = button("&Delete", kIdDelete);
  del->setEnabled(!readOnly_);
  row->addStretch(1);
  QPushButton* ok = button("OK", kIdOk);
  ok->setDefault(true);
  column->addLayout(row);
  connect(add, &QPushButton::clicked, this, [this] { AddOrSave(); });
  connect(del, &QPushButton::clicked, this, [this] { Delete(); });
  connect(ok, &QPushButton::clicked, this, [this] { CloseWith(1); });
  connect(list_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { OpenRow(list_->row(item)); });
  Refill();
}

void TAttachDialog::Refill() {
  const int selected = list_->currentRow();
  list_->clear();
  double total = 0;
  const int count = AttachmentCount(header_);
  for (int i = 0; i < count; ++i) {
    const Attachment a = AttachmentAt(header_, i);
    list_->addItem(FromCp1252(a.ownName) + " (" + SizeText(a.size) + ")");
    total += a.size;
  }
  total_->setText("Total: " + SizeText(total));
  if (count > 0) list_->setCurrentRow(std::min(std::max(selected, 0), count - 1));
}

void TAttachDialog::AddOrSave() {
  if (reading_) {
    Save();
  } else {
    Add();
  }
}

void TAttachDialog::Add() {
  if (AttachmentCount(header_) >= kMaxAttachments) {
    Prompter().Inform(QString("Maximum of %1 attachments allowed.").arg(kMaxAttachments));
    return;
  }
  const QString path = Desktop().OpenFileName("Attach file", QString(), "All files (*)");
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  int index = -1;
  const int ok = AttachmentAdd(header_, QFile::encodeName(path).toStdString(), &index);
  QApplication::restoreOverrideCursor();
  if (!ok) {
    Prompter().Inform(FromCp1252(EmailError()));
    return;
  }
  Refill();
  list_->setCurrentRow(index);
}

void TAttachDialog::Save() {
  const int row = list_->currentRow();
  if (row < 0 || row >= AttachmentCount(header_)) {
    Prompter().Inform("No entry selected.");
    return;
  }
  const Attachment a = AttachmentAt(header_, row);
  const QString path = Desktop().SaveFileNameUnconfirmed(
      "Save file", FromCp1252(SafeFileName(a.ownName)), "All files (*)");
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) && !Prompter().AskYesNo("File exists, overwrite?")) return;
  if (!AttachmentSave(a.storedName, QFile::encodeName(path).toStdString()))
    Prompter().Inform(FromCp1252(EmailError()));
}

void TAttachDialog::Delete() {
  if (readOnly_) return;
  const int row = list_->currentRow();
  if (row < 0 || row >= AttachmentCount(header_)) {
    Prompter().Inform("No entry selected.");
    return;
  }
  // A stored file already gone (another workstation deleted it) is no
  // reason to keep its entry; the data layer lets that pass.
  if (!AttachmentRemove(header_, row)) {
    Prompter().Inform(FromCp1252(EmailError()));
    return;
  }
  if (reading_ && !EmailRewriteHeader(header_, number_, sendLog_))
    Prompter().Inform(FromCp1252(EmailError()));
  Refill();
}

void TAttachDialog::OpenRow(int row) {
  if (!reading_ || row < 0 || row >= AttachmentCount(header_)) return;
  if (!Prompter().AskYesNo(kVirusWarning)) return;
  const Attachment a = AttachmentAt(header_, row);
  if (!IsStoredAttachmentName(a.storedName)) {
    Prompter().Inform("Error opening file.");
    return;
  }
  OpenPrivateCopy(AttachmentFilePath(a.storedName), a.ownName, false);
}

bool EditAttachments(QWidget* owner, EmailHeader& header) {
  TAttachDialog dialog(owner, header);
  RunMessagingDialog(dialog);
  return AttachmentCount(header) > 0;
}

void ShowAttachments(QWidget* owner, EmailHeader& header, int32_t number, bool sendLog,
                     bool readOnly) {
  TAttachDialog dialog(owner, header, number, sendLog, readOnly);
  RunMessagingDialog(dialog);
}

// ---- Opening a copy with the desktop ----

std::string SafeFileName(const std::string& ownName) {
  std::string safe;
  for (unsigned char c : ownName) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '_' || c == '-' || c == '~' || c == '(' || c == ')';
    safe += plain ? char(c) : '_';
  }
  while (!safe.empty() && safe.front() == '.') safe.erase(safe.begin());
  if (safe.size() > 64) safe.resize(64);
  if (safe.empty()) safe = "attachment";
  return safe;
}

std::string PrivateOpenFolder() {
  // One folder for the program's run, readable by its user alone; it goes
  // when the program ends.
  static std::unique_ptr<QTemporaryDir> folder;
  if (!folder) {
    folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/deskpost-XXXXXX");
    if (!folder->isValid()) {
      folder.reset();
      return std::string();
    }
    QFile::setPermissions(folder->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  return QFile::encodeName(folder->path()).toStdString();
}

bool OpenPrivateCopy(const std::string& source, const std::string& ownName, bool readOnly) {
  const std::string folder = PrivateOpenFolder();
  if (folder.empty()) {
    Prompter().Inform("Error creating file.");
    return false;
  }
  const QString target = QFile::decodeName(QByteArray::fromStdString(folder)) + "/" +
                         QString::fromLatin1(SafeFileName(ownName).c_str());
  const QString from = QFile::decodeName(QByteArray::fromStdString(source));
  if (!QFileInfo::exists(from)) {
    Prompter().Inform("Error opening file.");
    return false;
  }
  // An earlier copy of the same name (perhaps read-only) makes way.
  if (QFileInfo::exists(target)) {
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(target);
  }
  if (!QFile::copy(from, target)) {
    Prompter().Inform("Error creating file.");
    return false;
  }
  QFile::setPermissions(target,
                        readOnly ? QFile::ReadOwner : (QFile::ReadOwner | QFile::WriteOwner));
  if (!Desktop().OpenUrl(QUrl::fromLocalFile(target))) {
    Prompter().Inform("Error opening file.");
    return false;
  }
  return true;
}
