// The message lists on BOB's real main window: View opens his New list and
// ends the new-message alert, a second View refreshes it, an urgent message
// opens alone in its view window (without Prev and Next) and its mark is
// applied when the window closes, and the list's system menu runs the
// main window's send log command.
#include "shell/ui/list_wiring.h"

#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "data/local_time.h"
#include "messaging/dialog_runner.h"
#include "messaging/message_list.h"
#include "messaging/message_windows.h"
#include "messaging/view_message.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/main_menu.h"
#include "shell/ui/session.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/control_id.h"
#include "toolkit/scripted_prompts.h"

class ListWiringTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  std::unique_ptr<ListWiring> lists;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

  void Open() {
    office->WriteIni("");
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

 private slots:
  void init() {
    SetClock([] { return FromLocal(2027, 3, 15, 9, 5, 0); });
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
  }
  void cleanup() {
    MessageWindows::Instance().CloseAll();
    SetMessagingDialogRunner(nullptr);
    win.reset();
    lists.reset();
    session.reset();
    prompts.reset();
    office.reset();
    SetClock(nullptr);
  }

  void viewOpensTheNewListEndsTheAlertAndASecondViewRefreshes() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    Open();
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
    Open();
    QVERIFY(win->Alerts().Level() >= 2);
    bool prev = true, next = true, tag = true;
    QString caption;
    SetMessagingDialogRunner([&](TBaseDialog& d) {
      d.OpenModeless();
      caption = d.windowTitle();
      prev = FindControl(&d, TViewMessageBaseClass::kIdPrev)->isEnabled();
      next = FindControl(&d, TViewMessageBaseClass::kIdNext)->isEnabled();
      tag = FindControl(&d, TViewMessageBaseClass::kIdTag)->isEnabled();
      QTest::mouseClick(FindControlAs<QPushButton>(&d, TViewMessageBaseClass::kIdArchive),
                        Qt::LeftButton);
      QTest::mouseClick(FindControlAs<QPushButton>(&d, TViewMessageBaseClass::kIdClose),
                        Qt::LeftButton);
      return d.Result();
    });
    win->Command(kCmdView);
    QCOMPARE(caption, QString("View Memo"));
    QVERIFY(!prev && !next && !tag);
    QVERIFY(List() == nullptr);
    // Filed into the archive, and seen.
    bool archived = office->AsOtherWorkstation([] {
      MessageTable h;
      MessageEntry e;
      const bool found = MsgOpen(h) && MsgFindFirst(h, 3, "BOB", &e) && !(e.Flags() & 2);
      if (h.open) MsgClose(h);
      return found;
    });
    QVERIFY(archived);
  }

  void theListsSystemMenuOpensTheSendLog() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first", false));
    Open();
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
};

QTEST_MAIN(ListWiringTest)
#include "list_wiring_test.moc"
