// Where BOB's windows stand, kept in his INI file: the message list and
// view (MessageState, ViewState), the scheduler and the to-do list
// (SchedState, TodoState). Each opens where its window state record puts
// it, leaves its place behind when it closes, and the record the program
// writes at its end holds where the window last stood, whether it was
// closed before or is still open.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/profile.h"
#include "messaging/message_list.h"
#include "messaging/message_windows.h"
#include "messaging/view_message.h"
#include "scheduler/sched_view.h"
#include "scheduler/scheduler.h"
#include "scheduler/todo_window.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/list_wiring.h"
#include "shell/ui/scheduler_windows.h"
#include "shell/ui/session.h"
#include "shell/workstation_settings.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/control_id.h"
#include "toolkit/scripted_prompts.h"

class WindowPlacesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  NoPasswords passwords;
  std::unique_ptr<ListWiring> lists;
  std::unique_ptr<SchedulerWindows> schedule;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

  void Open(const std::string& keys) {
    office->WriteIni(keys);
    DpWinHooks hooks;
    lists = std::make_unique<ListWiring>();
    lists->Fill(hooks);
    schedule = std::make_unique<SchedulerWindows>(office->IniPath(), passwords);
    schedule->Install(hooks, nullptr);
    session = std::make_unique<Session>(office->IniPath(), hooks);
    QVERIFY(session->Start());
    win = session->OpenWindow(sound);
    lists->SetMainWindow(win.get());
    schedule->Start(*win);
    win->Start();
  }
  TMessageListBaseClass* List() { return MessageWindows::Instance().List(); }
  QWidget* WindowOf(int command) {
    if (command == kCmdScheduler) return schedule->Schedule().Window();
    if (command == kCmdTodo) return schedule->Todo().Window();
    return List();
  }
  void CloseEach() {
    if (List()) List()->close();
    schedule->Schedule().Close();
    schedule->Todo().Close();
  }
  std::string Written(const std::string& key) {
    return ProfileFind(office->IniPath(), "DESKpost", key).value_or("(none)");
  }

 private slots:
  void init() {
    SetClock([] { return FromLocal(2027, 3, 15, 9, 5, 0); });
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    prompts = std::make_unique<ScriptedPrompts>();
  }
  void cleanup() {
    MessageWindows::Instance().CloseAll();
    if (schedule) schedule->CloseAll();
    win.reset();
    schedule.reset();
    lists.reset();
    session.reset();
    prompts.reset();
    office.reset();
    SetClock(nullptr);
  }

  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("command");
    QTest::addColumn<bool>("closedFirst");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("written");
    // The spare value is the window's own and stays as it was.
    QTest::newRow("schedule, still open")
        << "SchedState" << int(kCmdScheduler) << false << "0,40,50,840,650,7"
        << "0,100,90,1000,790,7";
    QTest::newRow("schedule, closed")
        << "SchedState" << int(kCmdScheduler) << true << "0,40,50,840,650,0"
        << "0,100,90,1000,790,0";
    QTest::newRow("to-do, still open")
        << "TodoState" << int(kCmdTodo) << false << "0,40,50,840,650,0"
        << "0,100,90,1000,790,0";
    // A maximised window keeps its rectangle for the next restore.
    QTest::newRow("to-do, maximised") << "TodoState" << int(kCmdTodo) << true << "2,40,50,840,650,0"
                                      << "2,40,50,840,650,0";
    QTest::newRow("message list, still open")
        << "MessageState" << int(kCmdView) << false << "0,40,50,840,650,3"
        << "0,100,90,1000,790,3";
    QTest::newRow("message list, closed")
        << "MessageState" << int(kCmdView) << true << "0,40,50,840,650,0"
        << "0,100,90,1000,790,0";
  }
  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood() {
    QFETCH(QString, key);
    QFETCH(int, command);
    QFETCH(bool, closedFirst);
    QFETCH(QString, record);
    QFETCH(QString, written);
    Open(key.toStdString() + "=" + record.toStdString());
    win->Command(command);
    QWidget* window = WindowOf(command);
    QVERIFY(window);
    const bool maximised = record.startsWith("2,");
    QCOMPARE(window->isMaximized(), maximised);
    if (!maximised) {
      QCOMPARE(window->geometry(), QRect(40, 50, 800, 600));
      window->setGeometry(QRect(100, 90, 900, 700));
    }
    if (closedFirst) CloseEach();
    win->close();
    QCOMPARE(QString::fromStdString(Written(key.toStdString())), written);
  }

  void aMaximisedViewOpensMaximisedAndTheNextViewOpensWhereTheLastStood() {
    Open("ViewState=2,60,70,660,500,7");
    win->Command(kCmdView);
    QVERIFY(List());
    List()->OpenView(0);
    auto* view = qobject_cast<TViewMessageBaseClass*>(List()->OpenViewWindow());
    QVERIFY(view);
    QVERIFY(view->windowState() & Qt::WindowMaximized);
    view->setWindowState(Qt::WindowNoState);
    view->setGeometry(100, 110, 900, 480);  // wider than the view's least width
    QTest::mouseClick(FindControlAs<QPushButton>(view, TViewMessageBaseClass::kIdClose),
                      Qt::LeftButton);
    QCOMPARE(win->Settings().windows[kViewWindowState],
             std::optional<WindowStateRecord>(WindowStateRecord{0, {100, 110, 1000, 590}, 7}));
    List()->OpenView(0);
    QCOMPARE(List()->OpenViewWindow()->geometry(), QRect(100, 110, 900, 480));
  }

  void withoutARecordTheListsPlaceIsKeptForTheNext() {
    Open("");
    win->Command(kCmdView);
    QVERIFY(List());
    List()->setGeometry(20, 30, 700, 300);
    QTest::mouseClick(FindControlAs<QPushButton>(List(), TMessageListBaseClass::kIdClose),
                      Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    win->Command(kCmdView);
    QVERIFY(List());
    QCOMPARE(List()->geometry(), QRect(20, 30, 700, 300));
    QCOMPARE(win->Settings().windows[kMessageWindowState],
             std::optional<WindowStateRecord>(WindowStateRecord{0, {20, 30, 720, 330}, 0}));
  }
};

QTEST_MAIN(WindowPlacesTest)
#include "window_places_test.moc"
