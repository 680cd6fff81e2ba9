// The scheduler window's "&Calendar" menu on a real office: Export writes
// the schedule shown to the file chosen in the save dialog, Import adds a
// chosen file's events to it, tells what was added and refused, and lets
// the owner's workstation know; Cancel does nothing, a missing file is
// named.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <fstream>
#include <memory>
#include <sstream>

#include "data/schedule/sched_ical.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/sched_view_ics.h"
#include "scheduler/scheduler.h"
#include "tests/scheduler/sched_window_office.h"
#include "toolkit/scripted_desktop.h"
#include "toolkit/scripted_prompts.h"

namespace {

constexpr char kTwoEvents[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//\r\n"
    "BEGIN:VEVENT\r\nUID:a@test\r\nSUMMARY:Dentist\r\n"
    "DTSTART;TZID=America/New_York:20270315T140000\r\n"
    "DTEND;TZID=America/New_York:20270315T150000\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:b@test\r\nSUMMARY:Moon landing\r\nDTSTART:19690720T201700Z\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

}  // namespace

class CalendarMenuTest : public QObject, SchedWindowSet<> {
  Q_OBJECT

  std::unique_ptr<ScriptedDesktop> desktop;
  std::unique_ptr<Scheduler> scheduler;

  SchedView* Open(const ScheduleOwner& owner) {
    scheduler = std::make_unique<Scheduler>(office->Ini(), *passwords);
    scheduler->SetOwner(owner);
    if (!scheduler->Open()) return nullptr;
    return scheduler->Window();
  }
  static QAction* MenuAction(SchedView* view, const QString& text) {
    auto* bar = view->findChild<QMenuBar*>();
    if (!bar) return nullptr;
    for (QAction* menu : bar->actions()) {
      if (menu->text() != kCalendarMenu || !menu->menu()) continue;
      for (QAction* a : menu->menu()->actions())
        if (a->text() == text) return a;
    }
    return nullptr;
  }
  ScheduleOwner OwnerCalled(const QString& who) {
    if (who == "* COMMON") return {kCommonScheduleOwner, kCommonScheduleName};
    return {office->numbers[who.toStdString()], who.toStdString()};
  }
  int Entries(int32_t owner, int32_t day) {
    SchedTable t;
    int lines = 0;
    if (!SchedOpen(t)) return -1;
    SchedCountLines(t, day, owner, &lines);
    SchedClose(t);
    return lines;
  }

 private slots:
  void init() {
    QVERIFY(MakeSet());
    desktop = std::make_unique<ScriptedDesktop>();
  }
  void cleanup() {
    scheduler.reset();
    desktop.reset();
    DropSet();
  }

  void exportWritesTheScheduleShown_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QString>("suggested");
    QTest::newRow("her own") << QString("ANNE") << "ANNE.ics";
    QTest::newRow("a colleague's") << QString("BOB") << "BOB.ics";
    QTest::newRow("the office's") << QString("* COMMON") << "COMMON.ics";
  }
  void exportWritesTheScheduleShown() {
    QFETCH(QString, owner);
    QFETCH(QString, suggested);
    const ScheduleOwner who = OwnerCalled(owner);
    office->Add(SchedOffice::Entry(who.number, SchedOffice::At(2027, 3, 15, 10), "Planning"));
    office->Add(SchedOffice::Entry(office->numbers["CAROL"], SchedOffice::At(2027, 3, 15, 11),
                                   "Not shown"));
    if (owner == "BOB") passwords->answers.push_back("");
    SchedView* view = Open(who);
    QVERIFY(view);
    const QString path = QString::fromStdString(office->dir.File("out.ics"));
    desktop->Answer(path);
    QAction* action = MenuAction(view, kCalendarExport);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(desktop->Requests().size(), size_t(1));
    QCOMPARE(desktop->Requests()[0].kind, QString("Save"));
    QCOMPARE(desktop->Requests()[0].detail, suggested);
    std::ifstream in(path.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    QVERIFY(text.str().find("SUMMARY:Planning") != std::string::npos);
    QVERIFY(text.str().find("Not shown") == std::string::npos);
    QCOMPARE(prompts->AskedList().back().text, QString("1 entry exported."));
  }

  void cancellingTheDialogsDoesNothing() {
    SchedView* view = Open(OwnerCalled("ANNE"));
    QVERIFY(view);
    MenuAction(view, kCalendarExport)->trigger();
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(desktop->Requests().size(), size_t(2));
    QCOMPARE(desktop->Requests()[1].kind, QString("Open"));
    QVERIFY(prompts->AskedList().empty());
  }

  void importAddsTheEventsAndSaysWhatWasRefused_data() {
    QTest::addColumn<QString>("owner");
    QTest::addColumn<bool>("flagged");
    QTest::newRow("her own") << "ANNE" << false;
    QTest::newRow("a colleague's") << "BOB" << true;
    QTest::newRow("the office's") << "* COMMON" << false;
  }
  void importAddsTheEventsAndSaysWhatWasRefused() {
    QFETCH(QString, owner);
    QFETCH(bool, flagged);
    const ScheduleOwner who = OwnerCalled(owner);
    const std::string path = office->dir.File("in.ics");
    std::ofstream(path, std::ios::binary) << kTwoEvents;
    if (owner == "BOB") passwords->answers.push_back("");
    SchedView* view = Open(who);
    QVERIFY(view);
    desktop->Answer(QString::fromStdString(path));
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(prompts->Questions().back().text,
             QString("1 entry added from 2 events.\n1 refused:\n"
                     "  Moon landing (7-20-69): year outside 1980 to 2037\n"));
    QCOMPARE(Entries(who.number, SchedOffice::At(2027, 3, 15)), 2);  // start and end lines
    if (who.number > 0) {
      const int flag = GetFlagValue(FlagFilePath(office->dir.Path(), who.number));
      QCOMPARE((flag & kFlagScheduleChanged) != 0, flagged);
    }
    QCOMPARE(prompts->WorkingDepth(), 0);
  }

  void aMissingFileIsNamed() {
    SchedView* view = Open(OwnerCalled("ANNE"));
    QVERIFY(view);
    const std::string gone = office->dir.File("gone.ics");
    desktop->Answer(QString::fromStdString(gone));
    MenuAction(view, kCalendarImport)->trigger();
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QVERIFY(prompts->Questions()[0].text.contains(QString::fromStdString(gone)));
  }
};

QTEST_MAIN(CalendarMenuTest)
#include "calendar_menu_test.moc"
