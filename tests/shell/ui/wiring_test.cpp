// The windows on BOB's real main window, wired as the program wires them.
// The message lists: View opens his New list and ends the new-message
// alert, a second View refreshes it, an urgent message opens alone in its
// view window and its mark is applied, the list's system menu runs the
// send log. The Take window: "&Take" opens it, its kind buttons go through
// the main window, its clock keeps time, closing the program asks about an
// unsent message. The phone list: its commands, the window on BOB's default
// list with his rights and modem devices. And where each window stands:
// opened from its window state record in the INI file (MessageState,
// ViewState, PhoneState, SchedState, TodoState) and written back at the end.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "data/office/profile.h"
#include "messaging/message_list.h"
#include "messaging/view_message.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_list_window.h"
#include "scheduler/sched_view.h"
#include "scheduler/scheduler.h"
#include "scheduler/todo_window.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/main_menu.h"
#include "storage/records/name.h"
#include "tests/shell/ui/workstation_test.h"
#include "tests/support/test_rows.h"
#include "toolkit/control_id.h"

namespace {

// A window's record in the INI file and what the end writes back. The spare
// value is the window's own and stays as it was; the phone list's is
// whether its pane shows.
struct Place {
  const char *name, *key;
  int command;
  bool closedFirst;
  const char *record, *written;
};
constexpr Place kPlaces[] = {
    {"schedule, still open", "SchedState", kCmdScheduler, false, "0,40,50,840,650,7",
     "0,100,90,1000,790,7"},
    {"schedule, closed", "SchedState", kCmdScheduler, true, "0,40,50,840,650,0",
     "0,100,90,1000,790,0"},
    {"to-do, still open", "TodoState", kCmdTodo, false, "0,40,50,840,650,0", "0,100,90,1000,790,0"},
    // A maximised window keeps its rectangle for the next restore.
    {"to-do, maximised", "TodoState", kCmdTodo, true, "2,40,50,840,650,0", "2,40,50,840,650,0"},
    {"message list, still open", "MessageState", kCmdView, false, "0,40,50,840,650,3",
     "0,100,90,1000,790,3"},
    {"message list, closed", "MessageState", kCmdView, true, "0,40,50,840,650,0",
     "0,100,90,1000,790,0"},
    {"phone list, still open", "PhoneState", kCmdPhoneList, false, "0,40,50,840,650,0",
     "0,100,90,1000,790,1"},
};

}  // namespace

class WiringTest : public WorkstationTest {
  Q_OBJECT

  TMessageListBaseClass* List() { return MessageWindows::Instance().List(); }
  void Press(QWidget* window, int id) {
    QTest::mouseClick(FindControlAs<QPushButton>(window, id), Qt::LeftButton);
  }
  QPlainTextEdit* TakeText() {
    TakeWindow* w = take->Takes().Current();
    return FindControlAs<QPlainTextEdit>(
        w, w->Kind() == kTakePhone ? TakeWindow::kIdPhoneText : TakeWindow::kIdMemoText);
  }
  void TypeUnsentCall() {
    win->Command(kCmdTake);
    TakeText()->setFocus();
    QTest::keyClicks(TakeText(), "Call Joe.");
  }
  QWidget* WindowOf(int command) {
    if (command == kCmdScheduler) return schedule->Schedule().Window();
    if (command == kCmdTodo) return schedule->Todo().Window();
    if (command == kCmdPhoneList) return PhoneListWindow();
    return List();
  }
  QString Written(const QString& key) {
    return QString::fromStdString(
        ProfileFind(office->IniPath(), "DESKpost", key.toStdString()).value_or("(none)"));
  }

 private slots:
  void init() { Begin(); }
  void cleanup() { End(); }

  // ---- The message lists ----

  void viewOpensTheNewListEndsTheAlertAndASecondViewRefreshes() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    QVERIFY(Start());
    QCOMPARE(win->Alerts().Level(), 1);
    // The View, Search, Send log and Print entries and Printer setup are
    // offered.
    for (int command :
         {600, 601, 602, 603, 604, 605, 606, 614, 615, 616, 617, 620, 621, 638, 639}) {
      QAction* entry = FindCommand(win.get(), command);
      QVERIFY2(entry && entry->isEnabled(), qPrintable(QString::number(command)));
    }
    win->Command(kCmdView);
    QVERIFY(List());
    QCOMPARE(List()->windowTitle(), QString("1 message in New for BOB"));
    QCOMPARE(win->Alerts().Level(), 0);
    QVERIFY(office->SendMemo("CAROL", "BOB", "second", false));
    win->Command(kCmdView);
    QCOMPARE(List()->windowTitle(), QString("2 messages in New for BOB"));
  }

  void anUrgentMessageOpensAloneAndItsMarkIsApplied() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "urgent!", true));
    QVERIFY(Start());
    QVERIFY(win->Alerts().Level() >= 2);
    QString seen;
    SetMessagingDialogRunner([&](TBaseDialog& d) {
      d.OpenModeless();
      seen = d.windowTitle();
      for (int id : {TViewMessageBaseClass::kIdPrev, TViewMessageBaseClass::kIdNext,
                     TViewMessageBaseClass::kIdTag})
        seen += FindControl(&d, id)->isEnabled() ? " on" : " off";
      Press(&d, TViewMessageBaseClass::kIdArchive);
      Press(&d, TViewMessageBaseClass::kIdClose);
      return d.Result();
    });
    win->Command(kCmdView);
    QCOMPARE(seen, QString("View Memo off off off"));  // Prev, Next, Tag
    QVERIFY(List() == nullptr);
    // Filed into the archive, and seen.
    QVERIFY(office->AsOtherWorkstation([] {
      MessageTable h;
      MessageEntry e;
      const bool found = MsgOpen(h) && MsgFindFirst(h, 3, "BOB", &e) && !(e.Flags() & 2);
      if (h.open) MsgClose(h);
      return found;
    }));
  }

  void theListsSystemMenuOpensTheSendLog() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    QVERIFY(Start());
    win->Command(kCmdView);
    QVERIFY(List());
    QPointer<QMenu> menu(List()->SystemMenu());
    QAction* sendLog = nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == "&Sendlog (new)") sendLog = a;
    QVERIFY(sendLog);
    sendLog->trigger();
    QCoreApplication::processEvents();
    // BOB has sent nothing: the send log has no rows to show.
    QCOMPARE(prompts->Questions().back().text, QString("No messages"));
  }

  // ---- The Take window ----

  void takeOpensTheWindowAndTheTimerKeepsItsClock() {
    QVERIFY(Start());
    win->Command(kCmdTake);
    TakeWindow* w = take->Takes().Current();
    QVERIFY(w && w->isVisible());
    auto* time = FindControlAs<QLabel>(w, TakeWindow::kIdTime);
    QCOMPARE(time->text(), QString("3-15-27   9:05am"));
    SetClock([] { return FromLocal(2027, 3, 15, 9, 6, 0); });
    win->Tick();
    QCOMPARE(time->text(), QString("3-15-27   9:06am"));
  }

  // The memo button asks the main window for a memo; the unsent question
  // comes first.
  void aKindButtonGoesThroughTheMainWindow() {
    QVERIFY(Start());
    TypeUnsentCall();
    prompts->Answer(true);
    Press(take->Takes().Current(), TakeWindow::kIdKindMemo);
    QCoreApplication::processEvents();
    QVERIFY(take->Takes().Current() != nullptr);
    QCOMPARE(take->Takes().Current()->Kind(), kTakeMemo);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("Phone message not sent, are you sure?"));
  }

  // Closing the program with an unsent message in the closed (hidden) Take
  // window asks; No keeps both the program and the message, Yes lets it end.
  void closingTheProgramAsksAboutAnUnsentMessage() {
    QVERIFY(Start());
    TypeUnsentCall();
    Press(take->Takes().Current(), kIdCancel);
    QVERIFY(!take->Takes().Current()->isVisible());
    prompts->Answer(false);
    win->close();
    QCOMPARE(win->ExitCode(), -1);
    QVERIFY(take->Takes().Current()->isVisible());
    QCOMPARE(TakeText()->toPlainText(), QString("Call Joe."));
    prompts->Answer(true);
    win->close();
    QCOMPARE(win->ExitCode(), 0);
    QVERIFY(take->Takes().Current() == nullptr);
    QCOMPARE(prompts->Questions().size(), size_t(2));
  }

  // ---- The phone list ----

  void thePhoneListCommandsOpenTheWindowOnTheUsersDefaultList() {
    QVERIFY(office->EditPerson("BOB", [](NameRecord& r) {
      SetFieldText(r.bytes, records::name::kPhoneListName, "ANNE");
    }));
    QVERIFY(Start("PhoneDelete=0\nCom2Device=/dev/ttyUSB7\nPhoneState=0,40,50,740,470,1"));
    for (int id :
         {kCmdPhoneList, kCmdSelectList, kCmdPhoneSearch, kCmdPhoneReports, kCmdPhoneLabels})
      QVERIFY2(FindCommand(win->menuBar(), id)->isEnabled(), qPrintable(QString::number(id)));
    QCOMPARE(PhoneCurrentList().number, office->numbers["ANNE"]);
    QVERIFY(!PhoneSettings().phoneDelete);
    QCOMPARE(DialPortDevice(2), std::string("/dev/ttyUSB7"));
    win->Command(kCmdPhoneList);
    TPhoneListClass* list = PhoneListWindow();
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QString("PhoneList (ANNE)"));
    QVERIFY(list->PaneShown());
    // A second View List brings the same window forward.
    win->Command(kCmdPhoneList);
    QCOMPARE(PhoneListWindow(), list);
    list->ShowPane(false);
    list->reject();
    QCOMPARE(win->Settings().windows[kPhoneWindowState]->spare, 0);
  }

  // ---- Where the windows stand ----

  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood_data() { AddRows(kPlaces); }
  void eachWindowOpensFromItsRecordAndTheEndWritesWhereItStood() {
    const Place& p = TestRow(kPlaces);
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    QVERIFY(Start(std::string(p.key) + "=" + p.record));
    win->Command(p.command);
    QWidget* window = WindowOf(p.command);
    QVERIFY(window);
    const bool maximised = p.record[0] == '2';
    QCOMPARE(window->isMaximized(), maximised);
    if (!maximised) {
      QCOMPARE(window->geometry(), QRect(40, 50, 800, 600));
      window->setGeometry(QRect(100, 90, 900, 700));
    }
    if (p.command == kCmdPhoneList) PhoneListWindow()->ShowPane(true);
    if (p.closedFirst) {
      if (List()) List()->close();
      schedule->Schedule().Close();
      schedule->Todo().Close();
    }
    win->close();
    QVERIFY(!PhoneListWindow());
    QCOMPARE(Written(p.key), QString(p.written));
  }

  void aMaximisedViewOpensMaximisedAndTheNextViewOpensWhereTheLastStood() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    QVERIFY(Start("ViewState=2,60,70,660,500,7"));
    win->Command(kCmdView);
    QVERIFY(List());
    List()->OpenView(0);
    auto* view = qobject_cast<TViewMessageBaseClass*>(List()->OpenViewWindow());
    QVERIFY(view);
    QVERIFY(view->windowState() & Qt::WindowMaximized);
    view->setWindowState(Qt::WindowNoState);
    view->setGeometry(100, 110, 900, 480);  // wider than the view's least width
    Press(view, TViewMessageBaseClass::kIdClose);
    QCOMPARE(win->Settings().windows[kViewWindowState],
             std::optional<WindowStateRecord>(WindowStateRecord{0, {100, 110, 1000, 590}, 7}));
    List()->OpenView(0);
    QCOMPARE(List()->OpenViewWindow()->geometry(), QRect(100, 110, 900, 480));
  }

  void withoutARecordTheListsPlaceIsKeptForTheNext() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    QVERIFY(Start());
    win->Command(kCmdView);
    QVERIFY(List());
    List()->setGeometry(20, 30, 700, 300);
    Press(List(), TMessageListBaseClass::kIdClose);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    win->Command(kCmdView);
    QVERIFY(List());
    QCOMPARE(List()->geometry(), QRect(20, 30, 700, 300));
    QCOMPARE(win->Settings().windows[kMessageWindowState],
             std::optional<WindowStateRecord>(WindowStateRecord{0, {20, 30, 720, 330}, 0}));
  }
};

QTEST_MAIN(WiringTest)
#include "wiring_test.moc"
