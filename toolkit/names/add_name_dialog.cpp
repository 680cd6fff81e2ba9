#include "toolkit/names/add_name_dialog.h"

#include <algorithm>
#include <cstring>

#include "storage/records/field.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/form_builder.h"
#include "toolkit/names/name_dialog_runner.h"

AddNameDialog::AddNameDialog(QWidget* owner, const QString& caption, int maxLength,
                             const std::string& initial)
    : TBaseDialog(owner, caption) {
  setProperty("helpAnchor", "name-picker");
  const int length = std::clamp(maxLength, 1, kPersonLength);
  PutText(reinterpret_cast<uint8_t*>(text_), size_t(length) + 1, initial.c_str());
  FormBuilder form(this);
  form.Edit("&Name:", kIdName, 20);
  form.OkCancel(this);
  // The binding limits the field to its buffer less the NUL.
  Bind<TEditControl>(kIdName, text_, size_t(length) + 1);
}

std::string AddNameDialog::Text() const {
  if (Result() != 1) return std::string();
  return std::string(text_, strnlen(text_, sizeof text_));
}

std::string AddName(QWidget* owner, const QString& caption, int maxLength,
                    const std::string& initial) {
  AddNameDialog dialog(owner, caption, maxLength, initial);
  RunNameDialog(dialog);
  return dialog.Text();
}
