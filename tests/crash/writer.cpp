#include "tests/crash/writer.h"

#include <unistd.h>

#include <chrono>
#include <random>
#include <vector>

#include "storage/catalogue.h"
#include "storage/records/message.h"
#include "tests/support/ledger.h"
#include "tests/support/test_messages.h"

namespace {

namespace msg = records::message;

constexpr int32_t kFolders[] = {1, 3, 10, 11};
constexpr int kFolderCount = 4;
constexpr int32_t kTimeBase = 800000000;
constexpr int32_t kTimeSpan = 100000;

struct Live {
  int32_t record;
  MessageFacts facts;
};

class Writer {
 public:
  Writer(const WriterPlan& plan, int fd) : plan_(plan), out_(fd), rng_(plan.seed) {}
  int Run();

 private:
  int Random(int below) { return int(rng_() % uint32_t(below)); }
  bool FindLiveMessages();
  bool Append();
  bool Delete();
  bool Rekey();
  int Fail(const std::string& what);

  const WriterPlan& plan_;
  Ledger out_;
  std::mt19937 rng_;
  Table messages_{kMessageTable};
  std::vector<Live> live_;
};

int Writer::Fail(const std::string& what) {
  std::string name;
  const int code = DbGetError(&name);
  out_.Line("E " + what + ": engine code " + std::to_string(code) + ", index code " +
            std::to_string(IdxGetError()) + ", name " + name);
  return 3;
}

// The messages a user would see in the list: every entry of X2.
bool Writer::FindLiveMessages() {
  DbSetCurrentIndex(messages_, 1);
  if (!DbFirst(messages_)) return false;
  uint8_t record[msg::kRecordSize];
  while (DbPositionState(messages_) != kPosEnd) {
    const int32_t n = DbCurrentRecord(messages_);
    MessageFacts f;
    if (!DbReadRecord(messages_, n, record) || !ReadMessageFacts(record, &f)) return false;
    live_.push_back({n, f});
    if (!DbNext(messages_)) return false;
  }
  return true;
}

bool Writer::Append() {
  uint32_t number = 0;
  out_.Line("N?");
  if (!GetUniqueNumber(messages_, &number)) return false;
  out_.Line("U " + std::to_string(number));
  MessageFacts f;
  f.number = number;
  f.folder = kFolders[Random(kFolderCount)];
  f.to = Random(kRecipientCount);
  f.time = kTimeBase + Random(kTimeSpan);
  f.owner = 1;
  f.flags = msg::kFlagNotViewed;
  uint8_t record[msg::kRecordSize];
  BuildMessage(f, record);
  out_.Line("A? " + FactsText(f));
  int32_t n = -1;
  if (!DbAppendRecord(messages_, record, &n)) return false;
  out_.Line("A " + std::to_string(n));
  live_.push_back({n, f});
  return true;
}

bool Writer::Delete() {
  if (live_.empty()) return Append();
  const size_t i = size_t(Random(int(live_.size())));
  uint8_t record[msg::kRecordSize];
  BuildMessage(live_[i].facts, record);
  out_.Line("D? " + std::to_string(live_[i].record));
  if (!DbDeleteRecord(messages_, record, live_[i].record)) return false;
  out_.Line("D " + std::to_string(live_[i].record));
  live_.erase(live_.begin() + long(i));
  return true;
}

bool Writer::Rekey() {
  if (live_.empty()) return Append();
  Live& m = live_[size_t(Random(int(live_.size())))];
  MessageFacts f = m.facts;
  while (f.folder == m.facts.folder) f.folder = kFolders[Random(kFolderCount)];
  f.flags = f.folder == msg::kFolderNew ? msg::kFlagNotViewed : 0;
  uint8_t oldRecord[msg::kRecordSize], newRecord[msg::kRecordSize];
  BuildMessage(m.facts, oldRecord);
  BuildMessage(f, newRecord);
  uint8_t oldEntry[kEntryBufferSize];
  DbMakeEntry(messages_, 0, oldRecord, m.record, oldEntry);
  // Nobody else edits these messages: a refused lock is one a killed
  // workstation never gave back.
  if (!DbLockRecord(messages_, m.record)) return false;
  out_.Line("R? " + std::to_string(m.record) + " " + std::to_string(f.folder) + " " +
            std::to_string(int(f.flags)));
  DbSetCurrentIndex(messages_, 0);
  if (!DbRekeyRecord(messages_, oldEntry, newRecord)) return false;
  out_.Line("R " + std::to_string(m.record));
  m.facts = f;
  return DbUnlockRecord(messages_, m.record) == 1;
}

int Writer::Run() {
  if (!DbOpenTable(messages_, plan_.dir)) return Fail("open MESSAGE");
  if (plan_.work == WriterWork::kMixed && !FindLiveMessages()) return Fail("read the messages");
  out_.Line("READY");
  if (plan_.atReady) plan_.atReady();
  const auto start = std::chrono::steady_clock::now();
  for (int op = 0; op < plan_.operations; ++op) {
    bool ok;
    if (plan_.work == WriterWork::kAppendsOnly) {
      ok = Append();
    } else {
      const int pick = Random(100);
      ok = pick < 40 ? Append() : pick < 70 ? Delete() : Rekey();
    }
    if (!ok) return Fail("operation " + std::to_string(op));
  }
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  out_.Line("DONE " + std::to_string(micros));
  for (;;) pause();
}

}  // namespace

int RunWriter(const WriterPlan& plan, int reportFd) {
  Writer writer(plan, reportFd);
  return writer.Run();
}
