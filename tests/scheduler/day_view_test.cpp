// The scheduler's day view on a real office: the day's lines with the
// preset hours and the brackets of overlapping entries, the calendar and
// its navigation, choosing whose schedule behind the schedule password,
// and the entry dialog with its checks, the update memo and bit 4 in the
// owner's flag file.
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "data/office/profile.h"
#include "data/schedule/sched_daylines.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/dp_calendar.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/scheduler.h"
#include "tests/scheduler/sched_window_office.h"
#include "tests/support/lock_holder.h"
#include "toolkit/scripted_prompts.h"

using E = EditSchedDialog;
using O = SchedOffice;

class DayViewTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  std::unique_ptr<Scheduler> scheduler;

  DaySchedView* Open() {
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    if (!scheduler->Open()) return nullptr;
    return qobject_cast<DaySchedView*>(scheduler->Window());
  }
  QStringList Column(DaySchedView* view, int column) {
    QStringList out;
    for (int i = 0; i < view->List()->topLevelItemCount(); ++i)
      out << view->List()->topLevelItem(i)->text(column);
    return out;
  }
  bool Asked(const QString& text) {
    for (const auto& q : prompts->Questions())
      if (q.text == text) return true;
    return false;
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
  void cleanup() {
    scheduler.reset();
    DropSet();
  }

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
    // The 10:30 entry inside the 10:00 one: a corner of its own, and the
    // lines inside both brackets (11:00 and its own end) carry the overlap
    // flag.
    const auto& lines = view->Lines();
    QCOMPARE(lines[3].bracket, kBracketTop);
    QCOMPARE(lines[4].bracket, kBracketTop);
    QVERIFY(!lines[4].overlap);
    QVERIFY(lines[5].overlap);
    QVERIFY(lines[6].overlap);
    QCOMPARE(lines[6].bracket, kBracketBottom);
    QCOMPARE(lines[7].bracket, kBracketBottom);
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

  void theCalendarKeysAndButtonsMoveTheDay_data() {
    QTest::addColumn<int>("startDay");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Left") << 15 << int(Qt::Key_Left) << "Sunday, March 14, 2027";
    QTest::newRow("Right") << 15 << int(Qt::Key_Right) << "Tuesday, March 16, 2027";
    QTest::newRow("Up") << 15 << int(Qt::Key_Up) << "Monday, March 8, 2027";
    QTest::newRow("Down") << 31 << int(Qt::Key_Down) << "Wednesday, April 7, 2027";
    QTest::newRow("PageUp on the 31st") << 31 << int(Qt::Key_PageUp) << "Monday, February 1, 2027";
    QTest::newRow("PageDown") << 31 << int(Qt::Key_PageDown) << "Thursday, April 1, 2027";
  }
  void theCalendarKeysAndButtonsMoveTheDay() {
    QFETCH(int, startDay);
    QFETCH(int, key);
    QFETCH(QString, shown);
    DaySchedView* view = Open();
    QVERIFY(view);
    view->MoveTo(O::At(2027, 3, startDay));
    QTest::keyClick(view->Calendar(), Qt::Key(key));
    QCOMPARE(FindControlAs<QLabel>(view, SchedView::kIdTitle)->text(), shown);
  }

  void aMoveOutOfTheYearsStaysWhereItWas() {
    DaySchedView* view = Open();
    QVERIFY(view);
    view->MoveTo(O::At(1980, 1, 10));
    QTest::mouseClick(FindControlAs<QPushButton>(view, DaySchedView::kIdPrevMonth), Qt::LeftButton);
    QCOMPARE(scheduler->CurrentDay(), O::At(1980, 1, 10));
    QCOMPARE(FindControlAs<QLabel>(view, SchedView::kIdTitle)->text(),
             QString("Thursday, January 10, 1980"));
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
    const auto memos = office->MemosTo("BOB");
    QCOMPARE(memos.size(), size_t(1));
    QCOMPARE(QString::fromStdString(memos[0]),
             QString("Automatic notification of schedule update:\r\r"
                     "Date:  3-15-27\rTime:  9:30AM - 10:30AM\rBudget meeting"));
    // The view shows the new entry selected.
    QCOMPARE(view->SelectedRecord() >= 0, true);
    QCOMPARE(Column(view, 1).first(), QString("Budget meeting"));
  }

  void theCommonScheduleHasNoMemoAndNoFlag() {
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
  }

  void anUnknownDefaultScheduleIsToldAndTheOwnScheduleShown() {
    office->WriteIni("DefaultSchedule=zachary\n");
    DaySchedView* view = Open();
    QVERIFY(view);
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

  void theEntryDialogsChecksKeepItOpenWithTheirMessage_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("told");
    const char* rows[][6] = {
        {"start equals end", "Dentist", "9", "9", "", "Start time must be earlier than End time."},
        {"no description", "  ", "9", "", "", "Please enter a description."},
        {"no such date", "Dentist", "9", "", "2-30-27", "Invalid date"},
        {"before 1980", "Dentist", "9", "", "12-31-79", "Invalid date"},
        {"a full day", "Dentist", "9", "", "3-16-27",
         "Maximum of 40 items reached for this date."}};
    for (const auto& r : rows)
      QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]) << QString(r[4])
                          << QString(r[5]);
  }
  void theEntryDialogsChecksKeepItOpenWithTheirMessage() {
    QFETCH(QString, description);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, date);
    QFETCH(QString, told);
    for (int i = 0; i < 40; ++i)
      office->Add(O::Entry(Anne(), O::At(2027, 3, 16, 7) + 60 * i, "Filler"));
    DaySchedView* view = Open();
    QVERIFY(view);
    FillEntry(description, start, end, "", date);
    view->Command(SchedView::kIdAdd);
    QVERIFY2(Asked(told), qPrintable(told));
    QCOMPARE(dialogs->stillOpen.size(), size_t(1));
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

  void theLayoutButtonsReopenTheWindowAndCloseClosesIt_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("resource");
    QTest::newRow("Week") << kViewWeek << "WEEK_VIEW";
    QTest::newRow("Month") << kViewMonth << "MONTH_VIEW";
  }
  void theLayoutButtonsReopenTheWindowAndCloseClosesIt() {
    QFETCH(int, button);
    QFETCH(QString, resource);
    DaySchedView* view = Open();
    QVERIFY(view);
    QTest::mouseClick(view->Button(button), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SchedView* other = scheduler->Window();
    QVERIFY(other);
    QCOMPARE(other->objectName(), resource);
    QCOMPARE(scheduler->CurrentDay(), O::At(2027, 3, 15));
    QTest::mouseClick(other->Button(SchedView::kIdClose), Qt::LeftButton);
    QVERIFY(!scheduler->Window());
    QVERIFY(!other->Table().open);
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
};

QTEST_MAIN(DayViewTest)
#include "day_view_test.moc"
