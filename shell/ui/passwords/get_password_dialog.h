// GETPASSWORD: one hidden field for a password (at most 19 characters) under
// the caption "Enter Password", with the question ("Password:", "New
// password:", "Re-enter password:") above it.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "data/office/passwords.h"
#include "toolkit/base_dialog.h"

constexpr int kIdPasswordField = 101;

class TGetPasswordClass : public TBaseDialog {
  Q_OBJECT
 public:
  TGetPasswordClass(QWidget* owner, const QString& prompt);
  ~TGetPasswordClass() override;

  // The typed password as record text (Windows-1252), after OK.
  std::string Password() const;

 private:
  char password_[kMaxPasswordLength + 1] = {};
};

// The password prompt of the running program: each question opens
// GETPASSWORD as a modal dialog over the owner.
class WindowPasswordPrompt : public PasswordPrompt {
 public:
  explicit WindowPasswordPrompt(QWidget* owner) : owner_(owner) {}
  std::optional<std::string> Ask(const std::string& prompt) override;

 private:
  QWidget* owner_;
};
