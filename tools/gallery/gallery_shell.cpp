#include "tools/gallery/gallery_shell.h"

#include <QMessageBox>

#include "shell/ui/about/about_box.h"
#include "shell/ui/options/options_dialog.h"
#include "shell/ui/passwords/get_password_dialog.h"
#include "shell/ui/passwords/master_password_dialog.h"
#include "shell/ui/passwords/phone_password_dialog.h"
#include "shell/ui/passwords/user_password_dialog.h"
#include "toolkit/prompt_windows.h"

ShellGallery::ShellGallery() {
  UserPassword ann;
  ann.password = "demo";
  ann.areas = kAreaMessages | kAreaScheduler;
  dialogs_.emplace_back("get-password", std::make_unique<TGetPasswordClass>(nullptr, "Password:"));
  dialogs_.emplace_back("master-password",
                        std::make_unique<TMasterPasswordClass>(nullptr, prompt_, false));
  dialogs_.emplace_back("phone-password",
                        std::make_unique<TPhonePasswordClass>(nullptr, prompt_, true));
  dialogs_.emplace_back("user-password",
                        std::make_unique<TUserPasswordClass>(nullptr, prompt_, "Carter, Ann", ann));
  dialogs_.emplace_back("about", std::make_unique<TAboutClass>(nullptr, "/srv/deskpost/office/"));
  // DESKpost Options, one window a page, on a demo person's settings.
  namespace nm = records::name;
  NameRecord person;
  SetFieldText(person.bytes, nm::kName, "CARTER");
  SetFieldText(person.bytes, nm::kInitials, "AC");
  SetFieldByte(person.bytes, nm::kSoundRepeat, 3);
  SetFieldByte(person.bytes, nm::kDefaultKind, 1);
  SetFieldByte(person.bytes, nm::kSendLog, 1);
  SetFieldByte(person.bytes, nm::kModemPort, 1);
  SetFieldText(person.bytes, nm::kModemPrefix, "ATDT");
  SetFieldText(person.bytes, nm::kModemSuffix, ",,");
  SetFieldText(person.bytes, nm::kPhoneListName, "COMMON");
  SetFieldText(person.bytes, nm::kEmailFrom, "ann.carter@office.example");
  WorkstationOptions workstation;
  workstation.defaultSchedule = "* COMMON";
  const char* const pages[] = {"options-general", "options-message", "options-phonelist",
                               "options-scheduler"};
  for (int page = 0; page < OptionsDialog::kPageCount; ++page) {
    auto dialog = std::make_unique<OptionsDialog>(nullptr, "", person, "Sales leads", workstation,
                                                  OptionsChoosers());
    dialog->ShowPage(page);
    dialogs_.emplace_back(pages[page], std::move(dialog));
  }
  for (auto& [name, dialog] : dialogs_) {
    dialog->OpenModeless();
    dialog->hide();
  }
  nameError_ = std::make_unique<OptionBox>(
      "Error",
      "Could not find the name: Dunn, Peter in the DESKpost name list. Select 'Run Setup...' to "
      "add the name to the list and restart DESKpost.",
      "&Run Setup...", "OK", nullptr);
  runSetup_ = MakeMessageBox(BoxKind::Question,
                             "This will close DESKpost and run the Setup program, continue?");
  important_ = MakeMessageBox(
      BoxKind::Question,
      "IMPORTANT - PLEASE READ!\n\nPasswords are currently disabled on your system. To enable "
      "them you need to first set the Master password. This password allows a system "
      "administrator to maintain the phone and user passwords. If you set this password, please "
      "remember it, otherwise you will not be able to disable or change passwords in the "
      "future.\n\n*If this password is lost or forgotten it can only be retrieved by a DESKpost "
      "technician.\n\nDo you wish to proceed?",
      "Passwords");
}

ShellGallery::~ShellGallery() {
  for (auto& [name, dialog] : dialogs_) dialog->CloseWith(0);
}

std::vector<std::pair<const char*, QWidget*>> ShellGallery::Windows() const {
  std::vector<std::pair<const char*, QWidget*>> windows;
  windows.emplace_back("passwords-question", important_.get());
  for (auto& [name, dialog] : dialogs_) windows.emplace_back(name, dialog.get());
  windows.emplace_back("name-error", nameError_.get());
  windows.emplace_back("run-setup", runSetup_.get());
  return windows;
}
