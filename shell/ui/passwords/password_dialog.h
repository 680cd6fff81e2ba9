// What the master, phone and user password dialogs share: the button that
// sets or changes the password (101, "Set Pass&word" or "Change
// Pass&word"), the button that disables it (400), and the two states, set
// and not set, between which those buttons move the dialog. Each password
// is stored the moment its button succeeds; OK only closes.
#pragma once

#include <QPushButton>

#include "data/office/passwords.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"

class FormBuilder;

constexpr int kIdSetPassword = 101;
constexpr int kIdDisablePassword = 400;

class TPasswordDialog : public TBaseDialog {
  Q_OBJECT
 public:
  bool PasswordSet() const { return set_; }

 protected:
  TPasswordDialog(QWidget* owner, const QString& caption, PasswordPrompt& prompt, bool set);

  // Adds buttons 101 and 400 to the bottom row, wired to SetPassword() and
  // Disable().
  void AddPasswordButtons(FormBuilder& form, const QString& disableText);
  // Puts the buttons (and whatever the dialog adds in EnteredState) in the
  // state's form.
  void EnterState(bool set);
  virtual void EnteredState(bool) {}

  // Button 101: ask for the new password twice and store it.
  virtual void SetPassword() = 0;
  // Button 400.
  virtual void Disable() = 0;

  void Initialise() override;
  PasswordPrompt& Ask() { return prompt_; }

 private:
  PasswordPrompt& prompt_;
  bool set_;
  QPushButton* setButton_ = nullptr;
  QPushButton* disableButton_ = nullptr;
};
