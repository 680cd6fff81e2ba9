// The alarm as the scheduler's saves move it, and the day view on the days
// the clocks change: every hour once, whichever way the clock goes.
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "data/schedule/sched_alarm.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/scheduler.h"
#include "tests/scheduler/sched_window_office.h"
#include "toolkit/scripted_prompts.h"

using E = EditSchedDialog;

class AlarmClockTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

 private:
  std::unique_ptr<Scheduler> scheduler;

  DaySchedView* Open() {
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    if (!scheduler->Open()) return nullptr;
    return qobject_cast<DaySchedView*>(scheduler->Window());
  }

 private slots:
  void init() { QVERIFY(MakeSet()); }
  void cleanup() {
    scheduler.reset();
    DropSet();
  }

  void anAlarmEditedToAnEarlierTimeRingsThen() {
    const int32_t number =
        office->Add(SchedOffice::Entry(Anne(), SchedOffice::At(2027, 3, 15, 11), "Interview", 0,
                                       SchedOffice::At(2027, 3, 15, 10, 30)));
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
    QVERIFY(!AlarmDue(CurrentAlarm(), SchedOffice::At(2027, 3, 15, 9, 29)));
    QVERIFY(AlarmDue(CurrentAlarm(), SchedOffice::At(2027, 3, 15, 9, 30)));
    // Deleting the entry leaves no alarm.
    prompts->Answer(true);
    view->Command(SchedView::kIdDelete);
    QVERIFY(!CurrentAlarm().HasAlarm());
  }

  void anAlarmAlreadyPastNeverRings() {
    DaySchedView* view = Open();
    QVERIFY(view);
    dialogs->Then([](TBaseDialog& d) {
      DialogSteps::Type(d, E::kIdDescription, "Too late");
      DialogSteps::Type(d, E::kIdStart, "10");
      DialogSteps::Type(d, E::kIdAlarm, "830");
      DialogSteps::Press(d, kIdOk);
    });
    view->Command(SchedView::kIdAdd);
    QVERIFY(!CurrentAlarm().HasAlarm());
  }

  void theDayViewShowsEachHourOnceWhenTheClockChanges_data() {
    QTest::addColumn<QString>("zone");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("New York, spring") << "America/New_York" << 3 << 14;
    QTest::newRow("New York, autumn") << "America/New_York" << 11 << 7;
    QTest::newRow("Berlin, spring") << "Europe/Berlin" << 3 << 28;
    QTest::newRow("Berlin, autumn") << "Europe/Berlin" << 10 << 31;
  }
  void theDayViewShowsEachHourOnceWhenTheClockChanges() {
    QFETCH(QString, zone);
    QFETCH(int, month);
    QFETCH(int, day);
    TestZone here(qPrintable(zone));
    office->WriteIni("UsePresets=1\nPresetStart=0\nPresetEnd=5\n");
    const int32_t date = SchedOffice::At(2027, month, day);
    // An entry at 4:00 by the wall clock of the day.
    office->Add(SchedOffice::Entry(Anne(), SchedOffice::At(2027, month, day, 4), "Early"));
    DaySchedView* view = Open();
    QVERIFY(view);
    view->MoveTo(date);
    QStringList times;
    for (int i = 0; i < view->List()->topLevelItemCount(); ++i)
      times << view->List()->topLevelItem(i)->text(0);
    // The hour the spring change skips has no slot; no hour shows twice.
    QStringList expected{"12:00am", "1:00am", "2:00am", "3:00am", "4:00am", "5:00am"};
    if (month == 3) expected.removeAll("2:00am");
    QCOMPARE(times, expected);
    QCOMPARE(view->List()->topLevelItem(times.indexOf("4:00am"))->text(1), QString("Early"));
  }
};

QTEST_MAIN(AlarmClockTest)
#include "alarm_clock_test.moc"
