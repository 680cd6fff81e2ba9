// DAY_SCHED: one day of a schedule. Left, the month calendar (DPCal) with
// "<<" and ">>" and a panel for the selected line (start, end and alarm
// times, the description, the note and repeat marks); right, the day's
// lines under "Time" and "Description" with "<" and ">". With the preset
// hours on, every hour of the working day without an entry shows an empty
// slot, where "&Edit" starts a new entry; a click on the "Time" heading
// turns them on or off.
#pragma once

#include <vector>

#include "data/schedule/sched_daylines.h"
#include "scheduler/sched_view.h"

class DpCalendar;
class QLabel;
class QPushButton;
class QTreeWidget;

class DaySchedView : public SchedView {
  Q_OBJECT
 public:
  static constexpr int kIdCalendar = 110;
  static constexpr int kIdList = 120;
  static constexpr int kIdPrevMonth = 105;  // "<<"
  static constexpr int kIdNextMonth = 106;  // ">>"
  static constexpr int kIdMonthTitle = 301;
  static constexpr int kIdDetailStart = 310;
  static constexpr int kIdDetailEnd = 311;
  static constexpr int kIdDetailAlarm = 312;
  static constexpr int kIdDetailDescription = 313;
  static constexpr int kIdNoteMark = 314;
  static constexpr int kIdRepeatMark = 315;

  explicit DaySchedView(Scheduler& scheduler);

  bool Reload() override;
  int32_t SelectedRecord() const override;
  void SelectRecord(int32_t recordNumber) override;
  int32_t SelectedSlotTime() const override;

  const std::vector<DayLine>& Lines() const { return lines_; }
  int SelectedLine() const;
  void SelectLine(int line);
  DpCalendar* Calendar() const { return calendar_; }
  QTreeWidget* List() const { return list_; }
  // The navigation keys of the calendar and of the day view.
  void NavigationKey(int key);
  // A click on the "Time" heading.
  void TogglePresets();
  // The note and repeat marks.
  void EditNote();
  void RepeatSelected();
  // A double click in the detail panel: edits the selected entry, or adds
  // one (at the selected empty slot's hour) when none is selected.
  void DetailDoubleClicked();
  QWidget* DetailPanel() const { return detailPanel_; }

 protected:
  void Closing() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowDetail();

  std::vector<DayLine> lines_;
  DpCalendar* calendar_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QWidget* detailPanel_ = nullptr;
  QLabel* dayTitle_ = nullptr;
  QLabel* monthTitle_ = nullptr;
  QLabel* start_ = nullptr;
  QLabel* end_ = nullptr;
  QLabel* alarm_ = nullptr;
  QLabel* description_ = nullptr;
  QPushButton* noteMark_ = nullptr;
  QPushButton* repeatMark_ = nullptr;
  bool filling_ = false;
};
