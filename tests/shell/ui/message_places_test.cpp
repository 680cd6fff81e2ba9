// Where BOB's message list and message view stand, kept in his INI file:
// each opens at its MessageState or ViewState record (a maximised view
// maximised), each leaves its place behind when it closes, and the
// program's end writes both records, the open list's place included.
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/office/profile.h"
#include "messaging/message_list.h"
#include "messaging/message_windows.h"
#include "messaging/view_message.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/list_wiring.h"
#include "shell/ui/session.h"
#include "shell/workstation_settings.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/control_id.h"
#include "toolkit/scripted_prompts.h"

class MessagePlacesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  std::unique_ptr<ListWiring> lists;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

  void Open(const std::string& keys) {
    office->WriteIni(keys);
    prompts = std::make_unique<ScriptedPrompts>();
    lists = std::make_unique<ListWiring>();
    DpWinHooks hooks;
    lists->Fill(hooks);
    session = std::make_unique<Session>(office->IniPath(), hooks);
    QVERIFY(session->Start());
    win = session->OpenWindow(sound);
    lists->SetMainWindow(win.get());
    win->Start();
  }
  TMessageListBaseClass* List() { return MessageWindows::Instance().List(); }
  std::string Written(const char* key) {
    return ProfileFind(office->IniPath(), "DESKpost", key).value_or("(none)");
  }

 private slots:
  void init() {
    SetClock([] { return FromLocal(2027, 3, 15, 9, 5, 0); });
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
  }
  void cleanup() {
    MessageWindows::Instance().CloseAll();
    win.reset();
    lists.reset();
    session.reset();
    prompts.reset();
    office.reset();
    SetClock(nullptr);
  }

  void theListAndTheViewOpenWhereTheyStoodAndLeaveTheirPlaces() {
    Open("MessageState=0,40,50,700,410,0\nViewState=2,60,70,660,500,7");
    win->Command(kCmdView);
    QVERIFY(List());
    QCOMPARE(List()->geometry(), QRect(40, 50, 660, 360));
    List()->OpenView(0);
    auto* view = qobject_cast<TViewMessageBaseClass*>(List()->OpenViewWindow());
    QVERIFY(view);
    QVERIFY(view->windowState() & Qt::WindowMaximized);
    view->setWindowState(Qt::WindowNoState);
    view->setGeometry(100, 110, 900, 480);  // wider than the view's least width
    QTest::mouseClick(FindControlAs<QPushButton>(view, TViewMessageBaseClass::kIdClose),
                      Qt::LeftButton);
    // The spare value belongs to the record's window and stays.
    QCOMPARE(win->Settings().windows[kViewWindowState],
             std::optional<WindowStateRecord>(WindowStateRecord{0, {100, 110, 1000, 590}, 7}));
    // The next view opens there.
    List()->OpenView(0);
    QCOMPARE(List()->OpenViewWindow()->geometry(), QRect(100, 110, 900, 480));
    QTest::mouseClick(
        FindControlAs<QPushButton>(List()->OpenViewWindow(), TViewMessageBaseClass::kIdClose),
        Qt::LeftButton);
    // The list still open when the program ends: its place is written too.
    List()->setGeometry(30, 40, 700, 300);
    win->close();
    QCOMPARE(Written("MessageState"), std::string("0,30,40,730,340,0"));
    QCOMPARE(Written("ViewState"), std::string("0,100,110,1000,590,7"));
  }

  void withoutRecordsTheListsPlaceIsKeptForTheNext() {
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

QTEST_MAIN(MessagePlacesTest)
#include "message_places_test.moc"
