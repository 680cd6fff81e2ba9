// GOTO_DATE ("Go to date"): a date field "Go to:" preset with the current
// day, "&Today" (today, and closes) and OK; an unreadable date gives
// "Invalid date". Shared by the scheduler and the to-do list.
#pragma once

#include <cstdint>

#include "toolkit/base_dialog.h"

class GotoDateDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdDate = 101;
  static constexpr int kIdToday = 200;
  GotoDateDialog(QWidget* owner, int32_t currentDay);
  void Ok() override;
  // The day chosen (valid after a result of 1).
  int32_t Day() const { return day_; }

 private:
  int32_t day_;
};
