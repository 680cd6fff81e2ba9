// The scheduler's and the to-do list's windows on BOB's real workstation:
// each opens where its window state record (SchedState, TodoState) puts
// it, and the record the program writes at its end holds where the window
// last stood, whether it was closed before or is still open.
#include "shell/ui/scheduler_windows.h"

#include <QTest>
#include <memory>

#include "data/office/profile.h"
#include "scheduler/sched_view.h"
#include "scheduler/scheduler.h"
#include "scheduler/todo_window.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/session.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/scripted_prompts.h"

namespace {

class NoPasswords : public PasswordPrompt {
 public:
  std::optional<std::string> Ask(const std::string&) override { return std::nullopt; }
};

}  // namespace

class SchedulerPlacementTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  NoPasswords passwords;
  std::unique_ptr<SchedulerWindows> windows;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

  void Open(const std::string& keys) {
    office->WriteIni(keys);
    DpWinHooks hooks;
    windows = std::make_unique<SchedulerWindows>(office->IniPath(), passwords);
    windows->Install(hooks, nullptr);
    session = std::make_unique<Session>(office->IniPath(), hooks);
    QVERIFY(session->Start());
    win = session->OpenWindow(sound);
    windows->Start(*win);
    win->Start();
  }

 private slots:
  void init() {
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    prompts = std::make_unique<ScriptedPrompts>();
  }
  void cleanup() {
    if (windows) windows->CloseAll();
    win.reset();
    windows.reset();
    session.reset();
    prompts.reset();
    office.reset();
  }

  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("closedFirst");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("written");
    // The spare value is the window's own and stays as it was.
    QTest::newRow("schedule, still open") << "SchedState" << int(kCmdScheduler) << false
                                          << "0,40,50,840,650,7" << "0,100,90,1000,790,7";
    QTest::newRow("schedule, closed") << "SchedState" << int(kCmdScheduler) << true
                                      << "0,40,50,840,650,0" << "0,100,90,1000,790,0";
    QTest::newRow("to-do, still open") << "TodoState" << int(kCmdTodo) << false
                                       << "0,40,50,840,650,0" << "0,100,90,1000,790,0";
    // A maximised window keeps its rectangle for the next restore.
    QTest::newRow("to-do, maximised") << "TodoState" << int(kCmdTodo) << true
                                      << "2,40,50,840,650,0" << "2,40,50,840,650,0";
  }
  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood() {
    QFETCH(QString, key);
    QFETCH(int, command);
    QFETCH(bool, closedFirst);
    QFETCH(QString, record);
    QFETCH(QString, written);
    Open(key.toStdString() + "=" + record.toStdString());
    win->Command(command);
    QWidget* window = command == kCmdScheduler ? static_cast<QWidget*>(windows->Schedule().Window())
                                               : windows->Todo().Window();
    QVERIFY(window);
    const bool maximised = record.startsWith("2,");
    QCOMPARE(window->isMaximized(), maximised);
    if (!maximised) {
      QCOMPARE(window->geometry(), QRect(40, 50, 800, 600));
      window->setGeometry(QRect(100, 90, 900, 700));
    }
    if (closedFirst) {
      windows->Schedule().Close();
      windows->Todo().Close();
    }
    win->close();
    const auto kept = ProfileFind(office->IniPath(), "DESKpost", key.toStdString());
    QVERIFY(kept);
    QCOMPARE(QString::fromStdString(*kept), written);
  }
};

QTEST_MAIN(SchedulerPlacementTest)
#include "scheduler_placement_test.moc"
