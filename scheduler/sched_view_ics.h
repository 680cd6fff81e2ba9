// The scheduler window's "&Calendar" menu: "&Export..." writes the schedule
// shown (a person's or "* COMMON") as an iCalendar file chosen in the save
// dialog; "&Import..." adds the events of a chosen file to it and shows
// what was added and what was refused, and why (data/schedule/sched_ical.h).
#pragma once

class QBoxLayout;
class SchedView;

constexpr char kCalendarMenu[] = "&Calendar";
constexpr char kCalendarExport[] = "&Export...";
constexpr char kCalendarImport[] = "&Import...";

// The menu bar of the window, with the menu.
void AddCalendarMenu(SchedView* view, QBoxLayout* layout);
