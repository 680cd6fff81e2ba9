// DPCal: the small month calendar of the day views. Six weeks of seven
// cells under the letters "SMTWTFS"; a cell shows "%d*" for today and
// "%d " for another day. The current day is on the highlight colour,
// today and days with entries are red. A click on a day and the keys
// (Left, Right, Up, Down, PageUp, PageDown) are handed to the owning
// window. Every cell reads to a screen reader as its date, with "today"
// and "has entries" where they apply.
#pragma once

#include <QTableWidget>
#include <functional>

#include "data/schedule/sched_calendar.h"

class DpCalendar : public QTableWidget {
  Q_OBJECT
 public:
  explicit DpCalendar(QWidget* parent);

  // Shows the month with its marks, the current day highlighted.
  void Show(const MonthCalendar& calendar, int32_t currentDay);
  const MonthCalendar& Calendar() const { return calendar_; }
  // The text a cell shows and what it reads as.
  QString CellText(int cell) const;
  QString CellReading(int cell) const;

  // A day cell was clicked: its day value.
  std::function<void(int32_t day)> dayClicked;
  // A navigation key: the key code.
  std::function<void(int key)> keyPressed;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  MonthCalendar calendar_;
  bool filling_ = false;
};
