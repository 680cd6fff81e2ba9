// "&Print" of the scheduler and the to-do list: a person's (or the common)
// schedule on the page templates of the data directory, through the print
// job of the run (the printer chosen with Printer setup, or a PDF file).
//
// The scheduler asks which page first, with the pick list "Print Schedule"
// ("DAILY  ", "WEEKLY ", "MONTHLY"), and for a weekly print the range of
// dates (GET_DATES, "Print Weekly"); the to-do list prints the day page.
#pragma once

#include <cstdint>
#include <string>

#include "data/schedule/sched_daylines.h"
#include "toolkit/base_dialog.h"

// What a print shows: whose schedule, which day (the period holding it)
// and the preset hours of the workstation.
struct SchedPrintRequest {
  int32_t owner = 0;
  std::string ownerName;  // Windows-1252
  int32_t day = 0;
  PresetHours presets;
};

// The pages a print can make, in the order of the pick list.
enum class SchedPage { kDaily = 0, kWeekly = 1, kMonthly = 2 };

// GET_DATES ("Print Weekly"): "Print from:" and "to:", starting as the
// Monday of the printed week and the Sunday six days later.
class PrintDatesDialog : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdFrom = 101;
  static constexpr int kIdTo = 102;
  PrintDatesDialog(QWidget* owner, int32_t day);
  void Ok() override;
  int32_t From() const { return from_; }
  int32_t To() const { return to_; }

 private:
  int32_t from_;
  int32_t to_;
};

// The scheduler's Print: the pick list (its first choice the page of the
// layout shown, 0 day, 1 week, 2 month), then for the week the dates,
// then the print. False when nothing was printed (cancelled, or the
// failure said).
bool PrintSchedule(QWidget* owner, const SchedPrintRequest& request, SchedPage shown);
// Prints one kind of page without asking which (the to-do list's day page;
// a weekly print still asks for its dates).
bool PrintSchedulePage(QWidget* owner, const SchedPrintRequest& request, SchedPage page);
