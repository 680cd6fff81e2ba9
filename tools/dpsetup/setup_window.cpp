#include "tools/dpsetup/setup_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

namespace {

QLabel* Value(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SetControlId(label, id);
  return label;
}

}  // namespace

SetupWindow::SetupWindow(const std::string& iniFile, QWidget* parent)
    : QDialog(parent), iniFile_(iniFile) {
  setWindowTitle("DESKpost Setup");
  setMinimumWidth(fontMetrics().averageCharWidth() * 64);
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  QLabel* ini = Value(this, kIdSetupIniFile);
  ini->setText(QString::fromLocal8Bit(iniFile.c_str()));
  directory_ = Value(this, kIdSetupDirectory);
  user_ = Value(this, kIdSetupUser);
  form->addRow("Settings file:", ini);
  form->addRow("Data directory:", directory_);
  form->addRow("User name:", user_);
  column->addLayout(form);
  status_ = Value(this, kIdSetupStatus);
  status_->setWordWrap(true);
  column->addWidget(status_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  add_ = new QPushButton("&Add to Name List", this);
  SetControlId(add_, kIdSetupAddUser);
  auto* close = new QPushButton("Close", this);
  SetControlId(close, 2);
  close->setDefault(true);
  buttons->addWidget(add_);
  buttons->addWidget(close);
  column->addLayout(buttons);
  connect(add_, &QPushButton::clicked, this, [this] { AddUser(); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  Refresh();
}

void SetupWindow::Refresh() {
  const SetupState state = InspectWorkstation(iniFile_);
  // The directory is a file system path; the name is record text.
  directory_->setText(QString::fromLocal8Bit(state.settings.directory.c_str()));
  user_->setText(FromCp1252(state.settings.userName));
  if (!state.problem.empty()) {
    status_->setText(FromCp1252(state.problem));
  } else if (state.userKnown) {
    status_->setText("The user is in the DESKpost name list. DESKpost can start.");
  } else {
    status_->setText("The user is not in the DESKpost name list yet.");
  }
  add_->setEnabled(state.problem.empty() && !state.userKnown);
}

void SetupWindow::AddUser() {
  std::string problem;
  const AddUserResult result = AddWorkstationUser(iniFile_, &problem);
  Refresh();
  if (result == AddUserResult::kAdded) {
    status_->setText("Added to the DESKpost name list. Start DESKpost again.");
  } else if (result == AddUserResult::kFailed) {
    status_->setText(FromCp1252(problem));
  }
}
