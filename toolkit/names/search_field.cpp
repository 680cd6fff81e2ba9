#include "toolkit/names/search_field.h"

#include "data/office/dpname.h"
#include "toolkit/control_id.h"
#include "toolkit/record_text.h"

NameSearchField::NameSearchField(QWidget* parent) : QLineEdit(parent) {
  SetControlId(this, kId);
  setMaxLength(kMaxNameLength);
  setValidator(new Cp1252Validator(false, this));
}

std::string NameSearchField::Bytes() const {
  return ToCp1252(text());
}

void NameSearchField::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  deselect();
  end(false);
}
