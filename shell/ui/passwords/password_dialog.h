// What the master, phone and user password dialogs share: the button that
// sets or changes the password (101, "Set Pass&word" or "Change
// Pass&word"), the button that disables it (400), the two states, set and
// not set, between which those buttons move the dialog, and what the two
// buttons do around storing: the new password asked for twice, an empty
// one taken as disabling, and the note that says the password is now on or
// off. Each password is stored the moment its button succeeds; OK only
// closes.
#pragma once

#include <QPushButton>
#include <string>

#include "data/office/passwords.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"

class FormBuilder;

constexpr int kIdSetPassword = 101;
constexpr int kIdDisablePassword = 400;

// The notes shown when a password is turned on and off.
struct PasswordNotes {
  const char* enabled;
  const char* disabled;
};

class TPasswordDialog : public TBaseDialog {
  Q_OBJECT
 public:
  bool PasswordSet() const { return set_; }

 protected:
  TPasswordDialog(QWidget* owner, const QString& caption, PasswordPrompt& prompt, bool set,
                  PasswordNotes notes);

  // Adds buttons 101 and 400 to the bottom row, wired to SetPassword() and
  // Disable().
  void AddPasswordButtons(FormBuilder& form, const QString& disableText);
  // Adds OK (the default button) to the bottom row: a dialog whose password
  // is stored by its buttons has nothing to cancel.
  void AddOkButton(FormBuilder& form);
  // Puts the buttons (and whatever the dialog adds in EnteredState) in the
  // state's form.
  void EnterState(bool set);
  virtual void EnteredState(bool) {}

  // Button 101: asks for the new password twice and stores it; an empty
  // one disables. The first password set shows the enabled note.
  void SetPassword();
  // Button 400: stores no password and shows the disabled note.
  void Disable();

  // Stores a new, non-empty password; false when it was not stored, having
  // shown why, or having disabled instead.
  virtual bool StoreNewPassword(const std::string& text) = 0;
  // Stores that there is no password; false with the reason in the error
  // state.
  virtual bool StoreNoPassword() = 0;

  void Initialise() override;
  PasswordPrompt& Ask() { return prompt_; }

 private:
  PasswordPrompt& prompt_;
  bool set_;
  PasswordNotes notes_;
  QPushButton* setButton_ = nullptr;
  QPushButton* disableButton_ = nullptr;
};
