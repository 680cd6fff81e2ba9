// The repeat dialogs: REPEATYEAR ("Repeat Yearly"), REPEATDAY ("Repeat
// Daily"), REPEATWEEK ("Repeat Weekly") and REPEATMONTH ("Repeat
// Monthly"). Each carries the four kinds' radio buttons in the same place;
// a click on another kind closes the dialog and opens that kind's. OK
// stores the rule into the program's repeat rules
// (data/schedule/sched_repeat.h) after its checks; the generation itself
// happens when the entry is saved.
#pragma once

#include <cstdint>

#include "data/schedule/sched_repeat.h"
#include "toolkit/base_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

class RepeatDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdUntil = 102;

  // The kind the user switched to, or 0.
  int NextKind() const { return next_; }
  int Kind() const { return kind_; }

 protected:
  // start: the entry's start (0 for none); selectedDay: the scheduler's
  // current day.
  RepeatDialog(QWidget* owner, const QString& caption, int kind, int32_t start, int32_t selectedDay,
               RepeatRules& rules);
  // The kinds' radio buttons, then the dialog's own rows (form), then the
  // until field and OK and Cancel.
  void Finish(const QString& untilLabel);
  // The until date on OK: false after "Invalid date." was shown.
  bool ConfirmUntil(int32_t* until);

  RepeatRules& rules_;
  int32_t start_;
  int32_t selectedDay_;
  int32_t untilDay_ = 0;
  QWidget* body_ = nullptr;

 private:
  int kind_;
  int next_ = 0;
};

class RepeatDailyDialog : public RepeatDialog {
  Q_OBJECT
 public:
  static constexpr int kIdEvery = 101;
  RepeatDailyDialog(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules);
  void Ok() override;

 private:
  char every_[4] = "1";
};

class RepeatWeeklyDialog : public RepeatDialog {
  Q_OBJECT
 public:
  static constexpr int kIdFirstOccurrence = 110;  // to 114: 1st, 2nd, 3rd, 4th, Last
  static constexpr int kIdFirstWeekday = 120;     // to 126: Sunday first
  static constexpr int kIdOccurrenceWords = 130;
  static constexpr int kIdWeekdayWords = 131;
  RepeatWeeklyDialog(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules);
  void Ok() override;

 private:
  void Describe();
  QCheckBox* occurrence_[5] = {};
  QCheckBox* weekday_[7] = {};
  QLabel* occurrenceWords_ = nullptr;
  QLabel* weekdayWords_ = nullptr;
};

class RepeatMonthlyDialog : public RepeatDialog {
  Q_OBJECT
 public:
  static constexpr int kIdDay = 101;
  static constexpr int kIdFirstMonth = 140;  // to 151: January first
  RepeatMonthlyDialog(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules);
  void Ok() override;

 private:
  char day_[3] = {};
  QCheckBox* month_[12] = {};
};

class RepeatYearlyDialog : public RepeatDialog {
  Q_OBJECT
 public:
  static constexpr int kIdByDate = 160;
  static constexpr int kIdByDay = 161;
  static constexpr int kIdDay = 162;
  static constexpr int kIdOccurrence = 163;
  static constexpr int kIdWeekday = 164;
  static constexpr int kIdMonth = 165;
  RepeatYearlyDialog(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules);
  void Ok() override;

 private:
  void ShowMode();
  QRadioButton* byDate_ = nullptr;
  QRadioButton* byDay_ = nullptr;
  QComboBox* day_ = nullptr;
  QComboBox* occurrence_ = nullptr;
  QComboBox* weekday_ = nullptr;
  QComboBox* month_ = nullptr;
};

// Runs the dialogs from the yearly one until one is confirmed (its kind)
// or cancelled (0).
int RunRepeatDialogs(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules);
