// The Take window on BOB's real main window: "&Take" opens it, the kind
// buttons go through the main window's kind command, the timer keeps its
// clock, and closing the program asks about an unsent message first.
#include "shell/ui/take_wiring.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "data/clock.h"
#include "data/local_time.h"
#include "shell/toolbar_layout.h"
#include "shell/ui/dpwin.h"
#include "shell/ui/session.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/control_id.h"
#include "toolkit/scripted_prompts.h"

class TakeWiringTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  std::unique_ptr<TakeWiring> take;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;

  QPlainTextEdit* Text() {
    TakeWindow* w = take->Takes().Current();
    return FindControlAs<QPlainTextEdit>(
        w, w->Kind() == kTakePhone ? TakeWindow::kIdPhoneText : TakeWindow::kIdMemoText);
  }

 private slots:
  void init() {
    SetClock([] { return FromLocal(2027, 3, 15, 9, 5, 0); });
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    office->WriteIni("");
    prompts = std::make_unique<ScriptedPrompts>();
    take = std::make_unique<TakeWiring>();
    DpWinHooks hooks;
    take->Fill(hooks);
    session = std::make_unique<Session>(office->IniPath(), hooks);
    QVERIFY(session->Start());
    win = session->OpenWindow(sound);
    take->SetMainWindow(win.get());
    win->Start();
  }
  void cleanup() {
    win.reset();
    take.reset();
    session.reset();
    QCOMPARE(prompts->Unanswered(), 0);
    prompts.reset();
    office.reset();
    SetClock(nullptr);
  }

  void takeOpensTheWindowAndTheTimerKeepsItsClock() {
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
    win->Command(kCmdTake);
    TakeWindow* phone = take->Takes().Current();
    Text()->setFocus();
    QTest::keyClicks(Text(), "Call Joe.");
    prompts->Answer(true);
    QTest::mouseClick(FindControlAs<QPushButton>(phone, TakeWindow::kIdKindMemo), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(take->Takes().Current() != nullptr);
    QCOMPARE(take->Takes().Current()->Kind(), kTakeMemo);
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].text, QString("Phone message not sent, are you sure?"));
  }

  // Closing the program with an unsent message asks; No keeps both the
  // program and the message, Yes lets it end.
  void closingTheProgramAsksAboutAnUnsentMessage() {
    win->Command(kCmdTake);
    Text()->setFocus();
    QTest::keyClicks(Text(), "Call Joe.");
    MessagingHide();
    prompts->Answer(false);
    win->close();
    QCOMPARE(win->ExitCode(), -1);
    QVERIFY(take->Takes().Current()->isVisible());
    QCOMPARE(Text()->toPlainText(), QString("Call Joe."));
    prompts->Answer(true);
    win->close();
    QCOMPARE(win->ExitCode(), 0);
    QVERIFY(take->Takes().Current() == nullptr);
    QCOMPARE(prompts->Questions().size(), size_t(2));
  }

 private:
  // The Take window closed (hidden) by its Close button.
  void MessagingHide() {
    QTest::mouseClick(FindControlAs<QPushButton>(take->Takes().Current(), kIdCancel),
                      Qt::LeftButton);
    QVERIFY(!take->Takes().Current()->isVisible());
  }
};

QTEST_MAIN(TakeWiringTest)
#include "take_wiring_test.moc"
