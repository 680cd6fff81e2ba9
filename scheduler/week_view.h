// WEEK_VIEW: a week of a schedule, Sunday to Saturday, with a "Time"
// column and one column a day. Rows are (time of day, occurrence) pairs,
// so entries at the same time on different days stand side by side, with
// a row for every preset hour. A click on a day's heading shows that day
// in the day view; one on "Time" narrows or widens the weekend columns.
#pragma once

#include "data/schedule/sched_calendar.h"
#include "scheduler/sched_view.h"

class QLabel;
class QTableView;
class WeekModel;

class WeekSchedView : public SchedView {
  Q_OBJECT
 public:
  static constexpr int kIdGrid = 120;

  explicit WeekSchedView(Scheduler& scheduler);

  bool Reload() override;
  int32_t SelectedRecord() const override;
  void SelectRecord(int32_t recordNumber) override;
  int32_t SelectedSlotTime() const override;

  const WeekView& Week() const;
  QTableView* Grid() const { return grid_; }
  // The cell of a row on a weekday (0 Sunday); the current day follows it.
  void SelectCell(int row, int weekday);
  void HeadingClicked(int column);

 private:
  WeekCell CellOf(int row, int column) const;

  WeekModel* model_ = nullptr;
  QTableView* grid_ = nullptr;
  QLabel* title_ = nullptr;
  bool filling_ = false;
  bool narrowWeekend_ = false;
};
