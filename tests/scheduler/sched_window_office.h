// A real office for the scheduler and to-do windows' tests: every catalogue
// table made by the engine in a temporary data directory with its marker,
// the people ANNE, BOB and CAROL, a workstation INI file, the signed-in
// user started for real, New York's time zone, a clock the test sets, and
// the dialogs the windows open driven from a queue of scripted steps
// instead of a modal loop.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpmess.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/flags.h"
#include "data/office/passwords.h"
#include "data/office/startup_prompts.h"
#include "data/schedule/dpsched.h"
#include "data/schedule/sched_alarm.h"
#include "scheduler/sched_dialogs.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "tests/support/temp_dir.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/data_prompts.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/names/search_field.h"

// Sets TZ for the life of the object and puts the old value back.
class TestZone {
 public:
  explicit TestZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TestZone() {
    if (old_) {
      setenv("TZ", old_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

class SchedOffice {
 public:
  SchedOffice() {
    const TableDef* const* tables = CatalogueTables();
    for (int i = 0; i < kCatalogueSize; ++i) {
      Table t(*tables[i]);
      ok = ok && DbCreateTable(t, dir.Path(), tables[i]->version) == 1;
    }
    std::ofstream(dir.File("DP.EXE")) << "DESKpost data directory\n";
    SetClock([this] { return now; });
    StandOn(2027, 3, 15, 9, 0);  // a Monday
    ok = ok && SignIn("ANNE");
    for (const char* name : {"BOB", "CAROL"}) {
      NameTable names;
      NameEntry entry;
      ok = ok && NameOpen(names) && NameAdd(names, name) && NameFind(names, name, &entry);
      if (names.open) NameClose(names);
      numbers[name] = entry.Number();
    }
    SetPrompts(&dataPrompts);
    DbClearError();
    ClearAppError();
  }
  ~SchedOffice() {
    SetPrompts(nullptr);
    if (CurrentUser().started) StopUser();
    SetClock(nullptr);
    CurrentAlarm() = AlarmState();
  }

  // Starts the person's workstation (ANNE's is added to the office first).
  bool SignIn(const std::string& name) {
    if (CurrentUser().started) StopUser();
    if (name == "ANNE" && numbers.count(name) == 0) {
      SetDataDirectory(dir.Path());
      DbSetErrorReporter(TranslateEngineError);
      NameTable names;
      NameEntry entry;
      const bool added = NameOpen(names) && NameAdd(names, name) && NameFind(names, name, &entry);
      if (names.open) NameClose(names);
      if (!added) return false;
      numbers[name] = entry.Number();
      SetDataDirectory("");
    }
    WriteIni(iniLines);
    return StartUser(dir.Path(), name, Ini()) == 1;
  }

  void StandOn(int year, int month, int day, int hour, int minute = 0) {
    now = FromLocal(year, month, day, hour, minute);
  }
  static int32_t At(int year, int month, int day, int hour = 0, int minute = 0) {
    return FromLocal(year, month, day, hour, minute);
  }

  std::string Ini() const { return config.File("DPDESK.INI"); }
  void WriteIni(const std::string& lines) {
    iniLines = lines;
    std::ofstream(Ini(), std::ios::trunc) << "[DESKpost]\nPath=" << dir.Path() << "\n" << lines;
  }

  int Flag(const std::string& name) {
    return GetFlagValue(FlagFilePath(dir.Path(), numbers[name]));
  }
  // The memo texts in the person's in-box.
  std::vector<std::string> MemosTo(const std::string& name) {
    namespace msg = records::message;
    std::vector<std::string> out;
    Table t(kMessageTable);
    int32_t count = 0;
    if (!DbOpenTable(t, dir.Path()) || !DbRecordCount(t, &count)) return out;
    for (int32_t i = 0; i < count; ++i) {
      MessageRecord r;
      if (DbReadRecord(t, i, r.bytes) && r.To() == name && r.Kind() == msg::kKindMemo)
        out.push_back(FieldText(r.bytes, msg::kMemoText));
    }
    DbClearError();
    ClearAppError();
    DbCloseTable(t);
    return out;
  }

  // The descriptions of the owner's entries on a day, in key order.
  std::vector<std::string> Day(int32_t owner, int32_t day) {
    std::vector<std::string> out;
    SchedTable handle;
    if (!SchedOpen(handle)) return out;
    SchedKey key;
    if (SchedFindFirst(handle, day, owner, &key)) {
      do {
        if (key.Owner() != owner || DayOf(key.Start()) != DayOf(day)) break;
        SchedRecord r;
        if (SchedRead(handle, key.RecordNumber(), &r)) out.push_back(r.Description());
      } while (SchedNext(handle, &key));
    }
    SchedClose(handle);
    ClearAppError();
    DbClearError();
    return out;
  }
  int32_t Add(SchedRecord r) {
    SchedTable handle;
    int32_t number = -1;
    if (SchedOpen(handle)) {
      SchedAdd(handle, r, &number);
      SchedClose(handle);
    }
    return number;
  }
  static SchedRecord Entry(int32_t owner, int32_t start, const std::string& text, int32_t end = 0,
                           int32_t alarm = 0) {
    SchedRecord r;
    r.SetOwner(owner);
    r.SetStart(start);
    r.SetEnd(end);
    r.SetAlarm(alarm);
    r.SetDescription(text);
    return r;
  }

  TestZone zone{"America/New_York"};
  WindowDataPrompts dataPrompts;
  TempDir dir;
  TempDir config;
  std::map<std::string, int32_t> numbers;
  std::string iniLines;
  int32_t now = 0;
  bool ok = true;
};

// Answers every dialog a window opens (the scheduler's own through their
// runner, the name picker through the name dialogs' runner) from a queue of
// steps, each driving the dialog by its control ids while it is open
// modeless; a dialog with no step left is cancelled.
class DialogSteps {
 public:
  using Step = std::function<void(TBaseDialog&)>;

  DialogSteps() {
    auto run = [this](TBaseDialog& d) {
      d.OpenModeless();
      opened.push_back(d.windowTitle());
      if (steps.empty()) {
        d.CloseWith(0);
      } else {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
        if (d.IsOpen()) {
          stillOpen.push_back(d.windowTitle());
          d.CloseWith(0);
        }
      }
      return d.Result();
    };
    SetSchedDialogRunner(run);
    SetNameDialogRunner(run);
  }
  ~DialogSteps() {
    SetSchedDialogRunner(nullptr);
    SetNameDialogRunner(nullptr);
  }

  void Then(Step step) { steps.push_back(std::move(step)); }

  // The name picker: the name typed into its search field, then OK.
  void PickName(const QString& name) {
    Then([name](TBaseDialog& d) {
      auto* search = FindControlAs<QLineEdit>(&d, NamePickerDialog::kIdSearch);
      search->selectAll();
      QTest::keyClicks(search, name);
      Press(d, kIdOk);
    });
  }

  static void Type(QWidget& d, int id, const QString& text) {
    auto* edit = FindControlAs<QLineEdit>(&d, id);
    QVERIFY2(edit, qPrintable(QString("no field %1").arg(id)));
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(edit, Qt::Key_Delete);
    } else {
      QTest::keyClicks(edit, text);
    }
    // Leaving the field normalises what was typed.
    edit->clearFocus();
  }
  static void Press(QWidget& d, int id) {
    auto* button = qobject_cast<QAbstractButton*>(FindControl(&d, id));
    QVERIFY2(button, qPrintable(QString("no button %1").arg(id)));
    // A check box or radio button answers a click on its mark or its text,
    // not anywhere in the row the form gave it.
    const bool marked = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      marked ? QPoint(6, button->height() / 2) : QPoint());
  }

  std::deque<Step> steps;
  std::vector<QString> opened;
  // Dialogs a step left open (a refused OK): they were cancelled.
  std::vector<QString> stillOpen;
};

// GETPASSWORD answered from a script (nothing: Cancel).
class ScriptedPasswordAnswers : public PasswordPrompt {
 public:
  std::optional<std::string> Ask(const std::string& prompt) override {
    asked.push_back(prompt);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
};
