// The scheduler's day view on a real office: the day's lines with the
// preset hours and the brackets of overlapping entries, the calendar and
// its navigation, choosing whose schedule behind the schedule password,
// and the entry dialog with its checks, the update memo and bit 4 in the
// owner's flag file; the alarm as the entry dialog's saves move it, and the
// day on the days the clocks change: every hour once, whichever way the
// clock goes.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "data/office/profile.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_daylines.h"
#include "scheduler/dp_calendar.h"
#include "scheduler/edit_sched_dialog.h"
#include "tests/scheduler/sched_window_office.h"
#include "tests/support/lock_holder.h"
#include "toolkit/scripted_prompts.h"

using E = EditSchedDialog;
using O = SchedOffice;

class DayViewTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  DaySchedView* Open() { return OpenView(); }
  QStringList Column(DaySchedView* view, int column) {
    QStringList out;
    for (int i = 0; i < view->List()->topLevelItemCount(); ++i)
      out << view->List()->topLevelItem(i)->text(column);
    return out;
  }
  // The entry dialog's fields typed in, then OK.
  void FillEntry(const QString& description, const QString& start, const QString& end = "",
                 const QString& alarm = "", const QString& date = "") {
    dialogs->Then([=](TBaseDialog& d) {
      if (!date.isEmpty()) DialogSteps::Type(d, E::kIdDate, date);
      DialogSteps::Type(d, E::kIdDescription, description);
      DialogSteps::Type(d, E::kIdStart, start);
      if (!end.isEmpty()) DialogSteps::Type(d, E::kIdEnd, end);
      if (!alarm.isEmpty()) DialogSteps::Type(d, E::kIdAlarm, alarm);
      DialogSteps::Press(d, kIdOk);
    });
  }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    ForgetPasswordCache();
  }
  void cleanup() { DropSet(); }

  void theDayShowsPresetHoursAndBracketsOverlappingEntries() {
    office->WriteIni("UsePresets=1\nPresetStart=8\nPresetEnd=17\n");
    const int32_t day = O::At(2027, 3, 15);
    office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 10), "Review", O::At(2027, 3, 15, 12)));
    office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 11), "Call"));
    office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 10, 30), "Visit", O::At(2027, 3, 15, 11, 30)));
    office->Add(O::Entry(Anne(), day, "Holiday"));
    DaySchedView* view = Open();
    QVERIFY(view);
    QCOMPARE(view->windowTitle(), QString("Schedule for:  ANNE"));
    QCOMPARE(FindControlAs<QLabel>(view, SchedView::kIdTitle)->text(),
             QString("Monday, March 15, 2027"));
    QCOMPARE(FindControlAs<QLabel>(view, DaySchedView::kIdMonthTitle)->text(),
             QString("March, 2027"));
    QCOMPARE(Column(view, 0),
             QStringList({"", "8:00am", "9:00am", "10:00am", "10:30am", "11:00am", "11:30am",
                          "12:00pm", "1:00pm", "2:00pm", "3:00pm", "4:00pm", "5:00pm"}));
    QCOMPARE(Column(view, 1), QStringList({"Holiday", "", "", "Review", "Visit", "Call", "", "", "",
                                           "", "", "", ""}));
    // The 10:30 entry inside the 10:00 one has a corner of its own, which
    // its row hands to the painter (the day lines' tests hold the brackets
    // and overlaps of every line).
    QCOMPARE(view->List()->topLevelItem(4)->data(1, Qt::UserRole + 1).toInt(), int(kBracketTop));
    // The untimed line is pale yellow.
    QCOMPARE(view->List()->topLevelItem(0)->background(0).color(), QColor(255, 255, 128));

    // The "Time" heading turns the preset hours off, and closing keeps it.
    view->TogglePresets();
    QCOMPARE(Column(view, 1), QStringList({"Holiday", "Review", "Visit", "Call", "", ""}));
    scheduler->Close();
    QCOMPARE(ProfileGetInt(office->Ini(), "DESKpost", "UsePresets", -1), 0);
  }

  void controlsHaveAccessibleNamesAndCalendarCellsReadAsDates() {
    office->Add(O::Entry(Anne(), O::At(2027, 3, 18, 9), "Dentist"));
    DaySchedView* view = Open();
    QVERIFY(view);
    QCOMPARE(view->List()->accessibleName(), QString("Entries"));
    QCOMPARE(view->Calendar()->accessibleName(), QString("Calendar"));
    for (int id : {kViewDay, kViewWeek, kViewMonth})
      QVERIFY(!view->Button(id)->accessibleName().isEmpty());
    QCOMPARE(view->Button(kViewWeek)->accessibleName(), QString("Week"));
    QCOMPARE(view->Button(SchedView::kIdDelete)->accessibleName(), QString("Delete"));
    // March 2027 begins on a Monday: cell 1.
    const MonthCalendar& cal = view->Calendar()->Calendar();
    const int today = cal.CellOf(15);
    const int dentist = cal.CellOf(18);
    QCOMPARE(view->Calendar()->item(today / 7, today % 7)->data(Qt::AccessibleTextRole).toString(),
             QString("Monday, March 15, 2027, today"));
    QCOMPARE(
        view->Calendar()->item(dentist / 7, dentist % 7)->data(Qt::AccessibleTextRole).toString(),
        QString("Thursday, March 18, 2027, has entries"));
    QCOMPARE(view->Calendar()->CellText(today), QString("15*"));
    QCOMPARE(view->Calendar()->CellText(dentist), QString("18 "));
    QVERIFY(view->Calendar()->item(0, 0)->data(Qt::AccessibleTextRole).toString().isEmpty());
    QVERIFY(view->Button(SchedView::kIdPrint)->isEnabled());
  }

  // The calendar's keys move the day; a move out of the years stays where
  // it was.
  void theCalendarKeysAndButtonsMoveTheDay() {
    const struct {
      int from;
      Qt::Key key;
      const char* shown;
    } cases[] = {{15, Qt::Key_Left, "Sunday, March 14, 2027"},
                 {15, Qt::Key_Right, "Tuesday, March 16, 2027"},
                 {15, Qt::Key_Up, "Monday, March 8, 2027"},
                 {31, Qt::Key_Down, "Wednesday, April 7, 2027"},
                 {31, Qt::Key_PageUp, "Monday, February 1, 2027"},
                 {31, Qt::Key_PageDown, "Thursday, April 1, 2027"}};
    DaySchedView* view = Open();
    QVERIFY(view);
    auto* title = FindControlAs<QLabel>(view, SchedView::kIdTitle);
    for (const auto& c : cases) {
      view->MoveTo(O::At(2027, 3, c.from));
      QTest::keyClick(view->Calendar(), c.key);
      QCOMPARE(title->text(), QString(c.shown));
    }
    view->MoveTo(O::At(1980, 1, 10));
    QTest::mouseClick(FindControlAs<QPushButton>(view, DaySchedView::kIdPrevMonth), Qt::LeftButton);
    QCOMPARE(scheduler->CurrentDay(), O::At(1980, 1, 10));
    QCOMPARE(title->text(), QString("Thursday, January 10, 1980"));
  }

  void anEntryAddedToAnotherPersonsScheduleRaisesBit4AndSendsTheMemo() {
    DaySchedView* view = Open();
    QVERIFY(view);
    dialogs->PickName("BOB");
    view->Command(SchedView::kIdName);
    QCOMPARE(scheduler->Owner().number, Bob());
    QCOMPARE(view->windowTitle(), QString("Schedule for:  BOB"));
    bool memoTicked = false;
    QString memoLabel;
    dialogs->Then([&](TBaseDialog& d) {
      auto* memo = FindControlAs<QCheckBox>(&d, E::kIdSendUpdate);
      memoTicked = memo->isChecked();
      memoLabel = memo->text();
      DialogSteps::Type(d, E::kIdDescription, "Budget meeting");
      DialogSteps::Type(d, E::kIdStart, "930");
      DialogSteps::Type(d, E::kIdEnd, "1030");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdAdd);
    QVERIFY(memoTicked);
    QCOMPARE(memoLabel, QString("Send update memo to BOB"));
    QCOMPARE(office->Day(Bob(), O::At(2027, 3, 15)), std::vector<std::string>{"Budget meeting"});
    QVERIFY(office->Flag("BOB") & kFlagScheduleChanged);
    QCOMPARE(office->Flag("ANNE") & kFlagScheduleChanged, 0);
    // One memo; its wording is the data layer's.
    QCOMPARE(office->MemosTo("BOB").size(), size_t(1));
    // The view shows the new entry selected.
    QCOMPARE(view->SelectedRecord() >= 0, true);
    QCOMPARE(Column(view, 1).first(), QString("Budget meeting"));
  }

  // The default schedule of the INI file: the office's, whose entries send
  // no memo, or a name nobody has, which is told and the own one shown.
  void theDefaultScheduleIsTheCommonOneWithoutMemoOrTheOwnWhenUnknown() {
    office->WriteIni("DefaultSchedule=* - all\n");
    DaySchedView* view = Open();
    QVERIFY(view);
    QCOMPARE(scheduler->Owner().number, kCommonScheduleOwner);
    QCOMPARE(view->windowTitle(), QString("Schedule for:  * COMMON"));
    bool memoEnabled = true;
    dialogs->Then([&](TBaseDialog& d) {
      memoEnabled = FindControlAs<QCheckBox>(&d, E::kIdSendUpdate)->isEnabled();
      DialogSteps::Type(d, E::kIdDescription, "Office closed");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdAdd);
    QVERIFY(!memoEnabled);
    QCOMPARE(office->Day(kCommonScheduleOwner, O::At(2027, 3, 15)),
             std::vector<std::string>{"Office closed"});
    QVERIFY(office->MemosTo("BOB").empty());
    QVERIFY(office->MemosTo("ANNE").empty());
    office->WriteIni("DefaultSchedule=zachary\n");
    QVERIFY(Open());
    QVERIFY(Asked("Could not find default schedule user: ZACHARY"));
    QCOMPARE(scheduler->Owner().number, Anne());
  }

  void aProtectedScheduleOpensOnlyWithItsPassword() {
    QVERIFY(WriteMasterPassword("master", false));
    QVERIFY(WriteUserPassword("BOB", "secret"));
    QVERIFY(WriteProtectedAreas("BOB", kAreaScheduler));
    DaySchedView* view = Open();
    QVERIFY(view);
    passwords->answers.push_back("wrong");
    dialogs->PickName("BOB");
    view->Command(SchedView::kIdName);
    QCOMPARE(scheduler->Owner().number, Anne());
    passwords->answers.push_back("secret");
    dialogs->PickName("BOB");
    view->Command(SchedView::kIdName);
    QCOMPARE(scheduler->Owner().number, Bob());
  }

  // One check of the save's own (each of which the save's tests hold) and
  // the dialog's date check: either message keeps the dialog open.
  void theEntryDialogsChecksKeepItOpenWithTheirMessage() {
    const struct {
      const char *description, *start, *end, *date, *told;
    } cases[] = {{"Dentist", "9", "9", "", "Start time must be earlier than End time."},
                 {"Dentist", "9", "", "2-30-27", "Invalid date"}};  // no such day
    DaySchedView* view = Open();
    QVERIFY(view);
    for (const auto& c : cases) {
      prompts->Clear();
      FillEntry(c.description, c.start, c.end, "", c.date);
      view->Command(SchedView::kIdAdd);
      QVERIFY2(Asked(c.told), c.told);
      QCOMPARE(dialogs->stillOpen.size(), size_t(&c - cases + 1));
    }
    QVERIFY(office->Day(Anne(), O::At(2027, 3, 15)).empty());
  }

  void anEntryDeletedElsewhereWhileEditedIsAddedAgain() {
    const int32_t number = office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 9), "Dentist"));
    DaySchedView* view = Open();
    QVERIFY(view);
    view->SelectRecord(number);
    dialogs->Then([&](TBaseDialog& d) {
      // Another workstation deletes it while the dialog is open.
      SchedTable other;
      QVERIFY(SchedOpen(other));
      QVERIFY(SchedRemove(other, number));
      SchedClose(other);
      DialogSteps::Type(d, E::kIdDescription, "Dentist at ten");
      DialogSteps::Type(d, E::kIdStart, "10");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdEdit);
    QVERIFY(dialogs->stillOpen.empty());
    QCOMPARE(office->Day(Anne(), O::At(2027, 3, 15)), std::vector<std::string>{"Dentist at ten"});
  }

  void anEntryHeldByAnotherWorkstationIsRefusedAndKeptAsTyped() {
    const int32_t number = office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 9), "Dentist"));
    DaySchedView* view = Open();
    QVERIFY(view);
    view->SelectRecord(number);
    QString typed;
    dialogs->Then([&](TBaseDialog& d) {
      // The other workstation holds the record's lock byte.
      Table other(kSchedTable);
      QVERIFY(DbOpenTable(other, office->dir.Path()));
      QVERIFY(DbLockRecord(other, number));
      DialogSteps::Type(d, E::kIdDescription, "Dentist moved");
      DialogSteps::Press(d, kIdOk);
      typed = FindControlAs<QLineEdit>(&d, E::kIdDescription)->text();
      DbUnlockRecord(other, number);
      DbCloseTable(other);
    });
    view->Command(SchedView::kIdEdit);
    QCOMPARE(dialogs->stillOpen.size(), size_t(1));
    QCOMPARE(typed, QString("Dentist moved"));
    QVERIFY(!prompts->Questions().empty());
    QCOMPARE(office->Day(Anne(), O::At(2027, 3, 15)), std::vector<std::string>{"Dentist"});
  }

  void anEntryDeletedElsewhereLeavesTheViewWithoutAQuestion() {
    const int32_t number = office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 9), "Dentist"));
    office->Add(O::Entry(Anne(), O::At(2027, 3, 15, 11), "Lunch"));
    DaySchedView* view = Open();
    QVERIFY(view);
    view->SelectRecord(number);
    SchedTable other;
    QVERIFY(SchedOpen(other));
    QVERIFY(SchedRemove(other, number));
    SchedClose(other);
    view->Command(SchedView::kIdDelete);
    QVERIFY(prompts->Questions().empty());
    QCOMPARE(Column(view, 1), QStringList({"Lunch"}));
    // Deleting the other one asks, and the view follows.
    prompts->Answer(true);
    view->Command(SchedView::kIdDelete);
    QVERIFY(Asked("Are you sure?"));
    QVERIFY(Column(view, 1).isEmpty());
  }

  void theLayoutButtonsReopenTheWindowAndCloseClosesIt() {
    for (const auto& [button, resource] :
         {std::pair<int, const char*>{kViewWeek, "WEEK_VIEW"}, {kViewMonth, "MONTH_VIEW"}}) {
      DaySchedView* view = Open();
      QVERIFY(view);
      QTest::mouseClick(view->Button(button), Qt::LeftButton);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      SchedView* other = scheduler->Window();
      QVERIFY(other);
      QCOMPARE(other->objectName(), QString(resource));
      QCOMPARE(scheduler->CurrentDay(), O::At(2027, 3, 15));
      QTest::mouseClick(other->Button(SchedView::kIdClose), Qt::LeftButton);
      QVERIFY(!scheduler->Window());
      QVERIFY(!other->Table().open);
    }
  }

  void anEmptyPresetSlotStartsANewEntryAtItsHour() {
    office->WriteIni("UsePresets=1\n");
    DaySchedView* view = Open();
    QVERIFY(view);
    view->SelectLine(2);  // 10:00am
    QCOMPARE(view->SelectedSlotTime(), O::At(2027, 3, 15, 10));
    QString start;
    dialogs->Then([&](TBaseDialog& d) {
      start = FindControlAs<QLineEdit>(&d, E::kIdStart)->text();
      DialogSteps::Type(d, E::kIdDescription, "Walk");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdEdit);
    QCOMPARE(start, QString("10:00AM"));
    QCOMPARE(Column(view, 1)[2], QString("Walk"));
  }

  void anAlarmEditedToAnEarlierTimeRingsThenAndOnePastNever() {
    const int32_t number = office->Add(
        O::Entry(Anne(), O::At(2027, 3, 15, 11), "Interview", 0, O::At(2027, 3, 15, 10, 30)));
    DaySchedView* view = Open();
    QVERIFY(view);
    QVERIFY(SchedFindNextAlarm(&view->Table(), Anne(), &CurrentAlarm()));
    QCOMPARE(CurrentAlarm().hour, 10);
    view->SelectRecord(number);
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, E::kIdAlarm, "930");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdEdit);
    QCOMPARE(CurrentAlarm().hour, 9);
    QCOMPARE(CurrentAlarm().minute, 30);
    QVERIFY(!AlarmDue(CurrentAlarm(), O::At(2027, 3, 15, 9, 29)));
    QVERIFY(AlarmDue(CurrentAlarm(), O::At(2027, 3, 15, 9, 30)));
    // Deleting the entry leaves no alarm, and one already past never rings.
    prompts->Answer(true);
    view->Command(SchedView::kIdDelete);
    QVERIFY(!CurrentAlarm().HasAlarm());
    FillEntry("Too late", "10", "", "830");
    view->Command(SchedView::kIdAdd);
    QVERIFY(!CurrentAlarm().HasAlarm());
  }

  void theDayShowsEachHourOnceWhenTheClockChanges() {
    const struct {
      const char* zone;
      int month, day;
    } cases[] = {{"America/New_York", 3, 14},
                 {"America/New_York", 11, 7},
                 {"Europe/Berlin", 3, 28},
                 {"Europe/Berlin", 10, 31}};
    office->WriteIni("UsePresets=1\nPresetStart=0\nPresetEnd=5\n");
    for (const auto& c : cases) {
      TestZone here(c.zone);
      // An entry at 4:00 by the wall clock of the day.
      office->Add(O::Entry(Anne(), O::At(2027, c.month, c.day, 4), "Early"));
      DaySchedView* view = Open();
      QVERIFY(view);
      view->MoveTo(O::At(2027, c.month, c.day));
      // The hour the spring change skips has no slot; no hour shows twice.
      QStringList expected{"12:00am", "1:00am", "2:00am", "3:00am", "4:00am", "5:00am"};
      if (c.month == 3) expected.removeAll("2:00am");
      QCOMPARE(Column(view, 0), expected);
      QCOMPARE(Column(view, 1)[expected.indexOf("4:00am")], QString("Early"));
    }
  }
};

QTEST_MAIN(DayViewTest)
#include "day_view_test.moc"
