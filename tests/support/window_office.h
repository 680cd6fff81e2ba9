// A real office for the window tests: every catalogue table made by the
// engine in a temporary data directory with its DP.EXE marker, the people
// asked for, the data layer's boxes going through the window prompts, the
// clock under the test's hand (`now`) and, where asked, a time zone of its
// own. The layer above starts a workstation's user with Start(). The modal
// dialogs a window opens are answered by a DialogQueue of scripted steps.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpfolder.h"
#include "data/messages/dpmess.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/empty_office.h"
#include "data/office/flags.h"
#include "data/office/passwords.h"
#include "data/office/startup_prompts.h"
#include "data/table_handle.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "tests/support/temp_dir.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/data_prompts.h"
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

class WindowOffice {
 public:
  explicit WindowOffice(std::initializer_list<const char*> people, const char* zone = nullptr) {
    if (zone) zone_.emplace(zone);
    now = FromLocal(2027, 3, 15, 9, 0);  // a Monday
    SetClock([this] { return now; });
    SetPrompts(&dataPrompts);
    ok = ok && CreateEmptyOffice(dir.Path());
    AsOtherWorkstation([&] {
      for (const char* name : people) ok = ok && AddName(name) != 0;
      return ok;
    });
  }
  ~WindowOffice() {
    if (CurrentUser().started) StopUser();
    CloseDataDirectory();
    SetClock(nullptr);
    SetPrompts(nullptr);
    DbSetErrorReporter(nullptr);
  }

  // Starts the person as this workstation's user, with an INI file if given.
  bool Start(const std::string& name, const std::string& ini = "") {
    if (CurrentUser().started) StopUser();
    user = name;
    const bool started = StartUser(dir.Path(), name, ini) == 1;
    if (!started) qWarning("%s not started: %s", name.c_str(), FormatAppError().c_str());
    return started;
  }

  // Runs the work with the data directory set as another workstation has it.
  template <typename Work>
  bool AsOtherWorkstation(Work work) {
    SetDataDirectory(dir.Path());
    DbSetErrorReporter(TranslateEngineError);
    const bool done = work();
    SetDataDirectory("");
    DbSetErrorReporter(nullptr);
    ClearAppError();
    return done;
  }
  // Adds a person or group (the data directory must be set); 0 on failure.
  int32_t AddName(const std::string& name) {
    NameTable names;
    NameEntry entry;
    const bool added = NameOpen(names) && NameAdd(names, name) && NameFind(names, name, &entry);
    if (names.open) NameClose(names);
    return added ? numbers[name] = entry.Number() : 0;
  }
  int Flag(const std::string& name) {
    return GetFlagValue(FlagFilePath(dir.Path(), numbers[name]));
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
    for (int found = FolderFirst(folders, &entry); found; found = FolderNext(folders, &entry))
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
    for (int more = DbFirst(messages.table); more && DbPositionState(messages.table) != kPosEnd;
         more = DbNext(messages.table)) {
      MessageRecord r;
      if (MsgRead(messages, DbCurrentRecord(messages.table), &r)) all.push_back(r);
    }
    MsgClose(messages);
    return all;
  }

  // A message stored by `from` (as that person's workstation stores it)
  // into `to`'s in-box a minute later; answers its stored record. A From
  // that is nobody's name (a caller) is stored by ANNE's desk.
  MessageRecord Send(uint8_t kind, const std::string& from, const std::string& to,
                     const std::string& text, uint8_t flags = 0, bool keepLog = false,
                     const std::string& company = "") {
    namespace msg = records::message;
    now += 60;
    MessageRecord r;
    SetFieldByte(r.bytes, msg::kKind, kind);
    SetFieldText(r.bytes, msg::kTo, to.c_str());
    SetFieldText(r.bytes, msg::kFrom, from.c_str());
    SetFieldByte(r.bytes, msg::kFlags, flags);
    SetFieldText(r.bytes, kind == msg::kKindPhone ? msg::kPhoneText : msg::kMemoText, text.c_str());
    if (kind == msg::kKindPhone) SetFieldText(r.bytes, msg::kCompany, company.c_str());
    const MessageUser me = CurrentMessageUser();
    const std::string sender = numbers.count(from) ? from : "ANNE";
    SetMessageUser({sender, numbers[sender], keepLog});
    MessageTable handle;
    bool sent = MsgOpen(handle) == 1;
    const int32_t recipient = numbers.count(to) ? numbers[to] : kMailServerNumber;
    sent = sent && MsgSendOne(&handle, r, recipient, keepLog, msg::kFolderNew) == 1;
    if (handle.open) MsgClose(handle);
    SetMessageUser(me);
    if (!sent)
      QTest::qFail(qPrintable("send failed: " + QString::number(AppErrorCode())), __FILE__,
                   __LINE__);
    return r;
  }
  MessageRecord Memo(const std::string& from, const std::string& to, const std::string& text,
                     uint8_t flags = 0) {
    return Send(records::message::kKindMemo, from, to, text, flags);
  }
  // The stored messages of a folder addressed to the name, oldest first.
  std::vector<MessageRecord> Folder(int32_t folder, const std::string& to) {
    namespace row = records::message::list_row;
    std::vector<MessageRecord> out;
    MessageTable handle;
    if (!MsgOpen(handle)) return out;
    Table work("Wt" + std::to_string(numbers[user]), row::kLength);
    MessageCriteria c;
    c.folder = folder;
    c.person = to;
    if (DbOpenWorkTable(work, dir.Path()) && MsgQuery(handle, c, work)) {
      for (int32_t i = 0; i < work.scratch; ++i) {
        uint8_t bytes[row::kLength];
        DbReadCached(work, i, bytes);
        MessageEntry e;
        std::memcpy(e.bytes, bytes, sizeof e.bytes);
        MessageRecord r;
        MsgRead(handle, e.RecordNumber(), &r);
        out.push_back(r);
      }
      DbCloseWorkTable(work);
    }
    MsgClose(handle);
    return out;
  }
  // The stored message now, from the in-box or the archive (empty if gone).
  MessageRecord Read(const MessageRecord& stored) {
    for (int32_t folder : {1, 3}) {
      for (const MessageRecord& r : Folder(folder, stored.To()))
        if (r.Number() == stored.Number()) return r;
    }
    return MessageRecord();
  }
  // Where the record's lock byte lies in MESSAGE.DAT.
  static int64_t LockByteOf(int32_t recordNumber) {
    namespace msg = records::message;
    return msg::kHeaderSize + int64_t(recordNumber + 1) * msg::kRecordSize - 1;
  }
  static int32_t RecordNumberOf(const MessageRecord& stored) {
    MessageTable handle;
    MsgOpen(handle);
    MessageEntry e;
    int32_t found = -1;
    DbSetCurrentIndex(handle.table, 0);
    for (int more = DbFirst(handle.table); more && !AtEnd(handle.table);
         more = DbNext(handle.table)) {
      DbCurrentEntry(handle.table, e.bytes);
      if (e.Number() == stored.Number()) found = e.RecordNumber();
    }
    MsgClose(handle);
    ClearAppError();
    return found;
  }

 private:
  std::optional<TestZone> zone_;  // first made, so `now` is in its time

 public:
  TempDir dir;
  WindowDataPrompts dataPrompts;
  std::map<std::string, int32_t> numbers;
  std::string user;
  int32_t now = 0;
  bool ok = true;
};

// Answers every modal dialog opened through the runners given (each a
// Set...DialogRunner) from a queue of steps, each driving the dialog by its
// control ids while it is open modeless; a dialog with no step left is
// cancelled. Each dialog's caption is remembered.
class DialogQueue {
 public:
  using Step = std::function<void(TBaseDialog&)>;
  using Runner = std::function<int(TBaseDialog&)>;
  using RunnerSetter = void (*)(Runner);

  explicit DialogQueue(std::initializer_list<RunnerSetter> setters) : setters_(setters) {
    for (RunnerSetter set : setters_) set([this](TBaseDialog& d) { return Run(d); });
  }
  ~DialogQueue() {
    for (RunnerSetter set : setters_) set(nullptr);
  }

  void Then(Step step) { steps.push_back(std::move(step)); }
  void Cancel() {
    Then([](TBaseDialog& d) { Press(d, kIdCancel); });
  }
  // The name picker: the name typed into its search field, then OK.
  void PickName(const QString& name) {
    Then([name](TBaseDialog& d) {
      auto* search = FindControlAs<QLineEdit>(&d, NamePickerDialog::kIdSearch);
      search->selectAll();
      QTest::keyClicks(search, name);
      Press(d, kIdOk);
    });
  }

  // Replaces a line edit's text as the user does; leaving the field
  // normalises what was typed.
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
    edit->clearFocus();
  }
  static void Press(QWidget& d, int id) {
    auto* button = FindControlAs<QAbstractButton>(&d, id);
    QVERIFY2(button, qPrintable(QString("no button %1").arg(id)));
    QVERIFY2(button->isEnabled(), qPrintable(QString("button %1 disabled").arg(id)));
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

 private:
  int Run(TBaseDialog& d) {
    d.OpenModeless();
    opened.push_back(d.windowTitle());
    if (!steps.empty()) {
      Step step = std::move(steps.front());
      steps.pop_front();
      step(d);
      if (d.IsOpen()) stillOpen.push_back(d.windowTitle());
    }
    if (d.IsOpen()) d.CloseWith(0);
    return d.Result();
  }

  std::vector<RunnerSetter> setters_;
};

// Answers password prompts from a script and records each prompt; with no
// answer left it cancels.
class ScriptedPasswords : public PasswordPrompt {
 public:
  void Answer(const std::string& text) { answers.push_back(text); }
  void Cancel() { answers.push_back(std::nullopt); }
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
