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
//   COUNT what n           counts at the end, lock waits among them
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
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "storage/catalogue.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/stress/stress_plan.h"
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

// What a record of the directory must hold, by the ledgers.
struct Expected {
  bool known = false;  // some workstation (or the set-up) appended it
  bool live = false;
  std::vector<uint8_t> bytes;  // the whole record but its lock byte
  std::string what;            // for messages
  uint32_t number = 0;         // message or name number
};

// Every record as the ledgers say, every live one with exactly one entry in
// each index and the dead ones with none, and every unique number issued
// once up to the header's counter.
void CheckTable(const StressPlan& plan, const TableDef& def,
                const std::function<Expected(int32_t)>& expectedAt, std::vector<uint32_t> numbers,
                int32_t appendedUpTo) {
  Table table(def);
  ASSERT_EQ(DbOpenTable(table, plan.dir), 1);
  int32_t count = 0;
  ASSERT_EQ(DbRecordCount(table, &count), 1);
  EXPECT_GE(count, appendedUpTo) << def.name << ": records were appended but the file is shorter";
  std::set<int32_t> live;
  std::map<uint32_t, int> liveNumbers;
  std::vector<uint8_t> record(size_t(def.recordSize));
  for (int32_t n = 0; n < count; ++n) {
    const std::string rec = std::string(def.name) + " record " + std::to_string(n);
    const bool read = DbReadRecord(table, n, record.data()) == 1;
    if (!read) {
      EXPECT_EQ(DbGetError(), kDbRecordDeleted) << rec;
    }
    const Expected e = expectedAt(n);
    if (!e.known) {
      ADD_FAILURE() << rec << " is in the file but no workstation appended it";
      continue;
    }
    EXPECT_EQ(read, e.live) << rec << (e.live ? " is lost: " : " was deleted and is live again: ")
                            << e.what;
    if (!read || !e.live) continue;
    EXPECT_EQ(std::memcmp(e.bytes.data(), record.data(), record.size() - 1), 0)
        << rec << " does not hold what was last written: " << e.what;
    ++liveNumbers[e.number];
    live.insert(n);
  }
  for (const auto& [number, times] : liveNumbers)
    EXPECT_EQ(times, 1) << def.name << " number " << number << " is stored " << times << " times";
  for (int x = 0; x < def.indexCount; ++x) {
    const std::string index = std::string(def.name) + ".X" + std::to_string(x + 1);
    std::map<int32_t, int> seen;
    DbSetCurrentIndex(table, x);
    EXPECT_EQ(DbFirst(table), 1);
    while (DbPositionState(table) != kPosEnd) {
      ++seen[DbCurrentRecord(table)];
      if (!DbNext(table)) {
        ADD_FAILURE() << index << ": DbNext failed";
        break;
      }
    }
    for (int32_t n : live) EXPECT_EQ(seen[n], 1) << index << ", record " << n;
    for (const auto& [n, times] : seen)
      EXPECT_TRUE(live.count(n)) << index << " has an entry for dead record " << n;
  }
  // Every number issued exactly once, and no number skipped up to the
  // header's counter (nothing crashed, so every issue was written down).
  std::vector<uint8_t> header(size_t(table.headerSize));
  EXPECT_EQ(DbReadHeader(table, header.data()), 1);
  const uint32_t counter = FieldU32(header.data(), kHeaderUniqueNumber);
  std::sort(numbers.begin(), numbers.end());
  auto twice = std::adjacent_find(numbers.begin(), numbers.end());
  EXPECT_TRUE(twice == numbers.end())
      << def.name << ": unique number " << *twice << " issued twice";
  EXPECT_EQ(numbers.size(), size_t(counter)) << def.name << ": the header's counter";
  if (!numbers.empty()) {
    EXPECT_EQ(numbers.front(), 1u) << def.name;
    EXPECT_EQ(numbers.back(), counter) << def.name;
  }
  DbCloseTable(table);
}

void CheckMessages(const StressPlan& plan, const Account& a) {
  std::vector<uint32_t> numbers = a.messageNumbers;
  for (int i = 0; i < plan.stableMessages; ++i) numbers.push_back(uint32_t(i) + 1);
  CheckTable(
      plan, kMessageTable,
      [&](int32_t n) {
        Expected e;
        MessageState m;
        if (n < plan.stableMessages) {
          m.facts = StableMessage(plan, n);
        } else if (auto it = a.messages.find(n); it != a.messages.end()) {
          m = it->second;
        } else {
          return e;
        }
        e.known = true;
        e.live = m.live;
        e.bytes.resize(msg::kRecordSize);
        BuildMessage(m.facts, e.bytes.data());
        e.what = "workstation " + std::to_string(m.workstation) + ": " + FactsText(m.facts);
        e.number = m.facts.number;
        return e;
      },
      numbers, a.messages.empty() ? 0 : a.messages.rbegin()->first + 1);
}

void CheckNames(const StressPlan& plan, const Account& a) {
  std::vector<uint32_t> numbers = a.nameNumbers;
  for (int i = 0; i < plan.stableNames; ++i) numbers.push_back(uint32_t(i) + 1);
  CheckTable(
      plan, kNameTable,
      [&](int32_t n) {
        Expected e;
        NameState s;
        if (n < plan.stableNames) {
          s = {StableName(n), uint32_t(n) + 1, true};
        } else if (auto it = a.names.find(n); it != a.names.end()) {
          s = it->second;
        } else {
          return e;
        }
        e = {true, s.live, std::vector<uint8_t>(nam::kRecordSize), s.name, s.number};
        BuildName(s.name, s.number, e.bytes.data());
        return e;
      },
      numbers, 0);
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
  for (const auto& [what, n] : a.counts) std::printf("  %-50s %9ld\n", what.c_str(), n);
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
