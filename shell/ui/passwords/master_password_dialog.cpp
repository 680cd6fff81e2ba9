#include "shell/ui/passwords/master_password_dialog.h"

#include "data/office/dpmain.h"
#include "toolkit/form_builder.h"
#include "toolkit/prompts.h"

namespace {

// Paragraphs are separated by blank lines, as the message box shows them.
constexpr char kEnableQuestion[] =
    "IMPORTANT - PLEASE READ!\n\nPasswords are currently disabled on your system. To enable them "
    "you need to first set the Master password. This password allows a system administrator to "
    "maintain the phone and user passwords. If you set this password, please remember it, "
    "otherwise you will not be able to disable or change passwords in the future.\n\n*If this "
    "password is lost or forgotten it can only be retrieved by a DESKpost technician.\n\nDo you "
    "wish to proceed?";

constexpr PasswordNotes kNotes = {"Passwords are now enabled.", "Passwords are disabled."};

}  // namespace

TMasterPasswordClass::TMasterPasswordClass(QWidget* owner, PasswordPrompt& prompt, bool set)
    : TPasswordDialog(owner, "Master Password", prompt, set, kNotes) {
  FormBuilder form(this);
  AddPasswordButtons(form, "&Disable Passwords");
  AddOkButton(form);
}

bool TMasterPasswordClass::StoreNewPassword(const std::string& text) {
  OfficePasswords office;
  if (!ReadOfficePasswords(&office)) {
    ShowError();
    return false;
  }
  // The first master password also becomes the phone password, so the phone
  // password starts out without an effect of its own. The same holds when
  // the master password changes while the phone password is still the old
  // master password: left behind, the old master password would start to
  // open everybody's phone messages.
  const bool phoneToo = !PasswordSet() || !office.PhoneSet();
  if (!WriteMasterPassword(text, phoneToo)) {
    ShowError();
    return false;
  }
  return true;
}

bool TMasterPasswordClass::StoreNoPassword() {
  return WriteMasterPassword("", false);
}

std::optional<bool> MasterPasswordOpening(PasswordPrompt& prompt) {
  ForgetPasswordCache();
  // The group form asks for the master (or phone) password, never a
  // person's own.
  switch (CheckPassword("", PasswordForm::kGroup, kAreaUserPassword, prompt)) {
    case kPasswordMaster:
      return true;
    case kPasswordNotNeeded:
      if (!Prompter().AskYesNo(kEnableQuestion, "Passwords")) return std::nullopt;
      return false;
    default:
      return std::nullopt;
  }
}

void RunMasterPassword(QWidget* owner, PasswordPrompt& prompt) {
  std::optional<bool> set = MasterPasswordOpening(prompt);
  if (!set) return;
  TMasterPasswordClass dialog(owner, prompt, *set);
  dialog.OpenModal();
}
