// PHONE_PASSWORD: the receptionist's password, which opens other people's
// phone messages but not their memos or e-mails. While it equals the master
// password it has no effect of its own and the dialog shows it as not set.
#pragma once

#include <QWidget>
#include <optional>

#include "shell/ui/passwords/password_dialog.h"

constexpr int kIdPhonePasswordNote = 102;

class TPhonePasswordClass : public TPasswordDialog {
  Q_OBJECT
 public:
  TPhonePasswordClass(QWidget* owner, PasswordPrompt& prompt, bool set);

 private:
  bool StoreNewPassword(const std::string& text) override;
  bool StoreNoPassword() override;
};

// Before the dialog opens: forgets the remembered names and asks for the
// master password. The state to open in (true: the phone password has an
// effect of its own), or nothing when the dialog must not open.
std::optional<bool> PhonePasswordOpening(PasswordPrompt& prompt);

// The Password menu's "Phone...": the opening, then the modal dialog.
void RunPhonePassword(QWidget* owner, PasswordPrompt& prompt);
