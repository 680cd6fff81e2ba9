// What the scheduler's three layouts share: the row of commands ("&Day",
// "&Week", "&Month", "&Today", "&Go to", "&Name", "&Add", "&Edit",
// "De&lete", "&Copy", "&Search", "&Print", "Close"), the "SCHED" table
// open while the window exists, the title "Schedule for:  %s", and the
// commands that work the same in every layout: choosing the owner, adding,
// editing, deleting (repeated entries included), copying and searching.
#pragma once

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cstdint>
#include <map>

#include "data/schedule/dpsched.h"
#include "toolkit/base_dialog.h"

class QKeyEvent;
class QPushButton;
class Scheduler;

class SchedView : public TBaseDialog {
  Q_OBJECT
 public:
  static constexpr int kIdToday = 200;
  static constexpr int kIdGoTo = 102;
  static constexpr int kIdName = 213;
  static constexpr int kIdAdd = 204;
  static constexpr int kIdEdit = 206;
  static constexpr int kIdDelete = 205;
  static constexpr int kIdCopy = 232;
  static constexpr int kIdSearch = 254;
  static constexpr int kIdPrint = 220;
  static constexpr int kIdClose = 216;
  static constexpr int kIdBack = 103;     // "<"
  static constexpr int kIdForward = 104;  // ">"
  static constexpr int kIdTitle = 300;

  ~SchedView() override;

  // Opens the table, loads the current day and shows the window; false
  // (after the error was shown) when the table cannot be opened.
  bool Start();
  // Closes the window and the table.
  void CloseWindow();
  SchedTable& Table() { return table_; }
  Scheduler& Owner() { return scheduler_; }

  // Loads the period of the scheduler's current day; false when it cannot
  // be shown (it leaves 1980 to 2037, or an engine error, shown).
  virtual bool Reload() = 0;
  // The entry selected, or -1.
  virtual int32_t SelectedRecord() const = 0;
  // Selects the entry after a reload.
  virtual void SelectRecord(int32_t recordNumber) = 0;
  // A new entry's start for "&Edit" on an empty slot or cell, else 0.
  virtual int32_t SelectedSlotTime() const { return 0; }

  // The commands, as their buttons run them.
  void Command(int id);
  // The "&Calendar" menu (sched_view_ics.cpp): the schedule shown written
  // to an iCalendar file, and a file's events added to it.
  void ExportCalendar();
  void ImportCalendar();
  // Makes the day current and reloads; a day that cannot be shown leaves
  // the old one.
  bool MoveTo(int32_t day);
  void AddEntry(int32_t presetStart = 0);
  void EditSelected();
  void DeleteSelected();
  void CopySelected();
  void ChooseOwner();
  // Retitles the window for the scheduler's owner and reloads.
  void ShowOwner();
  void GoToDate();
  void Search();
  // "&Print": the day, week or month of the owner's schedule, the layout
  // shown offered first.
  void Print();

  QPushButton* Button(int id) const;

 protected:
  SchedView(Scheduler& scheduler, const QString& resourceName);
  // Enables "De&lete", "&Copy" and "&Edit" when an entry is selected.
  void EnableEntryCommands();
  void reject() override;
  void changeEvent(QEvent* event) override;
  // Whether the layout offers "&Copy" (the month view does not).
  virtual bool CopyOffered() const { return true; }
  // Runs before the window closes (the day view writes UsePresets).
  virtual void Closing() {}
  // Insert adds an entry and Delete deletes the selected one, wherever the
  // focus is; a list or grid would take the keys for itself, so the
  // layouts have their lists watched.
  void WatchEntryKeys(QWidget* list);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // After a save or delete: reload and select the entry.
  void Refresh(int32_t select);

  Scheduler& scheduler_;
  QVBoxLayout* layout_ = nullptr;
  QHBoxLayout* commands_ = nullptr;
  std::map<int, QPushButton*> buttons_;

 private:
  // Insert and Delete; false for another key.
  bool EntryKey(const QKeyEvent& event);

  SchedTable table_;
};
