// "DESKpost Options" on BOB's real main window and office: every field
// saved where it belongs (BOB's name record or the workstation's INI file)
// and shown again on reopening, the apply rules (TAPI, the choosers, the
// preset hours), what the running program does differently at once, and
// the faults: BOB's record removed by another workstation before opening
// and while the dialog is open, a character that cannot be stored.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "data/messages/dpfolder.h"
#include "data/messages/message_user.h"
#include "data/office/dpmain.h"
#include "data/office/flags.h"
#include "data/office/profile.h"
#include "scheduler/day_sched_view.h"
#include "scheduler/scheduler.h"
#include "shell/options.h"
#include "shell/ui/command_ids.h"
#include "tests/shell/ui/workstation_test.h"
#include "tests/support/lock_holder.h"
#include "tests/support/test_rows.h"
#include "toolkit/control_id.h"

namespace nm = records::name;
using D = OptionsDialog;

namespace {

enum class Kind { kCombo, kCheck, kEdit };

// One field of a page, set by the user, and where its value must land:
// a byte or text of BOB's record, or an INI key.
struct FieldCase {
  const char* what;
  int page;
  int id;
  Kind kind;
  int index;         // combo: the choice; check: 1 ticked, 0 not
  const char* text;  // edit: typed text
  Field field;       // in the record, when iniKey is empty
  const char* iniKey;
  int stored;  // the byte or INI number expected
};

// The ">>" choosers: a group stands for the common list or schedule
// (options_test has Everybody and the other names).
struct ChooserCase {
  const char *name, *picked, *phoneList, *schedule;
};
constexpr ChooserCase kChooserCases[] = {{"a person", "ANNE", "ANNE", "ANNE"},
                                         {"a group", "*SALES", "COMMON", "* COMMON"}};

}  // namespace

class OptionsDialogTest : public WorkstationTest {
  Q_OBJECT

  // What the name picker and the folder selection answer.
  NameEntry pickedName;
  FolderRecord pickedFolder;
  int runs = 0;

  void StartBob(const std::string& iniKeys = "") {
    QVERIFY(Start(iniKeys));
    options->choosers.name = [this](QWidget*, NameEntry* chosen) {
      if (pickedName.Name().empty()) return false;
      *chosen = pickedName;
      return true;
    };
    options->choosers.folder = [this](QWidget*, FolderRecord* chosen) {
      if (pickedFolder.Number() == 0) return false;
      *chosen = pickedFolder;
      return true;
    };
  }
  Scheduler& Schedule() { return schedule->Schedule(); }

  // Runs the Options command; the dialog is handed to `work`, which
  // presses OK or Cancel itself.
  void RunOptions(const std::function<void(OptionsDialog&)>& work) {
    options->run = [this, work](OptionsDialog& d) {
      ++runs;
      d.OpenModeless();
      work(d);
      if (d.IsOpen()) d.CloseWith(0);
    };
    win->Command(kCmdOptions);
  }

  template <class W>
  static W* On(OptionsDialog& d, int page, int id) {
    d.ShowPage(page);
    return FindControlAs<W>(d.PageAt(page), id);
  }
  // OK and Cancel; a page's buttons by their page, since two pages share
  // ids.
  static void Press(OptionsDialog& d, int id) { FindControlAs<QPushButton>(&d, id)->click(); }
  static void Press(OptionsDialog& d, int page, int id) { On<QPushButton>(d, page, id)->click(); }
  static void Set(OptionsDialog& d, const FieldCase& c) {
    if (c.kind == Kind::kCombo) {
      On<QComboBox>(d, c.page, c.id)->setCurrentIndex(c.index);
    } else if (c.kind == Kind::kCheck) {
      On<QCheckBox>(d, c.page, c.id)->setChecked(c.index != 0);
    } else {
      QLineEdit* e = On<QLineEdit>(d, c.page, c.id);
      e->selectAll();
      QTest::keyClicks(e, c.text);
    }
  }
  static bool Shows(OptionsDialog& d, const FieldCase& c) {
    if (c.kind == Kind::kCombo) return On<QComboBox>(d, c.page, c.id)->currentIndex() == c.index;
    if (c.kind == Kind::kCheck)
      return On<QCheckBox>(d, c.page, c.id)->isChecked() == (c.index != 0);
    return On<QLineEdit>(d, c.page, c.id)->text() == c.text;
  }

  NameRecord BobsRecord() {
    NameRecord r;
    if (!NameLookup("BOB", &r)) return NameRecord();
    return r;
  }
  int Ini(const char* key, int fallback = -99) {
    return ProfileGetInt(office->IniPath(), "DESKpost", key, fallback);
  }

  static const std::vector<FieldCase>& Fields() {
    constexpr Kind C = Kind::kCombo, X = Kind::kCheck, E = Kind::kEdit;
    constexpr int G = D::kGeneral, M = D::kMessage, P = D::kPhoneList, S = D::kScheduler;
    static const std::vector<FieldCase> cases = {
        {"Sound", G, D::kIdSound, C, 3, "", nm::kSoundRepeat, "", 3},
        {"Notify", G, D::kIdNotify, C, 1, "", nm::kNotify, "", 1},
        {"Initial mode", G, D::kIdInitMode, C, 0, "", {}, "InitMode", 0},
        {"All Caps", G, D::kIdAllCaps, X, 1, "", nm::kAllCaps, "", 1},
        {"Initials", M, D::kIdInitials, E, 0, "BJ", nm::kInitials, "", 0},
        {"Default type", M, D::kIdDefaultType, C, 2, "", nm::kDefaultKind, "", 2},
        {"List order", M, D::kIdListOrder, C, 1, "", nm::kListOrder, "", 1},
        {"Send log", M, D::kIdSendLog, X, 1, "", nm::kSendLog, "", 1},
        {"FROM search", M, D::kIdFromSearch, X, 1, "", nm::kFromSearch, "", 1},
        {"Email from", M, D::kIdEmailFrom, E, 0, "bob@office.example", nm::kEmailFrom, "", 0},
        {"Auto format", M, D::kIdAutoFormat, X, 1, "", nm::kAutoFormat, "", 1},
        {"Modem port", P, D::kIdModemPort, C, 2, "", nm::kModemPort, "", 2},
        {"Modem prefix", P, D::kIdModemPrefix, E, 0, "ATDP", nm::kModemPrefix, "", 0},
        {"Modem suffix", P, D::kIdModemSuffix, E, 0, "W9", nm::kModemSuffix, "", 0},
        // Stored inverted: the box taken away stores 1.
        {"Add 1", P, D::kIdAddOne, X, 0, "", nm::kNoLongDistanceOne, "", 1},
        {"Preset start", S, D::kIdPresetStart, C, 7, "", {}, "PresetStart", 7},
        {"Preset end", S, D::kIdPresetEnd, C, 19, "", {}, "PresetEnd", 19},
        {"Send update", S, D::kIdSendUpdate, X, 0, "", {}, "SchedSendUpdate", 0},
    };
    return cases;
  }

 private slots:
  void init() {
    Begin();
    pickedName = NameEntry();
    pickedFolder = FolderRecord();
    runs = 0;
  }
  void cleanup() { End(); }

  void everyFieldIsStoredWhereItBelongsAndShownAgain() {
    StartBob();
    RunOptions([](OptionsDialog& d) {
      for (const FieldCase& c : Fields()) Set(d, c);
      Press(d, kIdOk);
      QVERIFY(!d.IsOpen());
    });
    QCOMPARE(runs, 1);
    const NameRecord r = BobsRecord();
    for (const FieldCase& c : Fields()) {
      if (*c.iniKey) {
        QVERIFY2(Ini(c.iniKey) == c.stored, c.what);
      } else if (c.kind == Kind::kEdit) {
        QVERIFY2(FieldText(r.bytes, c.field) == c.text, c.what);
      } else {
        QVERIFY2(FieldByte(r.bytes, c.field) == c.stored, c.what);
      }
    }
    QCOMPARE(Ini("UseTAPI"), 0);
    // The running program works by the new settings without a restart.
    const UserState& user = CurrentUser();
    QCOMPARE(int(FieldByte(user.record.bytes, nm::kDefaultKind)), 2);
    QCOMPARE(int(FieldByte(user.record.bytes, nm::kListOrder)), 1);
    QVERIFY(CurrentMessageUser().sendLog);
    QCOMPARE(int(user.dialogOption), 1);
    QVERIFY(PhoneSettings().allCaps);
    QCOMPARE(PhoneSettings().dial.prefix, std::string("ATDP"));
    QCOMPARE(Schedule().Options().presets.first, 7);
    QCOMPARE(Schedule().Options().presets.last, 19);
    QVERIFY(!Schedule().Options().sendUpdate);
    // Notify Off: a new message raises no alert.
    office->SetFlagValue("BOB", kFlagNewMessage);
    for (int i = 0; i < 10; ++i) win->Tick();
    QCOMPARE(win->Alerts().Level(), 0);
    RunOptions([](OptionsDialog& d) {
      for (const FieldCase& c : Fields()) QVERIFY2(Shows(d, c), c.what);
      // On again: the next poll alerts.
      On<QComboBox>(d, D::kGeneral, D::kIdNotify)->setCurrentIndex(0);
      Press(d, kIdOk);
    });
    QCOMPARE(runs, 2);
    for (int i = 0; i < 10; ++i) win->Tick();
    QCOMPARE(win->Alerts().Level(), 1);
  }

  // The preset hours show in the open day view as soon as OK is pressed.
  void theOpenDayViewShowsNewPresetHoursAtOnce() {
    StartBob("UsePresets=1\n");
    QVERIFY(Schedule().Open());
    auto* view = qobject_cast<DaySchedView*>(Schedule().Window());
    QVERIFY(view);
    auto times = [view] {
      QStringList shown;
      for (int i = 0; i < view->List()->topLevelItemCount(); ++i)
        shown << view->List()->topLevelItem(i)->text(0);
      return shown;
    };
    QVERIFY(times().contains("8:00am"));
    QVERIFY(!times().contains("7:00am"));
    RunOptions([](OptionsDialog& d) {
      On<QComboBox>(d, D::kScheduler, D::kIdPresetStart)->setCurrentIndex(7);
      Press(d, kIdOk);
    });
    QVERIFY(times().contains("7:00am"));
    Schedule().Close();
  }

  // A page never shown is not copied back: its settings stay as they were
  // even when another workstation changed them meanwhile.
  void aPageNotShownKeepsItsSettings() {
    StartBob();
    RunOptions([this](OptionsDialog& d) {
      QVERIFY(office->EditPerson("BOB",
                                 [](NameRecord& r) { SetFieldByte(r.bytes, nm::kModemPort, 3); }));
      On<QComboBox>(d, D::kGeneral, D::kIdSound)->setCurrentIndex(6);
      Press(d, kIdOk);
    });
    const NameRecord r = BobsRecord();
    QCOMPARE(int(FieldByte(r.bytes, nm::kSoundRepeat)), 6);
    QCOMPARE(int(FieldByte(r.bytes, nm::kModemPort)), 3);
    // The workstation's keys are all written, with the values they were read as.
    QCOMPARE(Ini("PresetStart"), 8);
  }

  void cancelLeavesEverythingAsItWas() {
    StartBob();
    const NameRecord before = BobsRecord();
    RunOptions([](OptionsDialog& d) {
      for (const FieldCase& c : Fields()) Set(d, c);
      Press(d, kIdCancel);
    });
    QVERIFY(memcmp(BobsRecord().bytes, before.bytes, sizeof before.bytes) == 0);
    for (const char* key :
         {"InitMode", "UseTAPI", "DefaultSchedule", "PresetStart", "PresetEnd", "SchedSendUpdate"})
      QVERIFY2(!ProfileFind(office->IniPath(), "DESKpost", key), key);
  }

  // "TAPI" keeps the stored port and comes back on reopening; a port
  // choice afterwards takes UseTAPI away again.
  void tapiKeepsTheStoredPort() {
    StartBob();
    QVERIFY(
        office->EditPerson("BOB", [](NameRecord& r) { SetFieldByte(r.bytes, nm::kModemPort, 1); }));
    RunOptions([](OptionsDialog& d) {
      QCOMPARE(On<QComboBox>(d, D::kPhoneList, D::kIdModemPort)->currentText(), QString("2"));
      On<QComboBox>(d, D::kPhoneList, D::kIdModemPort)->setCurrentIndex(4);
      Press(d, kIdOk);
    });
    QCOMPARE(Ini("UseTAPI"), 1);
    QCOMPARE(int(FieldByte(BobsRecord().bytes, nm::kModemPort)), 1);
    QVERIFY(PhoneSettings().dial.useTapi);
    RunOptions([](OptionsDialog& d) {
      QCOMPARE(On<QComboBox>(d, D::kPhoneList, D::kIdModemPort)->currentText(), QString("TAPI"));
      On<QComboBox>(d, D::kPhoneList, D::kIdModemPort)->setCurrentIndex(3);
      Press(d, kIdOk);
    });
    QCOMPARE(Ini("UseTAPI"), 0);
    QCOMPARE(int(FieldByte(BobsRecord().bytes, nm::kModemPort)), 3);
    QCOMPARE(PhoneSettings().dial.port, 4);
    QVERIFY(!PhoneSettings().dial.useTapi);
  }

  // The pages show the INI keys of a hand-edited file as read by their
  // rules (options_test has the rules themselves).
  void thePagesShowTheIniKeysAsRead() {
    StartBob("PresetStart=30\nPresetEnd=20\nInitMode=2\nDefaultSchedule=* - ALL");
    RunOptions([&](OptionsDialog& d) {
      auto* start = On<QComboBox>(d, D::kScheduler, D::kIdPresetStart);
      QCOMPARE(start->currentIndex(), 8);
      QCOMPARE(start->itemText(0), QString("12:00am"));
      QCOMPARE(start->itemText(13), QString("1:00pm"));
      QCOMPARE(On<QComboBox>(d, D::kScheduler, D::kIdPresetEnd)->currentIndex(), 20);
      QCOMPARE(On<QComboBox>(d, D::kGeneral, D::kIdInitMode)->currentIndex(), 2);
      QCOMPARE(On<QLineEdit>(d, D::kScheduler, D::kIdDefault)->text(), QString("* COMMON"));
      Press(d, kIdCancel);
    });
  }

  void aStartHourAfterTheEndHourIsRefused() {
    StartBob();
    RunOptions([this](OptionsDialog& d) {
      On<QComboBox>(d, D::kScheduler, D::kIdPresetStart)->setCurrentIndex(18);
      On<QComboBox>(d, D::kScheduler, D::kIdPresetEnd)->setCurrentIndex(9);
      d.ShowPage(D::kGeneral);
      Press(d, kIdOk);
      QVERIFY(d.IsOpen());
      QCOMPARE(d.Tabs()->currentIndex(), int(D::kScheduler));
      QCOMPARE(prompts->Questions().back().text,
               QString("Start time cannot be later than end time."));
      QVERIFY(!ProfileFind(office->IniPath(), "DESKpost", "PresetStart"));
      // Equal hours are a one-hour day.
      On<QComboBox>(d, D::kScheduler, D::kIdPresetEnd)->setCurrentIndex(18);
      Press(d, kIdOk);
      QVERIFY(!d.IsOpen());
    });
    QCOMPARE(Ini("PresetStart"), 18);
    QCOMPARE(Ini("PresetEnd"), 18);
  }

  void theChoosersGiveTheDefaults_data() { AddRows(kChooserCases); }
  void theChoosersGiveTheDefaults() {
    const ChooserCase& c = TestRow(kChooserCases);
    const QString phoneList(c.phoneList), schedule(c.schedule);
    const bool commonList = *c.picked == '*';
    StartBob();
    SetFieldText(pickedName.bytes, records::name::x1::kName, c.picked);
    SetFieldI32(pickedName.bytes, records::name::x1::kNumber, office->numbers["ANNE"]);
    RunOptions([&](OptionsDialog& d) {
      Press(d, D::kPhoneList, D::kIdPhoneListChoose);
      QCOMPARE(On<QLineEdit>(d, D::kPhoneList, D::kIdDefault)->text(), phoneList);
      Press(d, D::kScheduler, D::kIdScheduleChoose);
      QCOMPARE(On<QLineEdit>(d, D::kScheduler, D::kIdDefault)->text(), schedule);
      Press(d, kIdOk);
    });
    const NameRecord r = BobsRecord();
    QCOMPARE(QString::fromStdString(FieldText(r.bytes, nm::kPhoneListName)), phoneList);
    QCOMPARE(FieldI32(r.bytes, nm::kPhoneListNumber), commonList ? 0 : office->numbers["ANNE"]);
    QCOMPARE(QString::fromStdString(
                 ProfileGetString(office->IniPath(), "DESKpost", "DefaultSchedule", "", 19)),
             schedule);
    // At once: the phone list and the scheduler's next opening.
    QCOMPARE(QString::fromStdString(CurrentUser().phoneListOwner), phoneList);
    QCOMPARE(Schedule().Owner().number, commonList ? -1 : office->numbers["ANNE"]);
  }

  void theFolderIsChosenAndAGoneFolderIsCleared() {
    FolderRecord sales = MakeFolderRecord("Sales leads", office->numbers["BOB"]);
    QVERIFY(office->AsOtherWorkstation([&] {
      FolderTable folders;
      bool ok = FolderOpen(folders) && FolderAdd(folders, sales);
      FolderClose(folders);
      return ok;
    }));
    QVERIFY(office->EditPerson(  // a folder that is no more
        "BOB", [](NameRecord& r) { SetFieldI32(r.bytes, nm::kDefaultFolder, 4242); }));
    StartBob();
    // A folder number that names no folder any more is cleared on OK.
    RunOptions([&](OptionsDialog& d) {
      QCOMPARE(On<QLineEdit>(d, D::kMessage, D::kIdFolder)->text(), QString());
      Press(d, kIdOk);
    });
    QCOMPARE(FieldI32(BobsRecord().bytes, nm::kDefaultFolder), 0);
    pickedFolder = sales;
    RunOptions([&](OptionsDialog& d) {
      QCOMPARE(On<QLineEdit>(d, D::kMessage, D::kIdFolder)->text(), QString());
      QVERIFY(On<QLineEdit>(d, D::kMessage, D::kIdFolder)->isReadOnly());
      Press(d, D::kMessage, D::kIdFolderChoose);
      QCOMPARE(On<QLineEdit>(d, D::kMessage, D::kIdFolder)->text(), QString("Sales leads"));
      Press(d, kIdOk);
    });
    QCOMPARE(FieldI32(BobsRecord().bytes, nm::kDefaultFolder), sales.Number());
    QCOMPARE(CurrentUser().defaultFolder, sales.Number());
    RunOptions([&](OptionsDialog& d) {
      QCOMPARE(On<QLineEdit>(d, D::kMessage, D::kIdFolder)->text(), QString("Sales leads"));
      Press(d, kIdCancel);
    });
  }

  // BOB's record removed by another workstation: before opening nothing
  // opens; while the dialog is open OK reports it, writes nothing and
  // stays open.
  void aRecordRemovedElsewhereIsReported() {
    StartBob();
    RunOptions([this](OptionsDialog& d) {
      NameTable names;
      QVERIFY(NameOpen(names));
      QVERIFY(NameRemove(names, "BOB"));
      NameClose(names);
      On<QComboBox>(d, D::kScheduler, D::kIdPresetStart)->setCurrentIndex(5);
      Press(d, kIdOk);
      QVERIFY(d.IsOpen());
      QVERIFY(prompts->Questions().back().text.contains("BOB"));
      QVERIFY(!ProfileFind(office->IniPath(), "DESKpost", "PresetStart"));
      Press(d, kIdCancel);
    });
    QCOMPARE(runs, 1);
    const size_t asked = prompts->Questions().size();
    RunOptions([](OptionsDialog&) { QFAIL("the dialog opened"); });
    QCOMPARE(runs, 1);
    QCOMPARE(prompts->Questions().size(), asked + 1);
    QCOMPARE(prompts->Questions().back().kind, QString("Inform"));
  }

  // Another workstation holds BOB's record (its lock byte, as a dialog
  // editing it does) when OK writes it: the write is refused at once with
  // the reason, the dialog stays open and nothing is written; once the
  // record is free OK goes through.
  void aRecordHeldElsewhereKeepsTheDialogOpen() {
    StartBob();
    NameTable names;
    NameEntry bob;
    QVERIFY(NameOpen(names) && NameFind(names, "BOB", &bob));
    NameClose(names);
    const int64_t lockByte = int64_t(nm::kHeaderSize) +
                             int64_t(bob.RecordNumber()) * nm::kRecordSize + nm::kRecordSize - 1;
    RunOptions([&](OptionsDialog& d) {
      On<QComboBox>(d, D::kGeneral, D::kIdSound)->setCurrentIndex(5);
      {
        LockHolder other(office->dir.File("NAME.DAT"), lockByte);
        QVERIFY(other.Held());
        Press(d, kIdOk);
        QVERIFY(d.IsOpen());
        QCOMPARE(prompts->Questions().size(), size_t(1));
        QCOMPARE(prompts->Questions().back().kind, QString("Inform"));
        QVERIFY(prompts->Questions().back().text.contains("BOB"));
      }
      QCOMPARE(int(FieldByte(BobsRecord().bytes, nm::kSoundRepeat)), 0);
      QVERIFY(!ProfileFind(office->IniPath(), "DESKpost", "PresetStart"));
      Press(d, kIdOk);
      QVERIFY(!d.IsOpen());
    });
    QCOMPARE(int(FieldByte(BobsRecord().bytes, nm::kSoundRepeat)), 5);
  }

  // A character Windows-1252 has no byte for is refused as it is typed,
  // with a notice; the field keeps what it had.
  void aCharacterThatCannotBeStoredIsRefused() {
    StartBob();
    RunOptions([&](OptionsDialog& d) {
      const std::pair<int, int> fields[] = {{D::kMessage, D::kIdInitials},
                                            {D::kMessage, D::kIdEmailFrom},
                                            {D::kPhoneList, D::kIdModemPrefix},
                                            {D::kPhoneList, D::kIdModemSuffix}};
      for (const auto& [page, id] : fields) {
        QLineEdit* e = On<QLineEdit>(d, page, id);
        e->clear();
        QTest::keyClicks(e, "A");
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                      QString::fromUtf8("\u0142"));
        QApplication::sendEvent(e, &key);
        QTest::keyClicks(e, "B");
        QCOMPARE(e->text(), QString("AB"));
        QCOMPARE(prompts->AskedList().back().kind, QString("Flash"));
        QVERIFY(prompts->AskedList().back().text.contains(QString::fromUtf8("\u0142")));
        prompts->Clear();
      }
      Press(d, kIdOk);
    });
  }

  // Every control can be found by a screen reader: a name from its label,
  // or its own caption.
  void everyControlHasAnAccessibleName() {
    StartBob();
    RunOptions([](OptionsDialog& d) {
      QCOMPARE(d.windowTitle(), QString("DESKpost Options"));
      QStringList tabs;
      for (int i = 0; i < d.Tabs()->count(); ++i) tabs << d.Tabs()->tabText(i);
      QCOMPARE(tabs, QStringList({"General", "Message", "PhoneList", "Scheduler"}));
      for (QWidget* w : d.findChildren<QWidget*>()) {
        if (ControlId(w) < 0) continue;
        QString name = w->accessibleName();
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && name.isEmpty()) name = b->text();
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(QString::number(ControlId(w))));
      }
      QCOMPARE(On<QComboBox>(d, D::kScheduler, D::kIdPresetEnd)->accessibleName(), QString("to"));
      QCOMPARE(On<QLineEdit>(d, D::kPhoneList, D::kIdDefault)->accessibleName(),
               QString("Default:"));
      QVERIFY(!On<QCheckBox>(d, D::kGeneral, D::kIdAutoSynch)->isEnabled());
      Press(d, kIdCancel);
    });
  }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
