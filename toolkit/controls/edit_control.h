// Text fields: plain text, phone numbers and times. All three keep their
// value as single-byte text in a buffer of `size` bytes (at most size - 1
// characters and the NUL).
#pragma once

#include <QLineEdit>

#include "toolkit/controls/control.h"

class TEditControl : public TControl {
  Q_OBJECT
 public:
  TEditControl(int id, char* buffer, size_t size, bool upperCase = false);
  void TransferIn() override;
  bool TransferOut() override;
  void HandleNotification(Notification n, uint32_t& modified) override;
  void SetUpperCase(bool on) override;

  QLineEdit* Edit() const { return qobject_cast<QLineEdit*>(Widget()); }
  // Sets the control's text as the program, not the user: the change it
  // causes does not mark the dialog modified.
  void SetTextQuietly(const QString& text);

 protected:
  bool Connect(QWidget* widget) override;
  char* buffer_;
  size_t size_;
};

// Phone number: reformatted when the field is left (7, 10 or 11 digits get
// their hyphens).
class TPhoneEditControl : public TEditControl {
  Q_OBJECT
 public:
  using TEditControl::TEditControl;
  void HandleNotification(Notification n, uint32_t& modified) override;
};

// Time of day: normalised to " 8:00AM" form when the field is left.
class TTimeEditControl : public TEditControl {
  Q_OBJECT
 public:
  using TEditControl::TEditControl;
  void HandleNotification(Notification n, uint32_t& modified) override;
};
