#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include "storage/catalogue.h"
#include "storage/check.h"
#include "storage/lockwait.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/stress/stress_plan.h"
#include "tests/support/ledger.h"

namespace {

namespace msg = records::message;
namespace nam = records::name;

struct OwnMessage {
  int32_t record;
  MessageFacts facts;
};

struct OwnName {
  int32_t record;
  std::string name;
  uint32_t number;
};

// A walker does one of its own changes between two steps about this often,
// as a user acting from an open list does.
constexpr int kInterleaveOneIn = 25;
// No walk of these tables can honestly take more steps.
constexpr long kWalkStepLimit = 10'000'000;

class Workstation {
 public:
  Workstation(const StressPlan& plan, int id, int logFd)
      : plan_(plan), id_(id), ledger_(logFd), rng_(plan.seed * 7919u + uint32_t(id)) {}

  int Run(int goFd);

 private:
  int Random(int below) { return int(rng_() % uint32_t(below)); }
  int32_t RandomFolder() { return kStressFolders[Random(kStressFolderCount)]; }

  void AppendMessage();
  void ChangeOwn(bool rekey);
  void DeleteMessage();
  void ViewMessage();
  void AppendName(bool duplicate = false);
  void DeleteName();
  void Walk();
  void WriterWork();
  void MaybeInterleave();

  void WalkAll(int x, bool forward);
  void SkipAll(int x, bool forward);

  // Reads an owned record under its lock and compares it with what this
  // workstation last wrote.
  void VerifyOwn(const OwnMessage& m);
  Entry CurrentEntry(int x);
  bool IsStable(const uint8_t* entry, int x) const;

  [[noreturn]] void Unexpected(const std::string& what);
  [[noreturn]] void Problem(const std::string& what);
  void Finish();

  const StressPlan& plan_;
  int id_;
  Ledger ledger_;
  std::mt19937 rng_;
  Table messages_{kMessageTable};
  Table walker_{kMessageTable};  // a list window's own handle
  Table names_{kNameTable};
  std::vector<OwnMessage> own_;
  std::vector<OwnName> ownNames_;
  int namesMade_ = 0;
  std::vector<Entry> stable_[2];
  std::map<std::string, long> counts_;
};

int Workstation::Run(int goFd) {
  SetCheckHandler([this](const char* module, unsigned line) {
    Problem("check failed: " + std::string(module) + ", line " + std::to_string(line));
  });
  SetLockWaitObserver(
      [this](int32_t ticks, bool granted) { ++counts_[LockWaitBucket(ticks, granted)]; });
  stable_[0] = StableEntries(plan_, 0);
  stable_[1] = StableEntries(plan_, 1);
  if (!DbOpenTable(messages_, plan_.dir)) Unexpected("open MESSAGE");
  if (!DbOpenTable(walker_, plan_.dir)) Unexpected("open MESSAGE for walking");
  if (!DbOpenTable(names_, plan_.dir)) Unexpected("open NAME");
  char go;
  while (read(goFd, &go, 1) > 0) {
  }
  close(goFd);

  // How often each kind of work is chosen, out of 100.
  const std::pair<int, std::function<void()>> mix[] = {
      {26, [this] { AppendMessage(); }}, {10, [this] { ChangeOwn(false); }},
      {16, [this] { ChangeOwn(true); }}, {14, [this] { DeleteMessage(); }},
      {10, [this] { ViewMessage(); }},   {8, [this] { AppendName(); }},
      {2, [this] { AppendName(true); }}, {4, [this] { DeleteName(); }},
      {10, [this] { Walk(); }}};
  for (int op = 0; op < plan_.opsPerProcess; ++op) {
    int pick = Random(100);
    for (const auto& [share, work] : mix)
      if ((pick -= share) < 0) {
        work();
        break;
      }
  }
  Finish();
  ledger_.Line("DONE");
  return 0;
}

void Workstation::Finish() {
  DbCloseTable(messages_);
  DbCloseTable(walker_);
  DbCloseTable(names_);
  for (const auto& [name, count] : counts_)
    ledger_.Line("COUNT " + name + " " + std::to_string(count));
}

void Workstation::Unexpected(const std::string& what) {
  std::string name;
  const int code = DbGetError(&name);
  ledger_.Line("E " + what + ": engine code " + std::to_string(code) + ", index code " +
               std::to_string(IdxGetError()) + ", name " + name);
  Finish();
  _exit(3);
}

void Workstation::Problem(const std::string& what) {
  ledger_.Line("E " + what);
  Finish();
  _exit(3);
}

void Workstation::AppendMessage() {
  uint32_t number = 0;
  if (!GetUniqueNumber(messages_, &number)) Unexpected("GetUniqueNumber of MESSAGE");
  ledger_.Line("UM " + std::to_string(number));
  MessageFacts f;
  f.number = number;
  f.folder = RandomFolder();
  f.to = Random(kRecipientCount);
  f.time = kStressTimeBase + Random(kStressTimeSpan);
  f.owner = id_;
  f.flags = msg::kFlagNotViewed | (Random(8) == 0 ? msg::kFlagUrgent : 0);
  uint8_t record[msg::kRecordSize];
  BuildMessage(f, record);
  int32_t n = -1;
  if (!DbAppendRecord(messages_, record, &n))
    Unexpected("append message " + std::to_string(number));
  ledger_.Line("A " + std::to_string(n) + " " + FactsText(f));
  own_.push_back({n, f});
  ++counts_["message appends"];
}

void Workstation::VerifyOwn(const OwnMessage& m) {
  uint8_t record[msg::kRecordSize];
  if (!DbReadRecord(messages_, m.record, record))
    Unexpected("read own record " + std::to_string(m.record));
  MessageFacts f;
  if (!ReadMessageFacts(record, &f) || FactsText(f) != FactsText(m.facts))
    Problem("own record " + std::to_string(m.record) +
            " is not what was last written: " + FactsText(m.facts));
}

// Rewrites an own message's text in place, or re-keys it into another
// folder, under its record lock.
void Workstation::ChangeOwn(bool rekey) {
  if (own_.empty()) return AppendMessage();
  OwnMessage& m = own_[size_t(Random(int(own_.size())))];
  const std::string rec = std::to_string(m.record);
  if (!DbLockRecord(messages_, m.record)) {
    ++counts_[rekey ? "record in use (re-key)" : "record in use (rewrite)"];
    return;
  }
  VerifyOwn(m);
  MessageFacts f = m.facts;
  uint8_t oldRecord[msg::kRecordSize], newRecord[msg::kRecordSize];
  BuildMessage(m.facts, oldRecord);
  if (rekey) {
    while (f.folder == m.facts.folder) f.folder = RandomFolder();
    // Filing a message also marks it viewed, as the message list does.
    f.flags = f.folder == msg::kFolderNew ? msg::kFlagNotViewed : 0;
    BuildMessage(f, newRecord);
    uint8_t oldEntry[kEntryBufferSize];
    DbMakeEntry(messages_, 0, oldRecord, m.record, oldEntry);
    DbSetCurrentIndex(messages_, 0);
    if (!DbRekeyRecord(messages_, oldEntry, newRecord)) Unexpected("re-key " + rec);
  } else {
    ++f.version;
    BuildMessage(f, newRecord);
    if (!DbWriteRecord(messages_, m.record, newRecord)) Unexpected("rewrite " + rec);
  }
  if (!DbUnlockRecord(messages_, m.record)) Unexpected("unlock " + rec);
  ledger_.Line(rekey ? "R " + rec + " " + std::to_string(f.folder) + " " +
                           std::to_string(int(f.flags))
                     : "W " + rec + " " + std::to_string(f.version));
  m.facts = f;
  ++counts_[rekey ? "message re-keys" : "message rewrites"];
}

void Workstation::DeleteMessage() {
  if (own_.empty()) return AppendMessage();
  const size_t i = size_t(Random(int(own_.size())));
  const OwnMessage m = own_[i];
  uint8_t record[msg::kRecordSize];
  BuildMessage(m.facts, record);
  if (!DbDeleteRecord(messages_, record, m.record)) {
    // Another workstation has the message open: "Record in use."
    if (DbGetError() == kDbRecordLocked) {
      ++counts_["record in use (delete)"];
      return;
    }
    Unexpected("delete " + std::to_string(m.record));
  }
  ledger_.Line("D " + std::to_string(m.record));
  own_.erase(own_.begin() + long(i));
  ++counts_["message deletes"];
}

// Opens someone's message the way the viewer does: find it, take its record
// lock, read it, keep it open a moment.
void Workstation::ViewMessage() {
  MessageFacts probe;
  probe.folder = RandomFolder();
  probe.to = Random(kRecipientCount);
  probe.time = kStressTimeBase + Random(kStressTimeSpan);
  uint8_t record[msg::kRecordSize];
  BuildMessage(probe, record);
  uint8_t key[kEntryBufferSize];
  DbMakeEntry(messages_, 0, record, 0, key);
  DbSetCurrentIndex(messages_, 0);
  int exact = 0;
  if (!DbFind(messages_, key, &exact)) Unexpected("find a message");
  if (DbPositionState(messages_) == kPosEnd) return;
  const int32_t n = DbCurrentRecord(messages_);
  if (!DbLockRecord(messages_, n)) {
    ++counts_["record in use (view)"];
    return;
  }
  if (!DbReadRecord(messages_, n, record)) {
    if (DbGetError() != kDbRecordDeleted) Unexpected("view record " + std::to_string(n));
    // Deleted between the find and the lock: "Selected record has been deleted".
    ++counts_["viewed message gone"];
  } else {
    MessageFacts f;
    if (!ReadMessageFacts(record, &f))
      Problem("record " + std::to_string(n) + " is not a sound message");
    if (IsStableMessageNumber(plan_, f.number) &&
        (n != int32_t(f.number) - 1 || FactsText(f) != FactsText(StableMessage(plan_, n))))
      Problem("stable record " + std::to_string(n) + " changed: " + FactsText(f));
    if (f.owner == id_) {
      auto it = std::find_if(own_.begin(), own_.end(),
                             [&](const OwnMessage& m) { return m.record == n; });
      if (it == own_.end() || FactsText(it->facts) != FactsText(f))
        Problem("own record " + std::to_string(n) + " reads " + FactsText(f));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    ++counts_["message views"];
  }
  if (!DbUnlockRecord(messages_, n)) Unexpected("unlock " + std::to_string(n));
}

// A new name of this workstation's own, or a name that exists already in
// other letters: the index refuses that one and the slot written for it is
// left deleted.
void Workstation::AppendName(bool duplicate) {
  uint32_t number = 0;
  if (!GetUniqueNumber(names_, &number)) Unexpected("GetUniqueNumber of NAME");
  ledger_.Line("UN " + std::to_string(number));
  std::string name = "WS" + std::to_string(id_) + " N" + std::to_string(namesMade_);
  if (duplicate) {
    name = StableName(Random(plan_.stableNames));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return char(std::tolower(c)); });
  }
  uint8_t record[nam::kRecordSize];
  BuildName(name, number, record);
  int32_t n = -1;
  const int appended = DbAppendRecord(names_, record, &n);
  if (duplicate) {
    if (appended) Problem("duplicate name \"" + name + "\" was accepted");
    if (DbGetError() != 0 || IdxGetError() != kIdxDuplicate || n < 0)
      Unexpected("append duplicate name " + name);
    ledger_.Line("ND " + std::to_string(n));
    ++counts_["duplicate names refused"];
    return;
  }
  if (!appended) Unexpected("append name " + name);
  ++namesMade_;
  ledger_.Line("NA " + std::to_string(n) + " " + std::to_string(number) + " " + name);
  ownNames_.push_back({n, name, number});
  ++counts_["name appends"];
}

void Workstation::DeleteName() {
  if (ownNames_.empty()) return AppendName();
  const size_t i = size_t(Random(int(ownNames_.size())));
  const OwnName m = ownNames_[i];
  uint8_t record[nam::kRecordSize];
  BuildName(m.name, m.number, record);
  if (!DbDeleteRecord(names_, record, m.record)) Unexpected("delete name " + m.name);
  ledger_.Line("NX " + std::to_string(m.record));
  ownNames_.erase(ownNames_.begin() + long(i));
  ++counts_["name deletes"];
}

void Workstation::WriterWork() {
  const int pick = Random(4);
  if (pick == 0) return AppendMessage();
  if (pick == 3) return DeleteMessage();
  ChangeOwn(pick == 2);
}

void Workstation::MaybeInterleave() {
  if (Random(kInterleaveOneIn) == 0) {
    WriterWork();
    ++counts_["changes made mid-walk"];
  }
}

Entry Workstation::CurrentEntry(int x) {
  Entry e(kEntryBufferSize);
  DbCurrentEntry(walker_, e.data());
  e.resize(kMessageTable.indexes[x].entryLength);
  return e;
}

bool Workstation::IsStable(const uint8_t* entry, int x) const {
  const Field number = x == 0 ? msg::x1::kNumber : msg::x2::kNumber;
  return IsStableMessageNumber(plan_, FieldU32(entry, number));
}

void Workstation::Walk() {
  const int x = Random(2);
  DbSetCurrentIndex(walker_, x);
  const int how = Random(4);
  if (how < 2)
    WalkAll(x, how == 0);
  else
    SkipAll(x, how == 2);
}

// DbFirst then DbNext to the end, or DbLast then DbPrev to the beginning:
// strictly in key order, every stable entry exactly once and in order.
void Workstation::WalkAll(int x, bool forward) {
  const std::vector<Entry>& stable = stable_[x];
  const KeyComparator compare = kMessageTable.indexes[x].compare;
  const std::string where =
      std::string(forward ? "forward" : "backward") + " walk of X" + std::to_string(x + 1);
  if (!(forward ? DbFirst(walker_) : DbLast(walker_))) Unexpected(where + ": DbFirst/DbLast");
  if (!forward && DbPositionState(walker_) == kPosEnd)
    Problem(where + ": the index reads as empty");
  const int32_t end = forward ? kPosEnd : kPosBeforeFirst;
  size_t met = 0;
  long steps = 0;
  Entry previous;
  while (DbPositionState(walker_) != end) {
    Entry e = CurrentEntry(x);
    if (!previous.empty() &&
        (forward ? compare(previous.data(), e.data()) : compare(e.data(), previous.data())) >= 0)
      Problem(where + ": step " + std::to_string(steps) + " is out of order");
    if (IsStable(e.data(), x)) {
      const size_t want = forward ? met : stable.size() - 1 - met;
      if (met >= stable.size() || e != stable[want])
        Problem(where + ": stable entry " + std::to_string(want) + " missed or out of order");
      ++met;
    }
    previous = e;
    MaybeInterleave();
    if (!(forward ? DbNext(walker_) : DbPrev(walker_))) Unexpected(where + ": DbNext/DbPrev");
    if (++steps > kWalkStepLimit) Problem(where + ": does not end");
  }
  if (met != stable.size())
    Problem(where + ": met " + std::to_string(met) + " of " + std::to_string(stable.size()) +
            " stable entries");
  ++counts_[forward ? "walks forward (DbNext)" : "walks backward (DbPrev)"];
  counts_["walk steps"] += steps;
}

// DbSkip over the stable entries alone (the filter hides the others), a few
// at a time: each skip must land on the stable entry that many further on.
void Workstation::SkipAll(int x, bool forward) {
  const std::vector<Entry>& stable = stable_[x];
  const std::string where =
      std::string(forward ? "forward" : "backward") + " skip over X" + std::to_string(x + 1);
  const EntryFilter filter = [&](const uint8_t* e) { return IsStable(e, x) ? 1 : 0; };
  const int sign = forward ? 1 : -1;
  if (!(forward ? DbFirst(walker_) : DbLast(walker_))) Unexpected(where + ": DbFirst/DbLast");
  int32_t moved = 0;
  if (!IsStable(CurrentEntry(x).data(), x)) {
    if (!DbSkip(walker_, sign, &moved, filter)) Unexpected(where + ": DbSkip");
    if (moved != 1) Problem(where + ": the first skip moved " + std::to_string(moved));
  }
  const long last = long(stable.size()) - 1;
  long at = forward ? 0 : last;
  if (CurrentEntry(x) != stable[size_t(at)]) Problem(where + ": did not start on the edge");
  while (forward ? at < last : at > 0) {
    const int count = 1 + Random(6);
    MaybeInterleave();
    if (!DbSkip(walker_, sign * count, &moved, filter)) Unexpected(where + ": DbSkip");
    const long want = std::clamp(at + sign * count, 0L, last);
    if (moved != int32_t(std::labs(want - at)) || CurrentEntry(x) != stable[size_t(want)])
      Problem(where + ": skipping " + std::to_string(count) + " from stable entry " +
              std::to_string(at) + " moved " + std::to_string(moved) + ", expected stable entry " +
              std::to_string(want));
    at = want;
    ++counts_["skips"];
  }
  ++counts_[forward ? "walks forward (DbSkip)" : "walks backward (DbSkip)"];
}

}  // namespace

int RunWorkstation(const StressPlan& plan, int id, int goFd) {
  int fd =
      open(LedgerPath(plan, id).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return 2;
  Workstation station(plan, id, fd);
  int status = station.Run(goFd);
  close(fd);
  return status;
}
