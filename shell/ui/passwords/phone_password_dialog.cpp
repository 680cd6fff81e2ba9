#include "shell/ui/passwords/phone_password_dialog.h"

#include <QLabel>

#include "data/office/dpmain.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"

namespace {

constexpr PasswordNotes kNotes = {"Password is now enabled.", "Password is disabled."};

}  // namespace

TPhonePasswordClass::TPhonePasswordClass(QWidget* owner, PasswordPrompt& prompt, bool set)
    : TPasswordDialog(owner, "Phone Password*", prompt, set, kNotes) {
  FormBuilder form(this);
  auto* note = new QLabel(
      "*The Phone password allows you to view another user's Phone messages, but not memos or "
      "e-mails.",
      this);
  note->setWordWrap(true);
  form.Row(QString(), note, kIdPhonePasswordNote);
  AddPasswordButtons(form, "&Disable Password");
  AddOkButton(form);
}

bool TPhonePasswordClass::StoreNewPassword(const std::string& text) {
  OfficePasswords office;
  if (!ReadOfficePasswords(&office)) {
    ShowError();
    return false;
  }
  if (SamePassword(text, office.master)) {
    if (Prompter().AskYesNo("Setting the Phone password to the Master password, effectively "
                            "disables the Phone password, are you sure?")) {
      Disable();
    }
    return false;
  }
  if (!WritePhonePassword(text)) {
    ShowError();
    return false;
  }
  return true;
}

bool TPhonePasswordClass::StoreNoPassword() {
  // The phone password without an effect of its own is the master
  // password: an empty one could be matched by an empty answer.
  OfficePasswords office;
  return ReadOfficePasswords(&office) && WritePhonePassword(office.master);
}

std::optional<bool> PhonePasswordOpening(PasswordPrompt& prompt) {
  ForgetPasswordCache();
  const int result = CheckPassword("", PasswordForm::kGroup, kAreaUserPassword, prompt);
  if (result != kPasswordMaster && result != kPasswordNotNeeded) return std::nullopt;
  OfficePasswords office;
  if (!ReadOfficePasswords(&office)) {
    ShowError();
    return std::nullopt;
  }
  return office.PhoneSet();
}

void RunPhonePassword(QWidget* owner, PasswordPrompt& prompt) {
  std::optional<bool> set = PhonePasswordOpening(prompt);
  if (!set) return;
  TPhonePasswordClass dialog(owner, prompt, *set);
  dialog.OpenModal();
}
