#include "shell/ui/passwords/get_password_dialog.h"

#include <cstring>

#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/record_text.h"

TGetPasswordClass::TGetPasswordClass(QWidget* owner, const QString& prompt)
    : TBaseDialog(owner, "Enter Password") {
  setProperty("helpAnchor", "passwords");
  FormBuilder form(this);
  FieldLineEdit* field = form.Edit(prompt, kIdPasswordField, 19);
  field->setEchoMode(QLineEdit::Password);
  form.OkCancel(this);
  Bind<TEditControl>(kIdPasswordField, password_, sizeof password_);
}

TGetPasswordClass::~TGetPasswordClass() {
  // A password does not outlive the dialog that asked for it.
  std::memset(password_, 0, sizeof password_);
}

std::string TGetPasswordClass::Password() const {
  return std::string(password_, strnlen(password_, sizeof password_));
}

std::optional<std::string> WindowPasswordPrompt::Ask(const std::string& prompt) {
  TGetPasswordClass dialog(owner_, FromCp1252(prompt));
  if (dialog.OpenModal() != 1) return std::nullopt;
  return dialog.Password();
}
