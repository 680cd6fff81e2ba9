// The main window's phone list commands on BOB's real workstation: which
// commands are offered, the window opened on BOB's default list with the
// kept placement and pane, the workstation's rights and modem devices, and
// the placement written back when the program ends.
#include "shell/ui/phone_list_wiring.h"

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

#include "data/office/profile.h"
#include "data/phone/dpphone.h"
#include "phonelist/phone_entry_points.h"
#include "phonelist/phone_list_window.h"
#include "phonelist/phone_settings.h"
#include "shell/ui/command_ids.h"
#include "shell/ui/main_menu.h"
#include "shell/ui/session.h"
#include "storage/records/name.h"
#include "tests/shell/ui/office_fixture.h"
#include "toolkit/scripted_prompts.h"

class PhoneListWiringTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Office> office;
  std::unique_ptr<ScriptedPrompts> prompts;
  RecordingSound sound;
  std::unique_ptr<PhoneListWiring> wiring;
  std::unique_ptr<Session> session;
  std::unique_ptr<DpWin> win;
  std::string devices[kDialPorts];

  void Open(const std::string& keys) {
    office->WriteIni(keys);
    DpWinHooks hooks;
    wiring = std::make_unique<PhoneListWiring>();
    wiring->AddHooks(hooks);
    session = std::make_unique<Session>(office->IniPath(), hooks);
    QVERIFY(session->Start());
    win = session->OpenWindow(sound);
    wiring->Start(*win, office->IniPath());
    win->Start();
  }

 private slots:
  void init() {
    office = std::make_unique<Office>();
    QVERIFY(office->Make());
    prompts = std::make_unique<ScriptedPrompts>();
    for (int p = 1; p <= kDialPorts; ++p) devices[p - 1] = DialPortDevice(p);
  }
  void cleanup() {
    win.reset();
    wiring.reset();
    session.reset();
    prompts.reset();
    office.reset();
    for (int p = 1; p <= kDialPorts; ++p) SetDialPortDevice(p, devices[p - 1]);
    PhoneSettings() = PhoneListSettings();
    PhoneSetCurrentList(PhoneList());
  }

  void theCommandsOpenTheWindowOnTheUsersDefaultList() {
    QVERIFY(office->AsOtherWorkstation([] {
      NameRecord bob;
      if (!NameLookup("BOB", &bob)) return false;
      SetFieldText(bob.bytes, records::name::kPhoneListName, "ANNE");
      return NameUpdate(bob) == 1;
    }));
    Open("PhoneDelete=0\nCom2Device=/dev/ttyUSB7\nPhoneState=0,40,50,740,470,1");
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
    QCOMPARE(list->geometry().size(), QSize(700, 420));
    // A second View List brings the same window forward.
    win->Command(kCmdPhoneList);
    QCOMPARE(PhoneListWindow(), list);
    list->ShowPane(false);
    list->reject();
    QCOMPARE(win->Settings().windows[kPhoneWindowState]->spare, 0);
  }

  void theProgramsEndWritesThePlacementOfAnOpenWindow() {
    Open("PhoneState=0,40,50,740,470,0");
    win->Command(kCmdPhoneList);
    QVERIFY(PhoneListWindow());
    PhoneListWindow()->ShowPane(true);
    win->close();
    QVERIFY(!PhoneListWindow());
    const auto written = ProfileFind(office->IniPath(), "DESKpost", "PhoneState");
    QVERIFY(written);
    QVERIFY2(QString::fromStdString(*written).endsWith(",1"), written->c_str());
  }
};

QTEST_MAIN(PhoneListWiringTest)
#include "phone_list_wiring_test.moc"
