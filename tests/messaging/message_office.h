// A real office for the messaging windows' tests: every catalogue table made
// by the engine in a temporary directory, a few people, BOB started as the
// workstation's user (his work tables open), the data layer's boxes and the
// window prompts answered from a script, the clock under the test's hand,
// and helpers that send messages as another person would.
#pragma once

#include <QApplication>
#include <QTest>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "data/clock.h"
#include "data/local_time.h"
#include "data/messages/dpmess.h"
#include "data/messages/dpnote.h"
#include "data/messages/message_user.h"
#include "data/office/datadir.h"
#include "data/office/dpmain.h"
#include "data/office/dpname.h"
#include "data/office/startup_prompts.h"
#include "data/table_handle.h"
#include "messaging/dialog_runner.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/lockwait.h"
#include "storage/records/field.h"
#include "storage/records/message.h"
#include "tests/support/temp_dir.h"
#include "toolkit/base_dialog.h"
#include "toolkit/control_id.h"
#include "toolkit/data_prompts.h"
#include "toolkit/names/name_dialog_runner.h"
#include "toolkit/names/name_picker.h"
#include "toolkit/names/search_field.h"
#include "toolkit/scripted_prompts.h"

namespace msgrec = records::message;

class MessageOffice {
 public:
  MessageOffice() {
    const TableDef* const* tables = CatalogueTables();
    for (int i = 0; i < kCatalogueSize; ++i) {
      Table t(*tables[i]);
      DbCreateTable(t, dir.Path(), tables[i]->version);
    }
    std::ofstream(dir.File("DP.EXE")) << "DESKpost data directory\n";
    SetPrompts(&dataPrompts);
    SetDataDirectory(dir.Path());
    DbSetErrorReporter(TranslateEngineError);
    NameTable names;
    NameOpen(names);
    for (const char* name : {"ANNE", "BOB", "CAROL", "DAVE"}) {
      NameEntry entry;
      if (NameAdd(names, name) && NameFind(names, name, &entry)) numbers[name] = entry.Number();
    }
    NameClose(names);
    SetDataDirectory("");
    SetClock([this] { return now; });
    started = StartUser(dir.Path(), "BOB") == 1;
    SetPrompter(nullptr);
  }
  ~MessageOffice() {
    SetMessagingDialogRunner(nullptr);
    if (CurrentUser().started) StopUser();
    CloseDataDirectory();
    SetClock(nullptr);
    SetPrompts(nullptr);
    DbSetErrorReporter(nullptr);
  }

  // A message stored by `from` (as that person's workstation stores it)
  // into `to`'s in-box; answers its stored record.
  MessageRecord Send(uint8_t kind, const std::string& from, const std::string& to,
                     const std::string& text, uint8_t flags = 0, bool keepLog = false,
                     const std::string& company = "") {
    now += 60;
    MessageRecord r;
    SetFieldByte(r.bytes, msgrec::kKind, kind);
    SetFieldText(r.bytes, msgrec::kTo, to.c_str());
    SetFieldText(r.bytes, msgrec::kFrom, from.c_str());
    SetFieldByte(r.bytes, msgrec::kFlags, flags);
    if (kind == msgrec::kKindPhone) {
      SetFieldText(r.bytes, msgrec::kPhoneText, text.c_str());
      SetFieldText(r.bytes, msgrec::kCompany, company.c_str());
    } else {
      SetFieldText(r.bytes, msgrec::kMemoText, text.c_str());
    }
    const MessageUser me = CurrentMessageUser();
    // A From that is nobody's name (a caller) is stored by ANNE's desk.
    const std::string sender = numbers.count(from) ? from : "ANNE";
    SetMessageUser({sender, numbers[sender], keepLog});
    MessageTable handle;
    bool ok = MsgOpen(handle) == 1;
    const int32_t recipient = numbers.count(to) ? numbers[to] : kMailServerNumber;
    ok = ok && MsgSendOne(&handle, r, recipient, keepLog, msgrec::kFolderNew) == 1;
    if (handle.open) MsgClose(handle);
    SetMessageUser(me);
    if (!ok)
      QTest::qFail(qPrintable("send failed: " + QString::number(AppErrorCode())), __FILE__,
                   __LINE__);
    return r;
  }
  MessageRecord Memo(const std::string& from, const std::string& to, const std::string& text,
                     uint8_t flags = 0) {
    return Send(msgrec::kKindMemo, from, to, text, flags);
  }

  // The stored messages of a folder addressed to the name, oldest first.
  std::vector<MessageRecord> Folder(int32_t folder, const std::string& to) {
    std::vector<MessageRecord> out;
    MessageTable handle;
    if (!MsgOpen(handle)) return out;
    Table work("Wt" + std::to_string(numbers["BOB"]), msgrec::list_row::kLength);
    MessageCriteria c;
    c.folder = folder;
    c.person = to;
    if (DbOpenWorkTable(work, dir.Path()) && MsgQuery(handle, c, work)) {
      for (int32_t i = 0; i < work.scratch; ++i) {
        MessageEntry e;
        uint8_t row[msgrec::list_row::kLength];
        DbReadCached(work, i, row);
        std::memcpy(e.bytes, row, sizeof e.bytes);
        MessageRecord r;
        MsgRead(handle, e.RecordNumber(), &r);
        out.push_back(r);
      }
      DbCloseWorkTable(work);
    }
    MsgClose(handle);
    return out;
  }
  MessageRecord Read(const MessageRecord& stored) {
    for (int32_t folder : {1, 3}) {
      for (const MessageRecord& r : Folder(folder, stored.To()))
        if (r.Number() == stored.Number()) return r;
    }
    return MessageRecord();
  }
  // Where the record's lock byte lies in MESSAGE.DAT.
  int64_t LockByteOf(int32_t recordNumber) {
    return msgrec::kHeaderSize + int64_t(recordNumber) * msgrec::kRecordSize + msgrec::kRecordSize -
           1;
  }
  int32_t RecordNumberOf(const MessageRecord& stored) {
    MessageTable handle;
    MsgOpen(handle);
    MessageEntry e;
    int32_t found = -1;
    DbSetCurrentIndex(handle.table, 0);
    if (DbFirst(handle.table)) {
      while (!AtEnd(handle.table)) {
        DbCurrentEntry(handle.table, e.bytes);
        if (e.Number() == stored.Number()) found = e.RecordNumber();
        if (!DbNext(handle.table)) break;
      }
    }
    MsgClose(handle);
    ClearAppError();
    return found;
  }

  TempDir dir;
  WindowDataPrompts dataPrompts;
  std::map<std::string, int32_t> numbers;
  int32_t now = FromLocal(2027, 3, 15, 9, 0);
  bool started = false;
};

// Answers each modal dialog the messaging windows open with the next
// scripted step, which drives it by control id; without a step the dialog
// is closed with 0. Each dialog's caption is remembered.
class MessagingDialogs {
 public:
  using Step = std::function<void(TBaseDialog&)>;
  MessagingDialogs() {
    SetMessagingDialogRunner([this](TBaseDialog& d) {
      d.OpenModeless();
      captions.push_back(d.windowTitle());
      if (steps.empty()) {
        d.CloseWith(0);
      } else {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
        if (d.IsOpen()) d.CloseWith(0);
      }
      return d.Result();
    });
  }
  ~MessagingDialogs() { SetMessagingDialogRunner(nullptr); }
  void Then(Step step) { steps.push_back(std::move(step)); }
  std::deque<Step> steps;
  QStringList captions;
};

// Answers the name picker: each pick types the next name into its search
// field and presses OK; without a name the picker is cancelled.
class NamePicks {
 public:
  NamePicks() {
    SetNameDialogRunner([this](TBaseDialog& d) {
      d.OpenModeless();
      auto* picker = qobject_cast<NamePickerDialog*>(&d);
      if (picker == nullptr || names.empty()) {
        d.CloseWith(0);
        return d.Result();
      }
      const QString name = names.front();
      names.pop_front();
      picker->Search()->selectAll();
      QTest::keyClicks(picker->Search(), name);
      picker->Ok();
      if (d.IsOpen()) d.CloseWith(0);
      return d.Result();
    });
  }
  ~NamePicks() { SetNameDialogRunner(nullptr); }
  std::deque<QString> names;
};
