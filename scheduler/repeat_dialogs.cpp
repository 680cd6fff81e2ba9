#include "scheduler/repeat_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <string>

#include "data/local_time.h"
#include "data/schedule/sched_time_text.h"
#include "scheduler/sched_dialogs.h"
#include "toolkit/control_id.h"
#include "toolkit/controls/date_control.h"
#include "toolkit/controls/edit_control.h"
#include "toolkit/controls/field_widgets.h"
#include "toolkit/prompts.h"
#include "toolkit/record_text.h"

namespace {

const char* const kKindLabels[] = {"&Daily", "&Weekly", "&Monthly", "&Yearly"};
const char* const kWeekdayLetters[] = {"S", "M", "T", "W", "T", "F", "S"};

int ReadNumber(const char* text) {
  return std::atoi(text);
}

QLabel* Label(const QString& text, QWidget* parent) {
  return new QLabel(text, parent);
}

}  // namespace

RepeatDialog::RepeatDialog(QWidget* owner, const QString& caption, int kind, int32_t start,
                           int32_t selectedDay, RepeatRules& rules)
    : TBaseDialog(owner, caption),
      rules_(rules),
      start_(start),
      selectedDay_(selectedDay),
      kind_(kind) {
  setProperty("helpAnchor", "repeating-entries");
  untilDay_ = DayOf(RepeatDefaultUntil(start, selectedDay));
  auto* layout = new QVBoxLayout(this);
  auto* kinds = new QHBoxLayout;
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* radio = new QRadioButton(kKindLabels[i], this);
    SetControlId(radio, kRepeatDaily + i);
    NameControl(radio, kKindLabels[i]);
    radio->setChecked(kRepeatDaily + i == kind);
    group->addButton(radio);
    kinds->addWidget(radio);
    const int other = kRepeatDaily + i;
    connect(radio, &QRadioButton::clicked, this, [this, other] {
      // A click on the dialog's own kind does nothing.
      if (other == kind_) return;
      next_ = other;
      CloseWith(0);
    });
  }
  layout->addLayout(kinds);
  body_ = new QWidget(this);
  layout->addWidget(body_);
}

void RepeatDialog::Finish(const QString& untilLabel) {
  auto* row = new QHBoxLayout;
  auto* label = Label(untilLabel, this);
  auto* until = new FieldLineEdit(this);
  SetControlId(until, kIdUntil);
  NameControl(until, untilLabel);
  label->setBuddy(until);
  row->addWidget(label);
  row->addWidget(until);
  row->addStretch();
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("OK", this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  SetControlId(cancel, kIdCancel);
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  layout->addLayout(row);
  layout->addLayout(buttons);
  Bind<TDateControl>(kIdUntil, &untilDay_);
}

bool RepeatDialog::ConfirmUntil(int32_t* until) {
  std::string message;
  if (!TransferOut() || untilDay_ == 0 || !RepeatConfirmUntil(untilDay_, until, &message)) {
    Prompter().Inform("Invalid date.");
    return false;
  }
  return true;
}

// ---- Daily ----

RepeatDailyDialog::RepeatDailyDialog(QWidget* owner, int32_t start, int32_t selectedDay,
                                     RepeatRules& rules)
    : RepeatDialog(owner, "Repeat Daily", kRepeatDaily, start, selectedDay, rules) {
  // 1 to 999: three digits at most, which the compiler must see too.
  const unsigned days =
      rules_.daily.every >= 1 && rules_.daily.every <= kMaxRepeatEvery ? rules_.daily.every : 1;
  std::snprintf(every_, sizeof every_, "%u", days % 1000);
  auto* row = new QHBoxLayout(body_);
  row->setContentsMargins(0, 0, 0, 0);
  auto* label = Label("Repeat every", body_);
  auto* every = new FieldLineEdit(body_);
  SetControlId(every, kIdEvery);
  every->setMaximumWidth(60);
  NameControl(every, "Repeat every (days)");
  label->setBuddy(every);
  row->addWidget(label);
  row->addWidget(every);
  row->addWidget(Label("days", body_));
  row->addStretch();
  Finish("until");
  Bind<TEditControl>(kIdEvery, every_, sizeof every_);
}

void RepeatDailyDialog::Ok() {
  int32_t until = 0;
  if (!ConfirmUntil(&until)) return;
  const int every = ReadNumber(every_);
  std::string message;
  if (!RepeatCheckEvery(every, &message)) {
    Prompter().Inform(QString::fromStdString(message));
    return;
  }
  rules_.daily.start = start_;
  rules_.daily.until = until;
  rules_.daily.every = every;
  CloseWith(1);
}

// ---- Weekly ----

RepeatWeeklyDialog::RepeatWeeklyDialog(QWidget* owner, int32_t start, int32_t selectedDay,
                                       RepeatRules& rules)
    : RepeatDialog(owner, "Repeat Weekly", kRepeatWeekly, start, selectedDay, rules) {
  auto* grid = new QGridLayout(body_);
  grid->setContentsMargins(0, 0, 0, 0);
  occurrenceWords_ = Label(QString(), body_);
  SetControlId(occurrenceWords_, kIdOccurrenceWords);
  weekdayWords_ = Label(QString(), body_);
  SetControlId(weekdayWords_, kIdWeekdayWords);
  grid->addWidget(occurrenceWords_, 0, 0, 1, 8);
  grid->addWidget(weekdayWords_, 1, 0, 1, 8);
  grid->addWidget(Label("Repeat on the", body_), 2, 0);
  const LocalTime selected = ToLocal(selectedDay);
  for (int i = 0; i < 5; ++i) {
    occurrence_[i] = new QCheckBox(RepeatOccurrenceName(i), body_);
    SetControlId(occurrence_[i], kIdFirstOccurrence + i);
    NameControl(occurrence_[i], RepeatOccurrenceName(i));
    occurrence_[i]->setChecked(i == RepeatOccurrenceOfDay(selected.day));
    grid->addWidget(occurrence_[i], 2, 1 + i);
    connect(occurrence_[i], &QCheckBox::clicked, this, [this] { Describe(); });
  }
  for (int d = 0; d < 7; ++d) {
    weekday_[d] = new QCheckBox(kWeekdayLetters[d], body_);
    SetControlId(weekday_[d], kIdFirstWeekday + d);
    // "S" and "T" say nothing aloud: the box reads as its weekday.
    NameControl(weekday_[d], WeekdayName(d));
    weekday_[d]->setChecked(d == selected.weekday);
    grid->addWidget(weekday_[d], 3, 1 + d);
    connect(weekday_[d], &QCheckBox::clicked, this, [this] { Describe(); });
  }
  Describe();
  Finish("of each month until");
}

void RepeatWeeklyDialog::Describe() {
  const char* occurrences[5];
  bool ticked[7];
  for (int i = 0; i < 5; ++i) {
    occurrences[i] = RepeatOccurrenceName(i);
    ticked[i] = occurrence_[i]->isChecked();
  }
  occurrenceWords_->setText(QString::fromStdString(RepeatJoinNames(occurrences, ticked, 5)));
  const char* weekdays[7];
  for (int d = 0; d < 7; ++d) {
    weekdays[d] = WeekdayName(d);
    ticked[d] = weekday_[d]->isChecked();
  }
  weekdayWords_->setText(QString::fromStdString(RepeatJoinNames(weekdays, ticked, 7)));
}

void RepeatWeeklyDialog::Ok() {
  int32_t until = 0;
  if (!ConfirmUntil(&until)) return;
  NthWeekdayRule& rule = rules_.nthWeekday;
  rule.start = start_;
  rule.until = until;
  for (int i = 0; i < 5; ++i) rule.occurrence[i] = occurrence_[i]->isChecked();
  for (int d = 0; d < 7; ++d) rule.weekday[d] = weekday_[d]->isChecked();
  rule.singleMonth = false;
  CloseWith(1);
}

// ---- Monthly ----

RepeatMonthlyDialog::RepeatMonthlyDialog(QWidget* owner, int32_t start, int32_t selectedDay,
                                         RepeatRules& rules)
    : RepeatDialog(owner, "Repeat Monthly", kRepeatMonthly, start, selectedDay, rules) {
  const LocalTime selected = ToLocal(selectedDay);
  std::snprintf(day_, sizeof day_, "%d", std::clamp(selected.day, 1, 31));
  auto* grid = new QGridLayout(body_);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* label = Label("Repeat on day", body_);
  auto* day = new FieldLineEdit(body_);
  SetControlId(day, kIdDay);
  day->setMaximumWidth(40);
  NameControl(day, "Repeat on day");
  label->setBuddy(day);
  grid->addWidget(label, 0, 0);
  grid->addWidget(day, 0, 1);
  grid->addWidget(Label("of", body_), 0, 2);
  for (int m = 0; m < 12; ++m) {
    const QString name = QString::fromStdString(MonthAbbrev(m + 1));
    month_[m] = new QCheckBox(name, body_);
    SetControlId(month_[m], kIdFirstMonth + m);
    month_[m]->setAccessibleName(MonthName(m + 1));
    month_[m]->setChecked(m + 1 == selected.month);
    grid->addWidget(month_[m], 1 + m / 6, m % 6);
  }
  Finish("until");
  Bind<TEditControl>(kIdDay, day_, sizeof day_);
}

void RepeatMonthlyDialog::Ok() {
  int32_t until = 0;
  if (!ConfirmUntil(&until)) return;
  const int day = ReadNumber(day_);
  std::string message;
  if (!RepeatCheckDayOfMonth(day, &message)) {
    Prompter().Inform(QString::fromStdString(message));
    return;
  }
  DayOfMonthRule& rule = rules_.dayOfMonth;
  rule.start = start_;
  rule.until = until;
  rule.day = day;
  for (int m = 0; m < 12; ++m) rule.month[m] = month_[m]->isChecked();
  CloseWith(1);
}

// ---- Yearly ----

RepeatYearlyDialog::RepeatYearlyDialog(QWidget* owner, int32_t start, int32_t selectedDay,
                                       RepeatRules& rules)
    : RepeatDialog(owner, "Repeat Yearly", kRepeatYearly, start, selectedDay, rules) {
  const LocalTime selected = ToLocal(selectedDay);
  auto* grid = new QGridLayout(body_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(Label("Repeat by:", body_), 0, 0);
  byDate_ = new QRadioButton("Date", body_);
  byDay_ = new QRadioButton("Day", body_);
  auto* mode = new QButtonGroup(body_);
  mode->addButton(byDate_);
  mode->addButton(byDay_);
  SetControlId(byDate_, kIdByDate);
  SetControlId(byDay_, kIdByDay);
  NameControl(byDate_, "Repeat by date");
  NameControl(byDay_, "Repeat by day");
  byDate_->setChecked(true);
  grid->addWidget(byDate_, 0, 1);
  grid->addWidget(byDay_, 0, 2);
  auto combo = [this](int id, const QString& name) {
    auto* c = new QComboBox(body_);
    SetControlId(c, id);
    NameControl(c, name);
    return c;
  };
  day_ = combo(kIdDay, "Day of the month");
  for (int d = 1; d <= 31; ++d) day_->addItem(QString::fromStdString(RepeatDayName(d)));
  day_->setCurrentIndex(selected.day - 1);
  occurrence_ = combo(kIdOccurrence, "Occurrence");
  for (int i = 0; i < 5; ++i) occurrence_->addItem(RepeatOccurrenceName(i));
  occurrence_->setCurrentIndex(RepeatOccurrenceOfDay(selected.day));
  weekday_ = combo(kIdWeekday, "Weekday");
  for (int d = 0; d < 7; ++d) weekday_->addItem(WeekdayName(d));
  weekday_->setCurrentIndex(selected.weekday);
  month_ = combo(kIdMonth, "Month");
  for (int m = 1; m <= 12; ++m) month_->addItem(MonthName(m));
  month_->setCurrentIndex(selected.month - 1);
  grid->addWidget(Label("On the", body_), 1, 0);
  grid->addWidget(day_, 1, 1);
  grid->addWidget(occurrence_, 1, 1);
  grid->addWidget(weekday_, 1, 2);
  grid->addWidget(Label("of", body_), 2, 0);
  grid->addWidget(month_, 2, 1);
  connect(byDate_, &QRadioButton::toggled, this, [this] { ShowMode(); });
  ShowMode();
  Finish("every year until:");
}

void RepeatYearlyDialog::ShowMode() {
  const bool byDate = byDate_->isChecked();
  day_->setVisible(byDate);
  occurrence_->setVisible(!byDate);
  weekday_->setVisible(!byDate);
}

void RepeatYearlyDialog::Ok() {
  int32_t until = 0;
  if (!ConfirmUntil(&until)) return;
  const int month = month_->currentIndex() + 1;
  if (byDate_->isChecked()) {
    const int day = day_->currentIndex() + 1;
    std::string message;
    if (!RepeatCheckDayOfMonth(day, &message)) {
      Prompter().Inform(QString::fromStdString(message));
      return;
    }
    rules_.yearlyMode = kYearlyByDate;
    DayOfMonthRule& rule = rules_.dayOfMonth;
    rule.start = start_;
    rule.until = until;
    rule.day = day;
    for (int m = 0; m < 12; ++m) rule.month[m] = m + 1 == month;
  } else {
    rules_.yearlyMode = kYearlyByDay;
    DayOfMonthRule& dates = rules_.dayOfMonth;
    dates.start = start_;
    dates.until = until;
    NthWeekdayRule& rule = rules_.nthWeekday;
    rule.start = dates.start;
    rule.until = dates.until;
    for (int i = 0; i < 5; ++i) rule.occurrence[i] = i == occurrence_->currentIndex();
    for (int d = 0; d < 7; ++d) rule.weekday[d] = d == weekday_->currentIndex();
    rule.singleMonth = true;
    rule.month = month;
  }
  CloseWith(1);
}

// ---- The sequence ----

int RunRepeatDialogs(QWidget* owner, int32_t start, int32_t selectedDay, RepeatRules& rules) {
  int kind = kRepeatYearly;
  for (;;) {
    std::unique_ptr<RepeatDialog> dialog;
    switch (kind) {
      case kRepeatDaily:
        dialog = std::make_unique<RepeatDailyDialog>(owner, start, selectedDay, rules);
        break;
      case kRepeatWeekly:
        dialog = std::make_unique<RepeatWeeklyDialog>(owner, start, selectedDay, rules);
        break;
      case kRepeatMonthly:
        dialog = std::make_unique<RepeatMonthlyDialog>(owner, start, selectedDay, rules);
        break;
      default:
        dialog = std::make_unique<RepeatYearlyDialog>(owner, start, selectedDay, rules);
        break;
    }
    const int result = RunSchedDialog(*dialog);
    if (dialog->NextKind() != 0) {
      kind = dialog->NextKind();
      continue;
    }
    return result == 1 ? kind : 0;
  }
}
