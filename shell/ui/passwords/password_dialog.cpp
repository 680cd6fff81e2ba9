#include "shell/ui/passwords/password_dialog.h"

#include "data/office/dpmain.h"
#include "shell/ui/passwords/new_password.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"

TPasswordDialog::TPasswordDialog(QWidget* owner, const QString& caption, PasswordPrompt& prompt,
                                 bool set, PasswordNotes notes)
    : TBaseDialog(owner, caption), prompt_(prompt), set_(set), notes_(notes) {
  setProperty("helpAnchor", "passwords");
}

void TPasswordDialog::AddPasswordButtons(FormBuilder& form, const QString& disableText) {
  setButton_ = form.Button(QString(), kIdSetPassword);
  disableButton_ = form.Button(disableText, kIdDisablePassword);
  connect(setButton_, &QPushButton::clicked, this, [this] { SetPassword(); });
  connect(disableButton_, &QPushButton::clicked, this, [this] { Disable(); });
  EnterState(set_);
}

void TPasswordDialog::AddOkButton(FormBuilder& form) {
  QPushButton* ok = form.Button("OK", kIdOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
}

void TPasswordDialog::EnterState(bool set) {
  set_ = set;
  if (setButton_) setButton_->setText(set ? "Change Pass&word" : "Set Pass&word");
  // Disabling what is not set would only say so again.
  if (disableButton_) disableButton_->setEnabled(set);
  EnteredState(set);
}

void TPasswordDialog::SetPassword() {
  std::optional<std::string> text = AskNewPassword(Ask());
  if (!text) return;
  if (text->empty()) {
    Disable();
    return;
  }
  if (!StoreNewPassword(*text)) return;
  const bool wasSet = PasswordSet();
  EnterState(true);
  if (!wasSet) Prompter().Inform(notes_.enabled);
}

void TPasswordDialog::Disable() {
  if (!StoreNoPassword()) {
    ShowError();
    return;
  }
  EnterState(false);
  Prompter().Inform(notes_.disabled);
}

void TPasswordDialog::Initialise() {
  TBaseDialog::Initialise();
  EnterState(set_);
}
