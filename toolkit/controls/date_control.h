// A date typed as month-day-year with a two-digit year, kept as a time
// value (0 = no date). A date that does not exist is refused when the value
// is moved out, and the dialog says so in its own words.
#pragma once

#include "toolkit/controls/edit_control.h"

class TDateControl : public TEditControl {
  Q_OBJECT
 public:
  // endOfDay: the value is 23:59:59 of the date instead of 00:00:00.
  TDateControl(int id, int32_t* value, bool endOfDay = false);
  void TransferIn() override;
  bool TransferOut() override;

 protected:
  bool Connect(QWidget* widget) override;

 private:
  int32_t* value_;
  bool endOfDay_;
  char text_[10] = {};
};
