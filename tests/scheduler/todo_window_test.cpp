// The to-do list on a real office: carrying an open item of a past day to
// today, marking items done and open again, a full day, the entry dialog's
// checks, copies, search and the week and month layouts.
#include "scheduler/todo_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "data/schedule/dptodo.h"
#include "scheduler/dp_calendar.h"
#include "scheduler/edit_todo_dialog.h"
#include "scheduler/sched_search.h"
#include "tests/scheduler/sched_window_office.h"
#include "tests/support/todo_item.h"
#include "toolkit/scripted_prompts.h"

using T = TodoWindow;

class TodoWindowTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  std::unique_ptr<TodoList> todo;

  static int32_t Day(int d) { return SchedOffice::At(2027, 3, d); }

  int32_t AddItem(int32_t owner, int32_t date, const std::string& priority, const std::string& text,
                  bool done = false) {
    TodoTable handle;
    int32_t number = -1;
    if (!TodoOpen(handle)) return -1;
    TodoRecord r = TodoItem(owner, date, priority, text, done);
    TodoAdd(handle, r, &number);
    TodoClose(handle);
    return number;
  }
  TodoWindow* Open(int kind = kViewDay) {
    todo = std::make_unique<TodoList>(office->Ini(), *passwords);
    if (!todo->Open()) return nullptr;
    if (kind != kViewDay) todo->SwitchView(kind);
    return todo->Window();
  }
  QStringList Rows(TodoWindow* w) {
    QStringList out;
    for (int i = 0; i < w->List()->topLevelItemCount(); ++i)
      out << w->List()->topLevelItem(i)->data(0, Qt::AccessibleTextRole).toString();
    return out;
  }
  uint8_t Mark(TodoWindow* w, int day) {
    const MonthCalendar& cal = w->Calendar()->Calendar();
    return cal.cells[size_t(cal.CellOf(day))].mark;
  }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    office->StandOn(2027, 3, 17, 9, 0);  // a Wednesday
  }
  void cleanup() {
    todo.reset();
    DropSet();
  }

  void anOpenItemOfAPastDayIsCarriedToTodayUntilDone() {
    const int32_t report = AddItem(Anne(), Day(15), "1", "Send the report");
    AddItem(Anne(), Day(22), "2", "Next week's item");
    TodoWindow* w = Open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QString("To-do list for:  ANNE"));
    QCOMPARE(w->objectName(), QString("DAY_TODO"));
    QCOMPARE(Rows(w), QStringList({"Priority 1, Send the report"}));
    QCOMPARE(Mark(w, 15), kMarkNone);
    QCOMPARE(Mark(w, 22), kMarkEntries);
    QCOMPARE(Mark(w, 17), kMarkToday);
    w->MoveTo(Day(15));
    QVERIFY(Rows(w).isEmpty());
    w->MoveTo(Day(22));
    QCOMPARE(Rows(w), QStringList({"Priority 2, Next week's item"}));

    // Marked done today, it moves to today and stays there.
    w->MoveTo(Day(17));
    w->SelectRecord(report);
    QTest::keyClick(w, Qt::Key_Space);
    QCOMPARE(Rows(w), QStringList({"Priority 1, Send the report, done"}));
    QCOMPARE(w->List()->topLevelItem(0)->icon(0).isNull(), false);
    TodoRecord stored;
    QVERIFY(TodoRead(w->Table(), report, &stored));
    QCOMPARE(stored.Date(), Day(17));
    QCOMPARE(Mark(w, 17), kMarkToday);
    w->MoveTo(Day(15));
    QVERIFY(Rows(w).isEmpty());
  }

  void aDoneItemOfYesterdayMarkedOpenIsCarriedToToday() {
    const int32_t item = AddItem(Anne(), Day(16), "1", "Call the bank", true);
    TodoWindow* w = Open();
    QVERIFY(w);
    QVERIFY(Rows(w).isEmpty());
    QCOMPARE(Mark(w, 16), kMarkEntries);
    w->MoveTo(Day(16));
    w->SelectRecord(item);
    w->Command(T::kIdTag);
    QVERIFY(Rows(w).isEmpty());
    w->MoveTo(Day(17));
    QCOMPARE(Rows(w), QStringList({"Priority 1, Call the bank"}));
    QCOMPARE(Mark(w, 16), kMarkNone);
  }

  void theEntryDialogAddsEditsAndRefusesWithItsMessages() {
    TodoWindow* w = Open();
    QVERIFY(w);
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("To-do Entry"));
      DialogSteps::Type(d, EditTodoDialog::kIdPriority, " ");
      QTest::keyClicks(FindControlAs<QPlainTextEdit>(&d, EditTodoDialog::kIdText), "Water plants");
      DialogSteps::Press(d, kIdOk);
      QVERIFY(d.IsOpen());
      DialogSteps::Type(d, EditTodoDialog::kIdPriority, "A");
      DialogSteps::Press(d, kIdOk);
    });
    w->Command(T::kIdAdd);
    QVERIFY(Asked("Must enter PRIORITY:"));
    QCOMPARE(Rows(w), QStringList({"Priority A, Water plants"}));
    QCOMPARE(FindControlAs<QLabel>(w, T::kIdDetailText)->text(), QString("Water plants"));
  }

  void aFullDayRefusesAnotherItemAndKeepsTheDialogOpen() {
    for (int i = 0; i < 256; ++i)
      QVERIFY(AddItem(Anne(), Day(18), "5", "Item " + std::to_string(i)) >= 0);
    TodoWindow* w = Open();
    QVERIFY(w);
    w->MoveTo(Day(18));
    QCOMPARE(w->List()->topLevelItemCount(), 256);
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, EditTodoDialog::kIdPriority, "1");
      QTest::keyClicks(FindControlAs<QPlainTextEdit>(&d, EditTodoDialog::kIdText), "One more");
      DialogSteps::Press(d, kIdOk);
    });
    w->Command(T::kIdAdd);
    QVERIFY(Asked("Maximum of 256 to-do items reached."));
    QCOMPARE(dialogs->stillOpen.size(), size_t(1));
    QCOMPARE(w->List()->topLevelItemCount(), 256);
  }

  void anItemDeletedElsewhereWhileEditedIsAddedAgain() {
    const int32_t item = AddItem(Anne(), Day(17), "1", "Old text");
    TodoWindow* w = Open();
    QVERIFY(w);
    w->SelectRecord(item);
    dialogs->Then([&](TBaseDialog& d) {
      TodoTable other;
      QVERIFY(TodoOpen(other));
      QVERIFY(TodoRemove(other, item));
      TodoClose(other);
      auto* text = FindControlAs<QPlainTextEdit>(&d, EditTodoDialog::kIdText);
      text->selectAll();
      QTest::keyClicks(text, "New text");
      DialogSteps::Press(d, kIdOk);
    });
    w->Command(T::kIdEdit);
    QVERIFY(dialogs->stillOpen.empty());
    QCOMPARE(Rows(w), QStringList({"Priority 1, New text"}));
  }

  void aCopyGoesToTheChosenPersonAndDeletingNeedsTheRight() {
    const int32_t item = AddItem(Anne(), Day(17), "1", "Book the room");
    TodoWindow* w = Open();
    QVERIFY(w);
    w->SelectRecord(item);
    dialogs->PickName("BOB");
    w->Command(T::kIdCopy);
    TodoTable handle;
    QVERIFY(TodoOpen(handle));
    int count = 0;
    QVERIFY(TodoCount(handle, Day(17), Bob(), &count));
    QCOMPARE(count, 1);
    TodoClose(handle);

    office->WriteIni("TodoDelete=0\n");
    w = Open();
    w->SelectRecord(item);
    w->Command(T::kIdDelete);
    QVERIFY(Asked("You do not have access rights for this action."));
    QCOMPARE(w->List()->topLevelItemCount(), 1);
  }

  void searchFindsACarriedItemAndGoesToToday() {
    const int32_t item = AddItem(Anne(), Day(3), "1", "Renew the LICENCE");
    AddItem(Anne(), Day(25), "2", "Holiday");
    TodoWindow* w = Open();
    QVERIFY(w);
    w->MoveTo(Day(30));
    dialogs->Then([](TBaseDialog& d) {
      QCOMPARE(d.windowTitle(), QString("Search To-do"));
      DialogSteps::Type(d, SchedSearchDialog::kIdText, "licence");
      DialogSteps::Press(d, SchedSearchDialog::kIdFind);
      QCOMPARE(static_cast<SchedSearchDialog&>(d).Matches().size(), size_t(1));
      QCOMPARE(QString::fromStdString(static_cast<SchedSearchDialog&>(d).Matches()[0].row),
               QString("3-03-27\t1\tRenew the LICENCE"));
      DialogSteps::Press(d, SchedSearchDialog::kIdGoTo);
    });
    w->Command(T::kIdSearch);
    QCOMPARE(todo->CurrentDay(), Day(17));
    QCOMPARE(w->SelectedRecord(), item);
  }

  void theWeekAndMonthShowItemsWhereTheCarryingRulePutsThem() {
    AddItem(Anne(), Day(15), "1", "Carried");
    AddItem(Anne(), Day(18), "2", "Thursday");
    AddItem(Anne(), Day(16), "3", "Done Tuesday", true);
    TodoWindow* week = Open(kViewWeek);
    QVERIFY(week);
    QTableWidget* grid = week->Grid();
    QCOMPARE(grid->horizontalHeaderItem(3)->text(), QString("Wed 17"));
    QCOMPARE(grid->item(0, 3)->text(), QString("1-Carried"));
    QCOMPARE(grid->item(0, 4)->text(), QString("2-Thursday"));
    QCOMPARE(grid->item(0, 2)->text(), QString("3-Done Tuesday"));
    QCOMPARE(grid->item(0, 1)->text(), QString(""));
    QVERIFY(!grid->item(0, 2)->icon().isNull());

    todo->SwitchView(kViewMonth);
    TodoWindow* month = todo->Window();
    QVERIFY(month);
    // March 2027 begins on a Monday: day d sits in cell d.
    QCOMPARE(month->Grid()->item(17 / 7, 17 % 7)->text(), QString("17* \nCarried"));
    QCOMPARE(month->Grid()->item(15 / 7, 15 % 7)->text(), QString("15 "));
    QCOMPARE(month->Grid()->item(16 / 7, 16 % 7)->text(), QString("16 \nDone Tuesday"));
    // Widened, the days fill the window to its right edge (the week and
    // the month share the grid's set-up).
    const auto [columns, viewport] = ColumnsAgainstViewport(month->Grid());
    QCOMPARE(columns, viewport);
  }
};

QTEST_MAIN(TodoWindowTest)
#include "todo_window_test.moc"
