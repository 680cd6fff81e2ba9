// A choice from a drop-down list, and a check box.
#pragma once

#include <QCheckBox>
#include <QComboBox>

#include "toolkit/controls/control.h"

// The strings (single-byte text) fill the list in order; the buffer is the
// chosen index.
class TComboControl : public TControl {
  Q_OBJECT
 public:
  TComboControl(int id, const char* const* strings, int count, int32_t* chosen);
  void TransferIn() override;
  bool TransferOut() override;
  QComboBox* Combo() const { return qobject_cast<QComboBox*>(Widget()); }

 protected:
  bool Connect(QWidget* widget) override;

 private:
  const char* const* strings_;
  int count_;
  int32_t* chosen_;
};

// One byte: non-zero is checked; a checked box stores 1.
class TCheckBoxControl : public TControl {
  Q_OBJECT
 public:
  TCheckBoxControl(int id, uint8_t* value);
  void TransferIn() override;
  bool TransferOut() override;
  QCheckBox* Box() const { return qobject_cast<QCheckBox*>(Widget()); }

 protected:
  bool Connect(QWidget* widget) override;

 private:
  uint8_t* value_;
};
