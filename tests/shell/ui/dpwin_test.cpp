// The main window on a real office: start-up and its failures, the poll
// settings as the window uses them, the alert's look and sound, the View
// command's urgent case, the floating toolbar's shapes and placement,
// closing and the settings written back, and the lost share.
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "data/office/passwords.h"
#include "data/office/profile.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/main_menu.h"
#include "storage/records/name.h"
#include "tests/shell/ui/workstation_test.h"
#include "toolkit/control_id.h"

class DpWinTest : public WorkstationTest {
  Q_OBJECT

  QString Ini(const char* section, const char* key) {
    auto value = ProfileFind(office->IniPath(), section, key);
    return value ? QString::fromStdString(*value) : QString("(missing)");
  }
  QString Blink(int command) { return win->ToolbarButton(command)->property("blink").toString(); }
  bool Asked(const QString& text) {
    for (const auto& q : prompts->Questions()) {
      if (q.text.contains(text)) return true;
    }
    return false;
  }

 private slots:
  // Only the hooks a test gives: the other windows' commands stay disabled.
  void init() { Begin(false); }
  void cleanup() { End(); }

  // ---- Start-up ----

  void aPersonNotInTheOfficeGetsTheNameErrorAndNothingStarts() {
    QStringList errors;
    hooks.nameError = [&](const std::string& text) {
      errors << QString::fromStdString(text);
      return false;
    };
    WriteWholeFile(office->IniPath(),
                   "[DESKpost]\nPath=" + office->dir.Path() + "\nName=ZACHARY\n");
    QVERIFY(!Open());
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains("ZACHARY"));
  }

  void theFullApplicationHasItsMenuBarAndPicture() {
    QVERIFY(Start("InitMode=0"));
    QVERIFY(!win->Floating());
    QCOMPARE(win->windowTitle(), QString("DESKpost for BOB"));  // not DPDESK.INI
    QCOMPARE(win->menuBar()->objectName(), QString("MENU_1"));
    QVERIFY(win->findChild<QWidget*>("FULLTOOLBAR") != nullptr);
    for (int id : {kCmdHelp, kCmdTake, kCmdView, kCmdPhoneList, kCmdScheduler, kCmdTodo,
                   kCmdToolbar, kCmdExit}) {
      QAbstractButton* button = win->ToolbarButton(id);
      QVERIFY2(button != nullptr, qPrintable(QString::number(id)));
      QCOMPARE(button->size(), QSize(40, 40));
      QVERIFY(!button->toolTip().isEmpty());
    }
    // Every command of the menu is there by its id; those whose windows
    // are not built yet are offered but disabled.
    for (int id :
         {617, 206, 636, 637, 217, 600, 601, 602, 620, 621, 614, 615, 616, 603, 604, 605, 606,
          638, 639, 628, 253, 607, 608, 609, 251, 252, 254, 255, 611, 612, 613, 610, 201, 618}) {
      QVERIFY2(FindCommand(win->menuBar(), id) != nullptr, qPrintable(QString::number(id)));
    }
    for (int id : {251, 252, 253, 254, 255, 600, 603, 610, 614, 617}) {
      QVERIFY2(!FindCommand(win->menuBar(), id)->isEnabled(), qPrintable(QString::number(id)));
    }
    QVERIFY(!win->ToolbarButton(kCmdTake)->isEnabled());
    QVERIFY(win->ToolbarButton(kCmdExit)->isEnabled());
    QVERIFY(FindCommand(win->menuBar(), kCmdAbout)->isEnabled());
    // The toolbar button switches to the floating toolbar and back.
    QTest::mouseClick(win->ToolbarButton(kCmdToolbar), Qt::LeftButton);
    QVERIFY(win->Floating());
    QVERIFY(!win->menuBar()->isVisible());
    QTest::mouseClick(win->ToolbarButton(kCmdFull), Qt::LeftButton);
    QVERIFY(!win->Floating());
    QVERIFY(win->menuBar()->isVisible());
    QCOMPARE(win->windowTitle(), QString("DESKpost for BOB"));
    QVERIFY(win->isMaximized());  // as it was before
  }

  void aWindowOrPasswordEntryGivenByItsHookIsOfferedAndGoesToIt() {
    std::vector<int> opened;
    hooks.windows[kCmdScheduler] = [&] { opened.push_back(kCmdScheduler); };
    hooks.password = [&](QWidget*, int id) { opened.push_back(id); };
    hooks.masterPasswordSet = [] { return true; };
    QVERIFY(Start("InitMode=0"));
    QVERIFY(win->ToolbarButton(kCmdScheduler)->isEnabled());
    QTest::mouseClick(win->ToolbarButton(kCmdScheduler), Qt::LeftButton);
    FindCommand(win->menuBar(), kCmdPasswordUser)->trigger();
    QCOMPARE(opened, (std::vector<int>{kCmdScheduler, kCmdPasswordUser}));
  }

  void theMenusOwnCommandsAnswerThemselves() {
    QVERIFY(Start("InitMode=0"));
    FindCommand(win->menuBar(), kCmdCompanionPager)->trigger();
    QCOMPARE(prompts->Questions().size(), size_t(1));
    QCOMPARE(prompts->Questions()[0].kind, QString("Inform"));
    QVERIFY(prompts->Questions()[0].text.contains("available separately"));
    win->Command(kCmdAbout);
    QVERIFY(Asked("DESKpost version"));
    QVERIFY(Asked(QString::fromStdString(office->dir.Path())));
    // Ctrl+S on the main window itself beeps.
    win->Command(kCmdSave);
    QCOMPARE(sound.beeps, 1);
  }

  void thePasswordPopupOffersPhoneAndUserOnlyWithAMasterPassword() {
    // A master password set by the master dialog shows in the popup at
    // once, for a screen reader reading the menu without opening it.
    hooks.password = [](QWidget*, int) { WriteMasterPassword("secret", true); };
    QVERIFY(Start("InitMode=0"));
    auto* popup = win->menuBar()->findChild<QMenu*>("Password");
    QVERIFY(popup != nullptr);
    QVERIFY(!FindCommand(popup, kCmdPasswordPhone)->isEnabled());
    emit popup->aboutToShow();
    QVERIFY(FindCommand(popup, kCmdPasswordMaster)->isEnabled());
    QVERIFY(!FindCommand(popup, kCmdPasswordPhone)->isEnabled());
    QVERIFY(!FindCommand(popup, kCmdPasswordUser)->isEnabled());
    win->Command(kCmdPasswordMaster);
    QVERIFY(FindCommand(popup, kCmdPasswordPhone)->isEnabled());
    QVERIFY(FindCommand(popup, kCmdPasswordUser)->isEnabled());
    // Set behind the program's back, it shows when the popup opens.
    QCOMPARE(WriteMasterPassword("", false), 1);
    emit popup->aboutToShow();
    QVERIFY(!FindCommand(popup, kCmdPasswordPhone)->isEnabled());
  }

  void runSetupAsksThenClosesAndStartsSetupWithTheIniFile() {
    std::vector<std::string> started;
    hooks.runSetup = [&](const std::string& ini) { started.push_back(ini); };
    QVERIFY(Start("InitMode=0"));
    prompts->Answer(false);
    win->Command(kCmdRunSetup);
    QVERIFY(started.empty());
    QCOMPARE(win->ExitCode(), -1);
    prompts->Answer(true);
    win->Command(kCmdRunSetup);
    QVERIFY(Asked("This will close DESKpost and run the Setup program, continue?"));
    QCOMPARE(win->ExitCode(), 0);
    QCOMPARE(started, std::vector<std::string>{office->IniPath()});
  }

  // ---- Polling as the window runs it ----

  // DPDESK.CFG's POLLTIME and the workstation's PollTime, as the window
  // polls by them (workstation_settings_test has the rules themselves).
  void thePollIntervalComesFromTheOfficeFileAndTheWorkstation() {
    struct {
      const char *cfg, *keys;
      int ticks;  // to the first poll, 0 for none
    } const cases[] = {{"POLLTIME=0\n", "", 0}, {"POLLTIME=0\n", "PollTime=4", 2}};
    for (const auto& c : cases) {
      if (*c.cfg) WriteWholeFile(office->dir.File("DPDESK.CFG"), c.cfg);
      ::unlink(office->FlagPath("BOB").c_str());
      QVERIFY(Start(c.keys));
      office->SetFlagValue("BOB", kFlagNewMessage);
      Tick(c.ticks ? c.ticks - 1 : 40);
      QVERIFY2(win->Alerts().Level() == 0, c.keys);
      Tick();
      QVERIFY2(win->Alerts().Level() == (c.ticks ? 1 : 0), c.cfg);
    }
  }

  // ---- The alert ----

  void aMessageAlertPlaysItsSoundOnceAndWithoutOneBeepsThreeTimes() {
    office->SetFlagValue("BOB", kFlagNewMessage);
    QVERIFY(Start("PollTime=2", "[Sounds]\nMessage=/usr/share/sounds/message.wav\n"));
    Tick(10);
    QCOMPARE(sound.played, std::vector<std::string>{"/usr/share/sounds/message.wav"});
    QCOMPARE(sound.beeps, 0);
    // The urgent alert has no sound file on this workstation: it beeps.
    office->SetFlagValue("BOB", kFlagNewMessage | kFlagUrgentMessage);
    Tick(10);
    QCOMPARE(win->Alerts().Level(), 3);
    QCOMPARE(sound.exclamations, 3);
    QCOMPARE(win->IconName(), QString("ICON_7"));
    QCOMPARE(win->ToolbarButton(kCmdView)->property("urgentPicture").toBool(), true);
    QVERIFY(Blink(kCmdView) == "red" || Blink(kCmdView).isEmpty());
    // The user has looked: the alert ends and the window is plain again.
    ::unlink(office->FlagPath("BOB").c_str());
    Tick(4);
    QCOMPARE(win->Alerts().Level(), 0);
    QCOMPARE(win->IconName(), QString("ICON_1"));
    QCOMPARE(Blink(kCmdView), QString());
    QCOMPARE(win->Timer().interval(), 2000);
  }

  void twoUrgentMessagesKeepTheUrgentAlertAfterViewTakesTheFirst() {
    QVERIFY(office->SendMemo("ANNE", "BOB", "first urgent", true));
    QVERIFY(office->SendMemo("ANNE", "BOB", "second urgent", true));
    std::vector<MessageEntry> opened;
    hooks.openMessage = [&](const MessageEntry& entry) {
      opened.push_back(entry);
      // The view window stamps the message as seen.
      MessageTable handle;
      MessageRecord record;
      QVERIFY(MsgOpen(handle));
      QVERIFY(MsgMarkViewed(handle, entry, &record));
      MsgClose(handle);
    };
    QVERIFY(Start(""));
    QCOMPARE(win->Alerts().Level(), 2);
    // View is offered while an urgent message waits, since it can open it.
    QVERIFY(win->ToolbarButton(kCmdView)->isEnabled());
    QTest::mouseClick(win->ToolbarButton(kCmdView), Qt::LeftButton);
    QCOMPARE(opened.size(), size_t(1));
    QVERIFY(win->Alerts().Level() >= 2);
    QCOMPARE(win->IconName(), QString("ICON_7"));

    win->Command(kCmdView);
    QCOMPARE(opened.size(), size_t(2));
    QVERIFY(opened[0].Number() != opened[1].Number());
    // Urgent messages raise bit 2 alone: with both seen nothing is left.
    QCOMPARE(win->Alerts().Level(), 0);
    QCOMPARE(win->IconName(), QString("ICON_1"));
  }

  // ---- The floating toolbar ----

  void initXBeyondTheScreenPutsTheToolbarAtTheRightEdge() {
    QVERIFY(Start("InitMode=1\nFloat=1\nInitX=9000\nInitY=9000"));
    const QRect screen = win->screen()->geometry();
    QVERIFY(win->Floating());
    QCOMPARE(win->centralWidget()->objectName(), QString("HFLOATTOOLBAR"));
    QCOMPARE(win->size(), QSize(240, 40));
    QCOMPARE(win->pos(), QPoint(screen.width() - 240, 0));
    QCOMPARE(win->windowTitle(), QString("BOB"));
  }

  void theSquareToolbarWithOneItemIsOneColumnNarrowerAndOneRowLower() {
    QVERIFY(Start("InitMode=1\nFloat=0"));
    QCOMPARE(win->centralWidget()->objectName(), QString("FLOATTOOLBAR"));
    const QSize five = win->size();
    win->Command(kCmdFull);
    QVERIFY(!win->Floating());
    for (int item : {623, 624, 625, 626}) win->Command(item);  // hide all but Take
    win->Command(kCmdToolbar);
    QVERIFY(win->Floating());
    QCOMPARE(win->size(), QSize(five.width() - 40, five.height() - 40));
    QVERIFY(win->ToolbarButton(kCmdTake) != nullptr);
    QVERIFY(win->ToolbarButton(kCmdView) == nullptr);
    QCOMPARE(win->ToolbarButton(kCmdTake)->property("resourceId").toInt(), 400);
  }

  void aChangeOfShapeWhileMinimisedTakesEffectOnRestore() {
    QVERIFY(Start("InitMode=1\nFloat=1"));
    win->showMinimized();
    QVERIFY(win->isMinimized());
    win->Command(kMenuVertical);
    QVERIFY(win->RebuildDeferred());
    QCOMPARE(win->centralWidget()->objectName(), QString("HFLOATTOOLBAR"));
    win->showNormal();
    QTRY_COMPARE(win->centralWidget()->objectName(), QString("VFLOATTOOLBAR"));
    QCOMPARE(win->size(), QSize(40, 240));
    QVERIFY(!win->RebuildDeferred());
  }

  void theSystemMenuShowsTheSettingsAndChangesThem() {
    QVERIFY(Start("InitMode=1\nFloat=2\nAlwaysOnTop=1", "[ToolBar]\nTodoButton=0\n"));
    std::unique_ptr<QMenu> menu(win->BuildSystemMenu(nullptr));
    QVERIFY(FindCommand(menu.get(), kMenuAlwaysOnTop)->isChecked());
    QVERIFY(FindCommand(menu.get(), kMenuVertical)->isChecked());
    QVERIFY(!FindCommand(menu.get(), kMenuSquare)->isChecked());
    QVERIFY(FindCommand(menu.get(), 622)->isChecked());
    QVERIFY(!FindCommand(menu.get(), 626)->isChecked());
    QVERIFY(win->windowFlags() & Qt::WindowStaysOnTopHint);
    FindCommand(menu.get(), kMenuAlwaysOnTop)->trigger();
    QVERIFY(!win->Settings().alwaysOnTop);
    QVERIFY(!(win->windowFlags() & Qt::WindowStaysOnTopHint));
    FindCommand(menu.get(), kMenuSquare)->trigger();
    QCOMPARE(win->centralWidget()->objectName(), QString("FLOATTOOLBAR"));
  }

  // ---- Closing ----

  void closingIsRefusedWithABeepWhileAModalDialogIsUpOrByAnUnsentTakeWindow() {
    bool mayClose = false;
    hooks.takeMayClose = [&] { return mayClose; };
    QVERIFY(Start(""));
    QDialog dialog(win.get());
    dialog.setModal(true);
    dialog.show();
    QVERIFY(!win->close());
    QCOMPARE(sound.beeps, 1);
    QCOMPARE(win->ExitCode(), -1);
    dialog.hide();
    QVERIFY(!win->close());
    QCOMPARE(sound.beeps, 1);
    mayClose = true;
    QSignalSpy finished(win.get(), &DpWin::finished);
    QVERIFY(win->close());
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toInt(), 0);
  }

  void closingWritesTheKeysBack() {
    QVERIFY(
        Start("InitMode=1\nFloat=1\nInitX=100\nInitY=50\n; the administrator's note\n"
              "NameDelete=0"));
    QVERIFY(!NameDeleteAllowed());  // the workstation's right reaches the name picker
    win->move(300, 200);
    win->Command(kMenuAlwaysOnTop);
    win->Command(kMenuSquare);
    win->Command(624);  // hide the phone list item
    QVERIFY(win->close());
    QStringList written;
    for (const char* key : {"InitX", "InitY", "Float", "AlwaysOnTop", "NameDelete"})
      written << Ini("DESKpost", key);
    written << Ini("ToolBar", "PhoneListButton") << Ini("ToolBar", "TakeButton");
    QCOMPARE(written, QStringList({"300", "200", "0", "1", "0", "0", "1"}));
    QVERIFY(ReadWholeFile(office->IniPath()).find("; the administrator's note") !=
            std::string::npos);
  }

  void theFullWindowsPlacementIsWrittenToMainWnd() {
    QVERIFY(Start("InitMode=1"));
    win->Command(kCmdFull);
    win->showNormal();
    win->setGeometry(20, 30, 600, 400);
    QVERIFY(win->close());
    QCOMPARE(Ini("DESKpost", "MainWnd"), QString("0,20,30,620,430,0"));
  }

  // ---- The lost share ----

  void aLostShareWarnsWritesTheSettingsAndEndsWithExitCode1() {
    QVERIFY(Start("PollTime=2\nInitX=10\nInitY=20"));
    QSignalSpy finished(win.get(), &DpWin::finished);
    // The flag file can no longer be examined: its name now loops back on
    // itself, which the file system answers with an error that is not
    // "no such file" (tests run as root, so permissions would not stop it).
    const std::string flag = office->FlagPath("BOB");
    QCOMPARE(::symlink(flag.c_str(), flag.c_str()), 0);
    win->move(500, 60);
    Tick();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished[0][0].toInt(), 1);
    QCOMPARE(win->ExitCode(), 1);
    QVERIFY(Asked("Warning: You have lost your network connection"));
    QCOMPARE(Ini("DESKpost", "InitX"), QString("500"));
    QVERIFY(!win->isVisible());
    Tick(10);  // nothing more happens
    QCOMPARE(finished.size(), 1);
  }
};

QTEST_MAIN(DpWinTest)
#include "dpwin_test.moc"
