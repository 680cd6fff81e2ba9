#include "toolkit/controls/choice_controls.h"

#include "toolkit/record_text.h"

TComboControl::TComboControl(int id, const char* const* strings, int count, int32_t* chosen)
    : TControl(id), strings_(strings), count_(count), chosen_(chosen) {}

bool TComboControl::Connect(QWidget* widget) {
  auto* combo = qobject_cast<QComboBox*>(widget);
  if (!combo) return false;
  // activated is the user's choice only; the program's settings do not
  // emit it.
  connect(combo, &QComboBox::activated, this, [this] { Notify(Notification::SelectionConfirmed); });
  return true;
}

void TComboControl::TransferIn() {
  QComboBox* c = Combo();
  c->clear();
  for (int i = 0; i < count_; ++i) c->addItem(FromCp1252(strings_[i] ? strings_[i] : ""));
  c->setCurrentIndex(*chosen_ >= 0 && *chosen_ < count_ ? *chosen_ : -1);
}

bool TComboControl::TransferOut() {
  *chosen_ = Combo()->currentIndex();
  return true;
}

TCheckBoxControl::TCheckBoxControl(int id, uint8_t* value) : TControl(id), value_(value) {}

bool TCheckBoxControl::Connect(QWidget* widget) {
  auto* box = qobject_cast<QCheckBox*>(widget);
  if (!box) return false;
  connect(box, &QCheckBox::clicked, this, [this] { Notify(Notification::Clicked); });
  return true;
}

void TCheckBoxControl::TransferIn() {
  Box()->setChecked(*value_ != 0);
}

bool TCheckBoxControl::TransferOut() {
  *value_ = Box()->isChecked() ? 1 : 0;
  return true;
}
