// MASTER_PASSWORD: the office's master password, which turns passwords on
// for everybody and is needed to manage the phone and user passwords.
#pragma once

#include <QWidget>
#include <optional>

#include "shell/ui/passwords/password_dialog.h"

class TMasterPasswordClass : public TPasswordDialog {
  Q_OBJECT
 public:
  // set: a master password exists (the dialog opens to change it).
  TMasterPasswordClass(QWidget* owner, PasswordPrompt& prompt, bool set);

 private:
  bool StoreNewPassword(const std::string& text) override;
  bool StoreNoPassword() override;
};

// Before the dialog opens: forgets the remembered names, then asks for the
// master password when there is one, or, when there is none yet, asks the
// long "IMPORTANT" question. The state to open in (true: set), or nothing
// when the dialog must not open.
std::optional<bool> MasterPasswordOpening(PasswordPrompt& prompt);

// The Password menu's "Master...": the opening, then the modal dialog.
void RunMasterPassword(QWidget* owner, PasswordPrompt& prompt);
