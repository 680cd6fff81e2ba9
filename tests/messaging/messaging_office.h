// A real office for the messaging windows' tests: every catalogue table made
// by the engine in a temporary directory with the DP.EXE marker, the people
// RECEPTION, ANNE, BOB and CAROL and the group "*SALES" (ANNE and BOB), and
// RECEPTION started as this workstation's user. Boxes of the data layer and
// of the windows go to one ScriptedPrompts; the messaging dialogs and the
// name windows open through a script of steps (MessagingScript).
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "data/messages/dpfolder.h"
#include "data/messages/dpmess.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/startup_prompts.h"
#include "messaging/dialog_runner.h"
#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/name.h"
#include "tests/support/temp_dir.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/data_prompts.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/scripted_prompts.h"

class MessagingOffice {
 public:
  // Options of the user's own name record, set before start-up.
  struct Options {
    std::string initials = "RC";
    uint8_t defaultKind = 0;
    uint8_t fromSearch = 0;
    uint8_t sendLog = 0;
    // The name of a personal folder of the user to make the default folder.
    std::string defaultFolder;
  };

  MessagingOffice() : MessagingOffice(Options()) {}
  explicit MessagingOffice(const Options& options) {
    // The data layer's boxes (its errors, the lock time-out question) go
    // through the window prompts, so the script sees them.
    SetPrompts(&dataPrompts);
    SetCheckHandler([this](const char* module, unsigned line) {
      checks.push_back(std::string(module) + ":" + std::to_string(line));
    });
    const TableDef* const* tables = CatalogueTables();
    for (int i = 0; i < kCatalogueSize; ++i) {
      Table t(*tables[i]);
      made = made && DbCreateTable(t, dir.Path(), tables[i]->version) == 1;
    }
    std::ofstream(dir.File("DP.EXE")) << "DESKpost data directory\n";
    AsOtherWorkstation([&] {
      NameTable names;
      if (!NameOpen(names)) return made = false;
      for (const char* name : {"RECEPTION", "ANNE", "BOB", "CAROL", "*SALES"}) {
        NameEntry entry;
        made = made && NameAdd(names, name) && NameFind(names, name, &entry);
        if (made) numbers[name] = entry.Number();
      }
      NameClose(names);
      NameRecord sales;
      made = made && NameLookup("*SALES", &sales) &&
             SetGroupMembers(sales, {numbers["ANNE"], numbers["BOB"]}) && NameUpdate(sales);
      NameRecord me;
      made = made && NameLookup("RECEPTION", &me);
      SetFieldText(me.bytes, records::name::kInitials, options.initials.c_str());
      SetFieldByte(me.bytes, records::name::kDefaultKind, options.defaultKind);
      SetFieldByte(me.bytes, records::name::kFromSearch, options.fromSearch);
      SetFieldByte(me.bytes, records::name::kSendLog, options.sendLog);
      if (!options.defaultFolder.empty()) {
        const int32_t folder = AddFolder(options.defaultFolder, numbers["RECEPTION"]);
        SetFieldI32(me.bytes, records::name::kDefaultFolder, folder);
      }
      made = made && NameUpdate(me);
      return made;
    });
    made = made && StartUser(dir.Path(), "RECEPTION") == 1;
    if (!made) qWarning("office not made: %s", FormatAppError().c_str());
  }
  ~MessagingOffice() {
    if (CurrentUser().started) StopUser();
    SetCheckHandler(nullptr);
    SetPrompts(nullptr);
  }

  template <typename Work>
  bool AsOtherWorkstation(Work work) {
    SetDataDirectory(dir.Path());
    DbSetErrorReporter(TranslateEngineError);
    const bool ok = work();
    SetDataDirectory("");
    DbSetErrorReporter(nullptr);
    ClearAppError();
    return ok;
  }

  // Adds a folder (the data directory must be set) and answers its number.
  static int32_t AddFolder(const std::string& name, int32_t owner) {
    FolderTable folders;
    if (!FolderOpen(folders)) return 0;
    FolderRecord record = MakeFolderRecord(name, owner);
    FolderEntry existing;
    int32_t number = 0;
    if (FolderFind(folders, owner, name, &existing)) {
      number = existing.Number();
    } else if (FolderAdd(folders, record)) {
      number = record.Number();
    }
    FolderClose(folders);
    return number;
  }
  // The folders of an owner, in name order.
  static std::vector<std::string> Folders(int32_t owner) {
    std::vector<std::string> names;
    FolderTable folders;
    if (!FolderOpen(folders)) return names;
    FolderEntry entry;
    for (int ok = FolderFirst(folders, &entry); ok; ok = FolderNext(folders, &entry))
      if (entry.Owner() == owner) names.push_back(entry.Name());
    FolderClose(folders);
    ClearAppError();
    return names;
  }
  // Every message stored, in the order of "MESSAGE" X1.
  static std::vector<MessageRecord> Messages() {
    std::vector<MessageRecord> all;
    MessageTable messages;
    if (!MsgOpen(messages)) return all;
    DbSetCurrentIndex(messages.table, 0);
    for (int ok = DbFirst(messages.table); ok && DbPositionState(messages.table) != kPosEnd;
         ok = DbNext(messages.table)) {
      MessageRecord r;
      if (MsgRead(messages, DbCurrentRecord(messages.table), &r)) all.push_back(r);
    }
    MsgClose(messages);
    return all;
  }

  ScriptedPrompts prompts;
  WindowDataPrompts dataPrompts;
  TempDir dir;
  bool made = true;
  std::map<std::string, int32_t> numbers;
  std::vector<std::string> checks;
};

// Opens every messaging dialog and name window modeless and runs the next
// scripted step on it (a step presses its buttons by control id); with no
// step left the dialog is cancelled. Records each dialog's caption.
class MessagingScript {
 public:
  using Step = std::function<void(TBaseDialog&)>;

  MessagingScript() {
    auto runner = [this](TBaseDialog& d) {
      d.OpenModeless();
      opened.push_back(d.windowTitle());
      if (steps.empty()) {
        d.CloseWith(0);
      } else {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
        if (d.IsOpen()) d.CloseWith(0);
      }
      return d.Result();
    };
    SetMessagingDialogRunner(runner);
    SetNameDialogRunner(runner);
  }
  ~MessagingScript() {
    SetMessagingDialogRunner(nullptr);
    SetNameDialogRunner(nullptr);
  }

  void Then(Step step) { steps.push_back(std::move(step)); }
  void Cancel() {
    Then([](TBaseDialog& d) { Press(d, kIdCancel); });
  }

  static void Press(QWidget& d, int id) {
    auto* b = FindControlAs<QAbstractButton>(&d, id);
    QVERIFY2(b, qPrintable(QString("no button %1").arg(id)));
    QVERIFY2(b->isEnabled(), qPrintable(QString("button %1 disabled").arg(id)));
    QTest::mouseClick(b, Qt::LeftButton);
  }
  // Replaces a line edit's text as the user does.
  static void Type(QWidget& d, int id, const QString& text) {
    auto* e = FindControlAs<QLineEdit>(&d, id);
    QVERIFY2(e, qPrintable(QString("no field %1").arg(id)));
    e->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(e, Qt::Key_Delete);
    } else {
      QTest::keyClicks(e, text);
    }
  }

  std::deque<Step> steps;
  std::vector<QString> opened;
};

// The questions the prompts were asked, as "caption|text".
inline QStringList Asked(const ScriptedPrompts& prompts) {
  QStringList asked;
  for (const auto& q : prompts.Questions()) asked << q.caption + "|" + q.text;
  return asked;
}
