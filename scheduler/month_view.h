// MONTH_VIEW: a month of a schedule as six weeks of seven cells under
// "Sun" to "Sat". Each day's cell shows its number ("%d* " for today) and
// its first five entries; selecting a cell makes its day current, and
// "&Edit" shows that day in the day view.
#pragma once

#include <QStringList>

#include "data/schedule/sched_calendar.h"
#include "scheduler/sched_view.h"

class QLabel;
class QTableWidget;

class MonthSchedView : public SchedView {
  Q_OBJECT
 public:
  static constexpr int kIdGrid = 120;

  explicit MonthSchedView(Scheduler& scheduler);

  bool Reload() override;
  int32_t SelectedRecord() const override { return -1; }
  void SelectRecord(int32_t) override {}
  // "&Edit" shows the selected day: it is always there to show.
  int32_t SelectedSlotTime() const override;
  const MonthView& Month() const { return month_; }
  QTableWidget* Grid() const { return grid_; }
  // The text a cell shows.
  QString CellText(int cell) const;

 protected:
  bool CopyOffered() const override { return false; }

 private:
  QStringList EntryTexts(int dayOfMonth) const;
  QString CellText(int cell, const QStringList& entries) const;

  MonthView month_;
  QTableWidget* grid_ = nullptr;
  QLabel* title_ = nullptr;
  bool filling_ = false;
};
