// The scheduler's road across two workstations: ANNE opens BOB's protected
// schedule, adds a Tuesday meeting repeating weekly for four weeks with an
// alarm five minutes ahead and the update memo; BOB's main window blinks
// its Scheduler button, BOB's in-box has the memo, his week view shows the
// meetings, the alarm window comes at its time with the clock driven, and
// deleting from the third meeting on removes two.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <memory>

#include "data/schedule/sched_repeat.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/edit_sched_dialog.h"
#include "scheduler/repeat_dialogs.h"
#include "scheduler/scheduler.h"
#include "scheduler/show_alarm_dialog.h"
#include "scheduler/week_view.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/scheduler_windows.h"
#include "shell/ui/session.h"
#include "tests/scheduler/sched_window_office.h"
#include "toolkit/scripted_prompts.h"

using E = EditSchedDialog;

namespace {

class QuietSound : public SoundPlayer {
 public:
  bool Play(const std::string&) override { return false; }
  void Beep(BeepKind) override {}
};

}  // namespace

class SchedulerRoadTest : public QObject {
  Q_OBJECT

 private slots:
  void anneSetsBobsWeeklyMeetingAndBobIsToldAlarmedAndDeletesTheLastTwo() {
    SchedOffice office;
    QVERIFY(office.ok);
    office.StandOn(2027, 3, 16, 9, 0);  // a Tuesday
    ScriptedPrompts prompts;
    DialogSteps dialogs;
    CurrentRepeatRules() = RepeatRules();
    QVERIFY(WriteMasterPassword("master", false));
    QVERIFY(WriteUserPassword("BOB", "bobpw"));
    QVERIFY(WriteProtectedAreas("BOB", kAreaScheduler));
    ForgetPasswordCache();
    const int32_t bob = office.numbers["BOB"];

    // ---- ANNE's workstation ----
    {
      ScriptedPasswordAnswers annePasswords;
      Scheduler scheduler(office.Ini(), annePasswords);
      QVERIFY(scheduler.Open());
      auto* view = qobject_cast<DaySchedView*>(scheduler.Window());
      QVERIFY(view);
      annePasswords.answers.push_back("bobpw");
      dialogs.PickName("BOB");
      view->Command(SchedView::kIdName);
      QCOMPARE(annePasswords.asked.size(), size_t(1));
      QCOMPARE(view->windowTitle(), QString("Schedule for:  BOB"));

      dialogs.Then([](TBaseDialog& d) {
        QVERIFY(FindControlAs<QCheckBox>(&d, E::kIdSendUpdate)->isChecked());
        DialogSteps::Type(d, E::kIdDescription, "Team meeting");
        DialogSteps::Type(d, E::kIdStart, "10");
        DialogSteps::Type(d, E::kIdEnd, "11");
        DialogSteps::Type(d, E::kIdAlarm, "955");
        DialogSteps::Press(d, E::kIdRepeat);
        DialogSteps::Press(d, kIdOk);
      });
      dialogs.Then([](TBaseDialog& d) { DialogSteps::Press(d, kRepeatWeekly); });
      dialogs.Then([](TBaseDialog& d) {
        // Every Tuesday: each occurrence ticked, for four weeks.
        for (int i = 0; i < 5; ++i) {
          auto* box = FindControlAs<QCheckBox>(&d, RepeatWeeklyDialog::kIdFirstOccurrence + i);
          if (!box->isChecked()) DialogSteps::Press(d, RepeatWeeklyDialog::kIdFirstOccurrence + i);
        }
        QVERIFY(FindControlAs<QCheckBox>(&d, RepeatWeeklyDialog::kIdFirstWeekday + 2)->isChecked());
        DialogSteps::Type(d, RepeatDialog::kIdUntil, "4-6-27");
        DialogSteps::Press(d, kIdOk);
      });
      view->Command(SchedView::kIdAdd);
      QVERIFY(dialogs.steps.empty());
      QVERIFY(dialogs.stillOpen.empty());
    }
    QVERIFY(office.Flag("BOB") & kFlagScheduleChanged);
    const auto memos = office.MemosTo("BOB");
    QCOMPARE(memos.size(), size_t(1));
    QCOMPARE(QString::fromStdString(memos[0]),
             QString("Automatic notification of schedule update:\r\r"
                     "Date:  3-16-27\rTime: 10:00AM - 11:00AM\rAlarm set for:  9:55AM\r"
                     "Team meeting\r\r*This item also has repeating items."));

    // ---- BOB's workstation ----
    StopUser();
    office.WriteIni("Name=BOB\n");
    ScriptedPasswordAnswers bobPasswords;
    SchedulerWindows windows(office.Ini(), bobPasswords);
    DpWin* main = nullptr;
    DpWinHooks hooks;
    windows.Install(hooks, [&main] { return main ? &main->Alerts() : nullptr; });
    Session session(office.Ini(), hooks);
    QVERIFY(session.Start());
    QuietSound sound;
    std::unique_ptr<DpWin> win = session.OpenWindow(sound);
    main = win.get();
    win->Start();
    // The first tick polled: the schedule changed, the button blinks.
    QVERIFY(win->Alerts().ScheduleChanged());
    QAbstractButton* button = win->ToolbarButton(kCmdScheduler);
    QVERIFY(button && button->isEnabled());
    QString lit = button->property("blink").toString();
    win->Tick();
    QVERIFY(lit != button->property("blink").toString());
    QCOMPARE(office.Flag("BOB") & kFlagScheduleChanged, 0);
    QCOMPARE(CurrentAlarm().description, std::string("Team meeting"));

    // The clock reaches 9:55: the alarm is due.
    win->Tick();
    QVERIFY(!win->Alerts().AlarmPending());
    office.StandOn(2027, 3, 16, 9, 55);
    win->Tick();
    QVERIFY(win->Alerts().AlarmPending());

    // Scheduler: the alarm window first, then BOB's own schedule.
    QString alarmTitle;
    QString alarmText;
    dialogs.Then([&](TBaseDialog& d) {
      alarmTitle = d.windowTitle();
      alarmText = FindControlAs<QLabel>(&d, ShowAlarmDialog::kIdDescription)->text();
      DialogSteps::Press(d, kIdOk);
    });
    bobPasswords.answers.push_back("bobpw");
    win->Command(kCmdScheduler);
    QCOMPARE(alarmTitle, QString("Alarm:  9:55AM"));
    QCOMPARE(alarmText, QString("Team meeting"));
    QVERIFY(!win->Alerts().AlarmPending());
    QVERIFY(!win->Alerts().ScheduleChanged());
    Scheduler& scheduler = windows.Schedule();
    QVERIFY(scheduler.Window());
    QCOMPARE(scheduler.Owner().number, bob);
    // Shown once: the next search looks past 9:55.
    win->Tick();
    QVERIFY(!win->Alerts().AlarmPending());

    // The week view: one meeting each Tuesday for four weeks.
    scheduler.SwitchView(kViewWeek);
    auto* week = qobject_cast<WeekSchedView*>(scheduler.Window());
    QVERIFY(week);
    QStringList tuesdays;
    for (int w = 0; w < 5; ++w) {
      const bool met = GridColumn(week->Grid(), 3).contains("Team meeting");
      tuesdays << (met ? GridHeading(week->Grid(), 3) : QString());
      week->MoveTo(AddDays(scheduler.CurrentDay(), 7));
    }
    QCOMPARE(tuesdays, QStringList({"Tue 16", "Tue 23", "Tue 30", "Tue 6", ""}));

    // From the third meeting on: two go, two stay.
    week->MoveTo(SchedOffice::At(2027, 3, 30));
    week->SelectCell(GridColumn(week->Grid(), 3).indexOf("Team meeting"), 2);
    prompts.Answer(2);
    prompts.Answer(true);
    week->Command(SchedView::kIdDelete);
    QCOMPARE(office.Day(bob, SchedOffice::At(2027, 3, 23)),
             std::vector<std::string>{"Team meeting"});
    QVERIFY(office.Day(bob, SchedOffice::At(2027, 3, 30)).empty());
    QVERIFY(office.Day(bob, SchedOffice::At(2027, 4, 6)).empty());
    QCOMPARE(office.Day(bob, SchedOffice::At(2027, 3, 16)),
             std::vector<std::string>{"Team meeting"});
    windows.CloseAll();
    win.reset();
  }
};

QTEST_MAIN(SchedulerRoadTest)
#include "scheduler_road_test.moc"
