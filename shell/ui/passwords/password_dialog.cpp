#include "shell/ui/passwords/password_dialog.h"

#include "toolkit/form_builder.h"

TPasswordDialog::TPasswordDialog(QWidget* owner, const QString& caption, PasswordPrompt& prompt,
                                 bool set)
    : TBaseDialog(owner, caption), prompt_(prompt), set_(set) {}

void TPasswordDialog::AddPasswordButtons(FormBuilder& form, const QString& disableText) {
  setButton_ = form.Button(QString(), kIdSetPassword);
  disableButton_ = form.Button(disableText, kIdDisablePassword);
  connect(setButton_, &QPushButton::clicked, this, [this] { SetPassword(); });
  connect(disableButton_, &QPushButton::clicked, this, [this] { Disable(); });
  EnterState(set_);
}

void TPasswordDialog::EnterState(bool set) {
  set_ = set;
  if (setButton_) setButton_->setText(set ? "Change Pass&word" : "Set Pass&word");
  // Disabling what is not set would only say so again.
  if (disableButton_) disableButton_->setEnabled(set);
  EnteredState(set);
}

void TPasswordDialog::Initialise() {
  TBaseDialog::Initialise();
  EnterState(set_);
}
