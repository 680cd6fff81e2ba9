// USER_PASSWORD: one person's own password and the areas it guards
// (messages, phone list, scheduler, to-do list).
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "shell/ui/passwords/password_dialog.h"

class QCheckBox;

constexpr int kIdAreaMessages = 151;
constexpr int kIdAreaPhoneList = 501;
constexpr int kIdAreaScheduler = 254;
constexpr int kIdAreaTodo = 255;
constexpr int kIdUserName = 103;

class TUserPasswordClass : public TPasswordDialog {
  Q_OBJECT
 public:
  // name: the person, as the name table spells it; user: the person's
  // password and protected areas as read before opening.
  TUserPasswordClass(QWidget* owner, PasswordPrompt& prompt, const std::string& name,
                     const UserPassword& user);

  // OK: the ticked areas into the person's record (read afresh), then close.
  // A record that cannot be written is reported and the dialog stays open.
  void Ok() override;

 private:
  bool StoreNewPassword(const std::string& text) override;
  bool StoreNoPassword() override;
  void EnteredState(bool set) override;

  std::string name_;
  uint8_t areaTicks_[4] = {};
  QCheckBox* boxes_[4] = {};
};

// Chooses the person whose password is managed (in the program the name
// picker, which asks that person's password or the master password first);
// nothing when cancelled or refused.
using PasswordPersonChooser = std::function<std::optional<std::string>()>;

struct UserPasswordOpening {
  std::string name;
  UserPassword user;
};

// Before the dialog opens: forgets the remembered names, lets the user
// choose the person and reads the person's password. Nothing when the
// dialog must not open (cancelled, refused, a group, a failure shown).
std::optional<UserPasswordOpening> OpenUserPassword(const PasswordPersonChooser& choose);

// The Password menu's "User...": the opening, then the modal dialog.
void RunUserPassword(QWidget* owner, PasswordPrompt& prompt, const PasswordPersonChooser& choose);
