// Many workstations at once: K processes, each with its own handles, work on
// one data directory made by dpadmin. Afterwards the directory must be
// clean, every change a workstation saw succeed must be there exactly as it
// left it, and no walker may have missed or repeated an entry that existed
// for its whole walk. Lock waits run on the real 55 ms clock.
//
// Size: DESKPOST_STRESS_PROCESSES (default 4), DESKPOST_STRESS_OPS
// (operations per workstation, default 1000), DESKPOST_STRESS_SEED.
//
// Each workstation's ledger, one line per success:
//   UM n / UN n            a unique number of "MESSAGE" / "NAME" was issued
//   A rec facts            a message was appended as record rec
//   W rec version          its text was rewritten in place
//   R rec folder flags     it was re-keyed into another folder
//   D rec                  it was deleted
//   NA rec number name     a name was appended
//   ND rec                 a duplicate name was refused, its slot left deleted
//   NX rec                 a name was deleted
//   COUNT what n, HIST ... counts and lock waits at the end
//   E text                 an unexpected failure; the workstation stopped
//   DONE                   the workstation finished its work
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "storage/catalogue.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/stress/lock_histogram.h"
#include "tests/stress/stress_plan.h"
#include "tests/stress/workstation.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace msg = records::message;
namespace nam = records::name;

struct MessageState {
  MessageFacts facts;
  bool live = true;
  int workstation = 0;
};

struct NameState {
  std::string name;
  uint32_t number = 0;
  bool live = true;
};

// What the workstations say they did, put together.
struct Account {
  std::map<int32_t, MessageState> messages;
  std::map<int32_t, NameState> names;
  std::vector<uint32_t> messageNumbers;
  std::vector<uint32_t> nameNumbers;
  std::map<std::string, long> counts;
  LockHistogram waits;
  std::vector<std::string> failures;  // workstations' own and the ledgers' contradictions
  int finished = 0;
  int corruptIndexErrors = 0;
};

void ReadLedger(const std::string& path, int id, Account& a) {
  std::ifstream in(path);
  std::string line;
  const std::string who = "workstation " + std::to_string(id) + ": ";
  auto fail = [&](const std::string& text) {
    a.failures.push_back(who + text + " [" + line + "]");
  };
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string tag;
    words >> tag;
    int32_t n = -1;
    if (tag == "UM" || tag == "UN") {
      uint32_t number = 0;
      words >> number;
      (tag == "UM" ? a.messageNumbers : a.nameNumbers).push_back(number);
    } else if (tag == "A") {
      words >> n;
      std::string rest;
      std::getline(words, rest);
      MessageState m;
      m.workstation = id;
      if (!ParseFacts(rest, &m.facts)) fail("unreadable line");
      if (!a.messages.emplace(n, m).second) fail("record appended a second time");
    } else if (tag == "W" || tag == "R" || tag == "D") {
      words >> n;
      auto it = a.messages.find(n);
      if (it == a.messages.end() || !it->second.live || it->second.workstation != id) {
        fail("changes a record it does not own");
        continue;
      }
      MessageFacts& f = it->second.facts;
      int flags = 0;
      if (tag == "W") words >> f.version;
      if (tag == "R") {
        words >> f.folder >> flags;
        f.flags = uint8_t(flags);
      }
      if (tag == "D") it->second.live = false;
    } else if (tag == "NA" || tag == "ND") {
      NameState s;
      words >> n;
      if (tag == "NA") {
        words >> s.number;
        std::getline(words >> std::ws, s.name);
      }
      s.live = tag == "NA";
      if (!a.names.emplace(n, s).second) fail("name record appended a second time");
    } else if (tag == "NX") {
      words >> n;
      auto it = a.names.find(n);
      if (it == a.names.end() || !it->second.live)
        fail("deletes a name it does not have");
      else
        it->second.live = false;
    } else if (tag == "COUNT") {
      const size_t last = line.rfind(' ');
      a.counts[line.substr(6, last - 6)] += std::stol(line.substr(last + 1));
    } else if (tag == "HIST") {
      LockHistogram h;
      if (h.Parse(line)) a.waits.Merge(h);
    } else if (tag == "E") {
      a.failures.push_back(who + line.substr(2));
      if (line.find("index code 7") != std::string::npos) ++a.corruptIndexErrors;
    } else if (tag == "DONE") {
      ++a.finished;
    } else {
      fail("unknown line");
    }
  }
}

// Every number issued exactly once, and no number skipped up to the
// header's counter (nothing crashed, so every issue was written down).
void ExpectNumbersIssuedOnce(std::vector<uint32_t> numbers, uint32_t counter, const char* table) {
  std::sort(numbers.begin(), numbers.end());
  auto twice = std::adjacent_find(numbers.begin(), numbers.end());
  EXPECT_TRUE(twice == numbers.end()) << table << ": unique number " << *twice << " issued twice";
  EXPECT_EQ(numbers.size(), size_t(counter)) << table << ": the header's counter";
  if (!numbers.empty()) {
    EXPECT_EQ(numbers.front(), 1u) << table;
    EXPECT_EQ(numbers.back(), counter) << table;
  }
}

uint32_t HeaderCounter(Table& table) {
  std::vector<uint8_t> header(size_t(table.headerSize));
  EXPECT_EQ(DbReadHeader(table, header.data()), 1);
  return FieldU32(header.data(), kHeaderUniqueNumber);
}

// Walks index x from the first entry to the end and counts the entries of
// each record.
std::map<int32_t, int> CountEntries(Table& table, int x) {
  std::map<int32_t, int> seen;
  DbSetCurrentIndex(table, x);
  EXPECT_EQ(DbFirst(table), 1);
  while (DbPositionState(table) != kPosEnd) {
    ++seen[DbCurrentRecord(table)];
    if (!DbNext(table)) {
      ADD_FAILURE() << table.name << ".X" << x + 1 << ": DbNext failed";
      break;
    }
  }
  return seen;
}

void CheckMessages(const StressPlan& plan, const Account& a) {
  Table messages(kMessageTable);
  ASSERT_EQ(DbOpenTable(messages, plan.dir), 1);
  int32_t count = 0;
  ASSERT_EQ(DbRecordCount(messages, &count), 1);
  std::map<uint32_t, int> liveNumbers;
  std::set<int32_t> live;
  uint8_t record[msg::kRecordSize];
  uint8_t want[msg::kRecordSize];
  for (int32_t n = 0; n < count; ++n) {
    const bool read = DbReadRecord(messages, n, record) == 1;
    if (!read) {
      EXPECT_EQ(DbGetError(), kDbRecordDeleted) << "record " << n;
    }
    const MessageState* expected = nullptr;
    MessageState stable;
    if (n < plan.stableMessages) {
      stable.facts = StableMessage(plan, n);
      expected = &stable;
    } else if (auto it = a.messages.find(n); it != a.messages.end()) {
      expected = &it->second;
    }
    if (!expected) {
      ADD_FAILURE() << "record " << n << " is in MESSAGE.DAT but no workstation appended it";
      continue;
    }
    if (!expected->live) {
      EXPECT_FALSE(read) << "record " << n << " was deleted and is live again";
      continue;
    }
    if (!read) {
      ADD_FAILURE() << "record " << n << " (message " << expected->facts.number << ") is lost";
      continue;
    }
    BuildMessage(expected->facts, want);
    EXPECT_EQ(std::memcmp(want, record, msg::kRecordSize - 1), 0)
        << "record " << n << " does not hold what workstation " << expected->workstation
        << " last wrote: " << FactsText(expected->facts);
    ++liveNumbers[expected->facts.number];
    live.insert(n);
  }
  for (const auto& [n, m] : a.messages)
    EXPECT_LT(n, count) << "record " << n << " was appended but the file is shorter";
  for (const auto& [number, times] : liveNumbers)
    EXPECT_EQ(times, 1) << "message " << number << " is stored " << times << " times";
  for (int x = 0; x < 2; ++x) {
    std::map<int32_t, int> seen = CountEntries(messages, x);
    for (int32_t n : live) EXPECT_EQ(seen[n], 1) << "MESSAGE.X" << x + 1 << ", record " << n;
    for (const auto& [n, times] : seen)
      EXPECT_TRUE(live.count(n)) << "MESSAGE.X" << x + 1 << " has an entry for dead record " << n;
  }
  std::vector<uint32_t> numbers = a.messageNumbers;
  for (int i = 0; i < plan.stableMessages; ++i) numbers.push_back(uint32_t(i) + 1);
  ExpectNumbersIssuedOnce(numbers, HeaderCounter(messages), "MESSAGE");
  DbCloseTable(messages);
}

void CheckNames(const StressPlan& plan, const Account& a) {
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, plan.dir), 1);
  int32_t count = 0;
  ASSERT_EQ(DbRecordCount(names, &count), 1);
  std::set<int32_t> live;
  uint8_t record[nam::kRecordSize];
  uint8_t want[nam::kRecordSize];
  for (int32_t n = 0; n < count; ++n) {
    const bool read = DbReadRecord(names, n, record) == 1;
    NameState expected;
    if (n < plan.stableNames) {
      expected = {StableName(n), uint32_t(n) + 1, true};
    } else if (auto it = a.names.find(n); it != a.names.end()) {
      expected = it->second;
    } else {
      ADD_FAILURE() << "record " << n << " is in NAME.DAT but no workstation appended it";
      continue;
    }
    EXPECT_EQ(read, expected.live) << "NAME record " << n << " " << expected.name;
    if (read && expected.live) {
      BuildName(expected.name, expected.number, want);
      EXPECT_EQ(std::memcmp(want, record, nam::kRecordSize - 1), 0) << "NAME record " << n;
      live.insert(n);
    }
  }
  std::map<int32_t, int> seen = CountEntries(names, 0);
  for (int32_t n : live) EXPECT_EQ(seen[n], 1) << "NAME.X1, record " << n;
  for (const auto& [n, times] : seen)
    EXPECT_TRUE(live.count(n)) << "NAME.X1 has an entry for dead record " << n;
  std::vector<uint32_t> numbers = a.nameNumbers;
  for (int i = 0; i < plan.stableNames; ++i) numbers.push_back(uint32_t(i) + 1);
  ExpectNumbersIssuedOnce(numbers, HeaderCounter(names), "NAME");
  DbCloseTable(names);
}

// The records every workstation relies on: stored first, never changed.
void StoreStableRecords(const StressPlan& plan) {
  Table messages(kMessageTable);
  ASSERT_EQ(DbOpenTable(messages, plan.dir), 1);
  uint8_t record[msg::kRecordSize];
  for (int i = 0; i < plan.stableMessages; ++i) {
    uint32_t number = 0;
    ASSERT_EQ(GetUniqueNumber(messages, &number), 1);
    ASSERT_EQ(number, uint32_t(i) + 1);
    BuildMessage(StableMessage(plan, i), record);
    int32_t n = -1;
    ASSERT_EQ(DbAppendRecord(messages, record, &n), 1);
    ASSERT_EQ(n, i);
  }
  DbCloseTable(messages);
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, plan.dir), 1);
  for (int i = 0; i < plan.stableNames; ++i) {
    uint32_t number = 0;
    ASSERT_EQ(GetUniqueNumber(names, &number), 1);
    BuildName(StableName(i), number, record);
    int32_t n = -1;
    ASSERT_EQ(DbAppendRecord(names, record, &n), 1);
    ASSERT_EQ(n, i);
  }
  DbCloseTable(names);
}

void PrintReport(const StressPlan& plan, const Account& a, double seconds) {
  auto count = [&](const char* what) {
    auto it = a.counts.find(what);
    return it == a.counts.end() ? 0L : it->second;
  };
  std::printf(
      "stress: %d workstations x %d operations (%ld in all, plus %ld changes made mid-walk),"
      " seed %u, %.1f s\n",
      plan.processes, plan.opsPerProcess, long(plan.processes) * plan.opsPerProcess,
      count("changes made mid-walk"), plan.seed, seconds);
  for (const auto& [what, n] : a.counts) std::printf("  %-28s %9ld\n", what.c_str(), n);
  std::printf("lock waits whose first attempt was refused: %ld\n%s", a.waits.Total(),
              a.waits.Table().c_str());
  std::fflush(stdout);
}

// Starts workstations first .. first + processes - 1 at one moment and
// waits for all of them.
void RunWorkstations(const StressPlan& plan, int first) {
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (int id = first; id < first + plan.processes; ++id) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(go[1]);
      _exit(RunWorkstation(plan, id, go[0]));
    }
    children.push_back(child);
  }
  close(go[0]);
  close(go[1]);  // every workstation starts now
  for (size_t i = 0; i < children.size(); ++i) {
    int status = 0;
    ASSERT_EQ(waitpid(children[i], &status, 0), children[i]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "workstation " << first + int(i) << " ended with status " << status;
  }
}

// Reads the ledgers of workstations 1 .. processes and checks the directory.
void VerifyDirectory(const StressPlan& plan, const std::string& workDir, double seconds) {
  Account account;
  for (int id = 1; id <= plan.processes; ++id) ReadLedger(LedgerPath(plan, id), id, account);
  PrintReport(plan, account, seconds);
  EXPECT_EQ(account.finished, plan.processes) << "workstations that finished their work";
  EXPECT_EQ(account.corruptIndexErrors, 0) << "corrupt-index errors met by workstations";
  for (const std::string& f : account.failures) ADD_FAILURE() << f;

  DpadminRun check = RunDpadmin({"check", plan.dir}, workDir);
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  CheckMessages(plan, account);
  CheckNames(plan, account);
}

TEST(Stress, ManyWorkstationsChangeAndWalkOneDirectoryAndNothingIsLostOrSeenTwice) {
  StressPlan plan = PlanFromEnvironment();
  SCOPED_TRACE("seed " + std::to_string(plan.seed) + " (DESKPOST_STRESS_SEED)");
  const char* shared = std::getenv("DESKPOST_STRESS_DIR");
  if (shared && *shared) {
    // One step of a run shared by several machines on a network share:
    // "prepare" makes the directory, "work" runs this machine's workstations
    // (DESKPOST_STRESS_FIRST is the first one's number), "verify" reads the
    // ledgers of workstations 1 .. DESKPOST_STRESS_PROCESSES.
    plan.dir = std::string(shared) + "/office/";
    const char* logs = std::getenv("DESKPOST_STRESS_LOGS");
    plan.logDir = std::string(logs && *logs ? logs : shared) + "/";
    const char* step = std::getenv("DESKPOST_STRESS_STEP");
    const std::string what = step ? step : "";
    if (what == "prepare") {
      DpadminRun create = RunDpadmin({"create", plan.dir}, plan.logDir);
      ASSERT_EQ(create.status, 0) << ShowRun(create);
      StoreStableRecords(plan);
    } else if (what == "work") {
      const char* first = std::getenv("DESKPOST_STRESS_FIRST");
      const auto start = std::chrono::steady_clock::now();
      RunWorkstations(plan, first ? std::atoi(first) : 1);
      std::printf("stress: %d workstations x %d operations here, %.1f s\n", plan.processes,
                  plan.opsPerProcess,
                  std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    } else if (what == "verify") {
      VerifyDirectory(plan, plan.logDir, 0);
    } else {
      FAIL() << "DESKPOST_STRESS_STEP must be prepare, work or verify";
    }
    return;
  }

  TempDir temp;
  plan.dir = temp.Path() + "office/";
  plan.logDir = temp.Path();

  DpadminRun create = RunDpadmin({"create", plan.dir}, temp.Path());
  ASSERT_EQ(create.status, 0) << ShowRun(create);
  StoreStableRecords(plan);
  if (HasFatalFailure()) return;

  const auto start = std::chrono::steady_clock::now();
  RunWorkstations(plan, 1);
  if (HasFatalFailure()) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  VerifyDirectory(plan, temp.Path(), seconds);
}

}  // namespace
