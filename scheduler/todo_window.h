// The to-do list: the twin of the scheduler over the "TODO" table. One
// window at a time in one of three layouts (DAY_TODO, and the to-do forms
// of WEEK_VIEW and MONTH_VIEW), the same calendar and navigation, and its
// own rule: an open item of a past day is shown on today's list until it
// is marked done. Tag/Untag (the space bar, the context menu) marks the
// selected item done or open again.
#pragma once

#include <QObject>
#include <QPointer>
#include <map>
#include <string>
#include <vector>

#include "data/office/passwords.h"
#include "data/schedule/dptodo.h"
#include "scheduler/sched_options.h"
#include "toolkit/window_placement.h"
#include "toolkit/base_dialog.h"

class DpCalendar;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QVBoxLayout;
class TodoWindow;

class TodoList : public QObject {
  Q_OBJECT
 public:
  TodoList(std::string iniPath, PasswordPrompt& passwords);
  ~TodoList() override;

  // The "To &do" command: opens the window or brings it forward; false
  // when nothing opened.
  bool Open();
  void SwitchView(int kind);
  void Close();
  TodoWindow* Window() const;

  int View() const { return view_; }
  int32_t CurrentDay() const { return currentDay_; }
  void SetCurrentDay(int32_t day) { currentDay_ = day; }
  const ScheduleOwner& Owner() const { return owner_; }
  void SetOwner(const ScheduleOwner& owner) { owner_ = owner; }
  SchedOptions& Options() { return options_; }
  PasswordPrompt& Passwords() { return passwords_; }
  // Where the window opens; every window gives its placement back when it
  // closes (the TodoState record).
  WindowPlacement& Placement() { return placement_; }
  // Gives the open window's placement back without closing it.
  void KeepOpenPlacement();

 private:
  void Retire();
  TodoWindow* Make(int kind);

  std::string iniPath_;
  PasswordPrompt& passwords_;
  SchedOptions options_;
  bool started_ = false;
  int view_ = 270;
  int32_t currentDay_ = 0;
  ScheduleOwner owner_;
  WindowPlacement placement_;
  TodoWindow* window_ = nullptr;  // owned
  std::vector<QPointer<TodoWindow>> retired_;
};

class TodoWindow : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdToday = 200;
  static constexpr int kIdGoTo = 102;
  static constexpr int kIdName = 213;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdEdit = 206;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdTag = 244;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdSearch = 254;
  static constexpr int kIdPrint = 220;
  static constexpr int kIdClose = 216;
  static constexpr int kIdBack = 103;
  static constexpr int kIdForward = 104;
  static constexpr int kIdPrevMonth = 105;
  static constexpr int kIdNextMonth = 106;
  static constexpr int kIdTitle = 300;
  static constexpr int kIdMonthTitle = 301;
  static constexpr int kIdCalendar = 110;
  static constexpr int kIdList = 120;
  static constexpr int kIdDetailPriority = 310;
  static constexpr int kIdDetailText = 311;

  TodoWindow(TodoList& list, int kind);
  ~TodoWindow() override;

  bool Start();
  void CloseWindow();
  TodoTable& Table() { return table_; }
  int Kind() const { return kind_; }

  bool Reload();
  bool MoveTo(int32_t day);
  void Command(int id);
  // The items shown: the day's list, or a week's column, or a month's cell.
  const std::vector<TodoListEntry>& Items(int column = 0) const { return items_[size_t(column)]; }
  int32_t SelectedRecord() const;
  void SelectRecord(int32_t recordNumber);
  // Week: the cell of a row on a weekday; month: a cell of the grid.
  void SelectCell(int row, int column);

  void AddItem();
  void EditSelected();
  void DeleteSelected();
  void ToggleDone();
  void CopySelected();
  void ChooseOwner();
  void GoToDate();
  void Search();
  // "&Print": the day page of the current day for the list's owner.
  void Print();
  void NavigationKey(int key);

  QPushButton* Button(int id) const;
  QTreeWidget* List() const { return list_; }
  QTableWidget* Grid() const { return grid_; }
  DpCalendar* Calendar() const { return calendar_; }

 protected:
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildDay();
  void BuildGrid();
  bool LoadDay();
  bool LoadWeek();
  bool LoadMonth();
  void ShowDetail();
  void EnableItemCommands();
  int32_t DayOfColumn(int column) const;

  TodoList& list_owner_;
  int kind_;
  TodoTable table_;
  QVBoxLayout* layout_ = nullptr;
  std::map<int, QPushButton*> buttons_;
  QLabel* title_ = nullptr;
  QLabel* monthTitle_ = nullptr;
  DpCalendar* calendar_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QLabel* priority_ = nullptr;
  QLabel* text_ = nullptr;
  // Day: one list; week: seven columns; month: 42 cells.
  std::vector<std::vector<TodoListEntry>> items_;
  std::vector<int32_t> days_;  // the day of each column or cell
  bool filling_ = false;
};
