// Crashes: a writing workstation is killed with SIGKILL at random moments
// of its work (on entry to a system call chosen at random, see kill_run.h),
// inside and between appends, deletes, re-keys and root move-downs. After
// each kill the table must either open and work, or, when the kill fell
// inside an index update, refuse to open with "Index is corrupt, please
// reindex"; dpadmin reindex must then make it clean; and nothing the
// workstation had been told was done may be undone. Locks of a killed
// workstation must not outlive it.
//
// Size: DESKPOST_CRASH_KILLS (kill points; default 300, 80 in a sanitized
// build), DESKPOST_CRASH_SEED; DESKPOST_CRASH_UNTRACED=1 kills by time
// instead of at system calls.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "storage/catalogue.h"
#include "storage/index_page.h"
#include "storage/lockwait.h"
#include "storage/records/message.h"
#include "tests/crash/kill_run.h"
#include "tests/crash/office_model.h"
#include "tests/crash/writer.h"
#include "tests/support/dpadmin_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace msg = records::message;
using Clock = std::chrono::steady_clock;

constexpr int kIndexCount = 2;  // "MESSAGE" X1 and X2
// The writer's share of work in each run, and how far short of a root
// move-down the appends-only runs start: the third append moves it down.
constexpr int kMixedOperations = 16;
constexpr int kRootOperations = 5;
constexpr int kShortOfMoveDown = 2;
constexpr int kCalibrationRuns = 3;
// Each kill point runs dpadmin once or three times; a sanitized dpadmin
// starts several times slower.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultKills = 80;
#else
constexpr int kDefaultKills = 300;
#endif

int FromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::max(0, std::atoi(text)) : fallback;
}

enum class Scenario { kMixed, kRootX1, kRootX2 };
constexpr int kScenarioCount = 3;

const char* ScenarioName(Scenario s) {
  static const char* const names[] = {"mixed", "X1 root almost full", "X2 root almost full"};
  return names[int(s)];
}

struct Office {
  std::string dir;
  OfficeModel model;
};

// What the kills hit, printed at the end to show the test reached the
// moments it is about.
struct Tally {
  int tried = 0;
  int inBracket = 0;
  int reindexed = 0;
  int cutAppendsWritten = 0;
  int cutDeletesDone = 0;
  int cutRekeysDone = 0;
  int retryQuestions = 0;
};

// Page 0's change counter of each index, read straight from the files.
std::vector<uint32_t> Counters(const std::string& dir) {
  std::vector<uint32_t> counters;
  for (int x = 1; x <= kIndexCount; ++x) {
    File file;
    uint8_t field[4] = {};
    if (file.Open(DbIndexPath(dir, "MESSAGE", x), OpenMode::kReadOnly))
      file.ReadAt(kPagePrevOffset, field, sizeof field);
    counters.push_back(GetU32(field));
  }
  return counters;
}

using Entry = std::vector<uint8_t>;

// Every entry of index x, first to last (or last to first).
std::vector<Entry> Entries(Table& table, int x, bool forward = true) {
  std::vector<Entry> entries;
  DbSetCurrentIndex(table, x);
  bool ok = forward ? DbFirst(table) : DbLast(table);
  while (ok && DbPositionState(table) != kPosEnd && DbPositionState(table) != kPosBeforeFirst &&
         entries.size() < 1'000'000) {
    Entry e(kEntryBufferSize);
    DbCurrentEntry(table, e.data());
    e.resize(kMessageTable.indexes[x].entryLength);
    entries.push_back(e);
    ok = forward ? DbNext(table) : DbPrev(table);
  }
  EXPECT_TRUE(ok) << "X" << x + 1 << ": a step failed with " << IdxGetError();
  return entries;
}

// Walks index x both ways; every step must move on in key order.
void ExpectWalksInOrder(Table& table, int x, const std::string& where) {
  const KeyComparator compare = kMessageTable.indexes[x].compare;
  const std::vector<Entry> forward = Entries(table, x);
  for (size_t i = 1; i < forward.size(); ++i)
    ASSERT_LT(compare(forward[i - 1].data(), forward[i].data()), 0) << where << ", entry " << i;
  std::vector<Entry> backward = Entries(table, x, false);
  std::reverse(backward.begin(), backward.end());
  EXPECT_TRUE(backward == forward) << where << ": entries forward and backward";
}

// A workstation that kept the table open through kills and rebuilds, as a
// list window does, must find what a workstation opening it now finds.
void ExpectOpenHandleSeesTheFiles(Table& kept, const std::string& dir) {
  Table fresh(kMessageTable);
  ASSERT_EQ(DbOpenTable(fresh, dir), 1);
  for (int x = 0; x < kIndexCount; ++x) {
    const std::vector<Entry> now = Entries(fresh, x);
    EXPECT_TRUE(Entries(kept, x) == now) << "X" << x + 1 << " walked through the kept handle";
    for (const Entry& e : now) {
      int exact = 0;
      EXPECT_EQ(DbFind(kept, e.data(), &exact), 1);
      if (!exact) {
        ADD_FAILURE() << "X" << x + 1 << ": the kept handle does not find the entry of record "
                      << GetI32(e.data());
        break;
      }
    }
  }
  DbCloseTable(fresh);
}

// The only problems dpadmin check may find in a table whose update
// brackets are all closed: the cut-short operation's record missing an
// entry (an append or delete between its index updates, a re-key between
// removing and inserting) or its entry ahead of its record (a re-key before
// it wrote the record).
bool ProblemsAllowed(const std::string& out, std::set<int32_t> allowed, bool* missingEntry) {
  static const std::regex problem(
      R"(^MESSAGE\.X[12]: (record (\d+) has no entry|entry for record (\d+) has the key) .*)");
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find("problem") != std::string::npos && line.find(": ") != std::string::npos &&
        line.rfind("MESSAGE.", 0) != 0)
      continue;  // the summary line
    std::smatch m;
    if (!std::regex_match(line, m, problem)) return false;
    const int32_t n = std::stoi(m[2].matched ? m[2].str() : m[3].str());
    if (!allowed.count(n)) return false;
    if (m[2].matched) *missingEntry = true;
  }
  return true;
}

// The system calls of the append that moves the root down, from an uncut
// run's timeline: from its announcement to its report of success.
std::pair<long, long> MoveDownWindow(const WriterRun& run) {
  int appends = 0;
  long first = 0;
  for (const auto& [line, calls] : run.timeline) {
    if (line.rfind("A? ", 0) == 0 && appends++ == kShortOfMoveDown) first = calls;
    if (line.rfind("A ", 0) == 0 && appends == kShortOfMoveDown + 1) return {first, calls};
  }
  return {0, 0};
}

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    SetLockWaitObserver([this](int32_t, bool) { ++waitsSeen_; });
    const auto decline = [this] { return ++tally_.retryQuestions, false; };
    DbSetLockRetry(decline);
    IdxSetLockRetry(decline);
  }
  void TearDown() override {
    SetLockWaitObserver(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    DbSetErrorReporter(nullptr);
  }

  // A fresh data directory holding `count` messages.
  Office MakeOffice(const std::string& name, int count, uint32_t seed) {
    Office office;
    office.dir = temp_.Path() + name + "/";
    DpadminRun create = RunDpadmin({"create", office.dir}, temp_.Path());
    EXPECT_EQ(create.status, 0) << ShowRun(create);
    Table messages(kMessageTable);
    EXPECT_EQ(DbOpenTable(messages, office.dir), 1);
    std::mt19937 rng(seed);
    uint8_t record[msg::kRecordSize];
    for (int i = 0; i < count; ++i) {
      MessageFacts f;
      EXPECT_EQ(GetUniqueNumber(messages, &f.number), 1);
      f.folder = int32_t(1 + rng() % 12);
      f.to = int(rng() % kRecipientCount);
      f.time = 800000000 + int32_t(rng() % 100000);
      BuildMessage(f, record);
      int32_t n = -1;
      EXPECT_EQ(DbAppendRecord(messages, record, &n), 1);
      office.model.slots.push_back(f);
      office.model.numbers.insert(f.number);
    }
    DbCloseTable(messages);
    return office;
  }

  // Makes `to` a copy of `from`, the table files and the model.
  void CopyOffice(const Office& from, Office& to) {
    for (const char* file : {"MESSAGE.DAT", "MESSAGE.X1", "MESSAGE.X2"})
      std::filesystem::copy_file(from.dir + file, to.dir + file,
                                 std::filesystem::copy_options::overwrite_existing);
    to.model = from.model;
  }

  DpadminRun Admin(const std::string& command, const Office& office) {
    return RunDpadmin({command, office.dir, "MESSAGE"}, temp_.Path());
  }

  // Everything that must hold after one kill. Returns false on a failure.
  bool CheckAfterKill(Office& office, const WriterRun& run, const std::string& where, bool count) {
    SCOPED_TRACE(where);
    const WriterReport& report = run.report;
    EXPECT_TRUE(report.ready) << "the writer never started";
    for (const std::string& f : report.failures) ADD_FAILURE() << "writer: " << f;

    const std::vector<uint32_t> counters = Counters(office.dir);
    int bracket = 0;  // 1-based index whose update was cut short
    for (int x = kIndexCount; x >= 1; --x)
      if (counters[size_t(x - 1)] == kCounterUpdating) bracket = x;
    if (bracket) {
      EXPECT_TRUE(report.inFlight && report.inFlight->kind != 'N')
          << "an update left open by a call that had returned";
    }
    if (count) {
      ++tally_.tried;
      tally_.inBracket += bracket != 0;
    }

    // Open it as the program would, with start-up's error reporter; the
    // killed workstation's locks must be gone, so nothing may wait.
    waitsSeen_ = 0;
    ClearAppError();
    DbSetErrorReporter(TranslateEngineError);
    Table messages(kMessageTable);
    const int opened = DbOpenTable(messages, office.dir);
    DbSetErrorReporter(nullptr);
    EXPECT_EQ(waitsSeen_, 0) << "a lock of the killed workstation was still held";
    bool missingEntry = false;
    bool repair = bracket != 0;
    if (bracket) {
      EXPECT_EQ(opened, 0) << "an index with an interrupted update opened";
      EXPECT_EQ(IdxGetError(), kIdxCorrupt);
      EXPECT_EQ(AppErrorCode(), kAppIndexCorrupt);
      EXPECT_EQ(FormatAppError(),
                "Index is corrupt, please reindex: MESSAGE.X" + std::to_string(bracket));
    } else {
      EXPECT_EQ(opened, 1) << FormatAppError();
      if (opened) {
        for (int x = 0; x < kIndexCount; ++x)
          ExpectWalksInOrder(messages, x, "X" + std::to_string(x + 1));
      }
      DpadminRun check = Admin("check", office);
      std::set<int32_t> allowed;
      if (report.inFlight) {
        allowed.insert(report.inFlight->kind == 'A'
                           ? int32_t(office.model.slots.size()) + int32_t(CompletedAppends(report))
                           : report.inFlight->record);
      }
      EXPECT_TRUE(check.status == 0 ||
                  (check.status == 1 && ProblemsAllowed(check.out, allowed, &missingEntry)))
          << ShowRun(check);
      repair = check.status != 0;
    }
    DbCloseTable(messages);

    // What the office does on "Index is corrupt, please reindex" (and what
    // an administrator's check would ask for after a kill that left an
    // entry missing).
    if (repair) {
      DpadminRun reindex = Admin("reindex", office);
      EXPECT_EQ(reindex.status, 0) << ShowRun(reindex);
      DpadminRun check = Admin("check", office);
      EXPECT_EQ(check.status, 0) << ShowRun(check);
      if (count) ++tally_.reindexed;
    }

    std::string why;
    EXPECT_TRUE(office.model.Apply(report, &why)) << why;
    Reconciliation r = Reconcile(office.dir, report.inFlight, office.model);
    for (const std::string& f : r.failures) ADD_FAILURE() << f;
    if (count) {
      tally_.cutAppendsWritten += r.cutAppendWritten;
      tally_.cutDeletesDone += r.cutDeleteDone;
      tally_.cutRekeysDone += r.cutRekeyDone;
    }
    return !HasFailure();
  }

  static int CompletedAppends(const WriterReport& report) {
    return int(std::count_if(report.completed.begin(), report.completed.end(),
                             [](const WriterOp& op) { return op.kind == 'A'; }));
  }

  TempDir temp_;
  Tally tally_;
  int waitsSeen_ = 0;
};

TEST_F(CrashTest, KilledWritersLoseNothingThatReturnedAndReindexMakesTheTablesClean) {
  const int kills = FromEnvironment("DESKPOST_CRASH_KILLS", kDefaultKills);
  const uint32_t seed =
      uint32_t(FromEnvironment("DESKPOST_CRASH_SEED", int(std::time(nullptr) & 0x7FFFFFFF)));
  SCOPED_TRACE("seed " + std::to_string(seed) + " (DESKPOST_CRASH_SEED)");
  std::mt19937 rng(seed);
  const int x1Max = MaxEntriesPerPage(kMessageTable.indexes[0].entryLength);
  const int x2Max = MaxEntriesPerPage(kMessageTable.indexes[1].entryLength);

  // Page 0 of a fresh index holds max - 1 entries and the sentinel before
  // its root moves down; these start a few appends short of that.
  Office offices[kScenarioCount] = {MakeOffice("mixed", 40, seed),
                                    MakeOffice("root-x1", x1Max - 1 - kShortOfMoveDown, seed + 1),
                                    MakeOffice("root-x2", x2Max - 1 - kShortOfMoveDown, seed + 2)};
  Office templates[2] = {offices[1], offices[2]};
  for (int i = 0; i < 2; ++i) {
    templates[i].dir = temp_.Path() + "template" + std::to_string(i) + "/";
    std::filesystem::create_directories(templates[i].dir);
    CopyOffice(offices[i + 1], templates[i]);
  }
  ASSERT_FALSE(HasFailure());

  auto planFor = [&](Scenario s) {
    WriterPlan plan;
    plan.dir = offices[int(s)].dir;
    plan.work = s == Scenario::kMixed ? WriterWork::kMixed : WriterWork::kAppendsOnly;
    plan.operations = s == Scenario::kMixed ? kMixedOperations : kRootOperations;
    plan.seed = uint32_t(rng());
    return plan;
  };
  auto reset = [&](Scenario s) {
    if (s != Scenario::kMixed) CopyOffice(templates[int(s) - 1], offices[int(s)]);
  };

  // DESKPOST_CRASH_UNTRACED=1 tries the way taken where tracing is not allowed.
  const KillMethod method = CanStepSystemCalls() && !FromEnvironment("DESKPOST_CRASH_UNTRACED", 0)
                                ? KillMethod::kAtSystemCall
                                : KillMethod::kAfterLines;

  // How long each kind of run is when nobody kills it: the kills are spread
  // evenly over its system calls (or its lines and time).
  long spans[kScenarioCount] = {};
  long durations[kScenarioCount] = {};
  std::pair<long, long> moveDown[kScenarioCount] = {};
  for (int s = 0; s < kScenarioCount; ++s) {
    std::vector<long> taken;
    for (int i = 0; i < kCalibrationRuns; ++i) {
      reset(Scenario(s));
      WriterRun run = RunAndKill(planFor(Scenario(s)), method, KillPoint{});
      ASSERT_TRUE(run.report.done) << ScenarioName(Scenario(s));
      taken.push_back(run.report.doneMicros);
      spans[s] = method == KillMethod::kAtSystemCall ? run.systemCalls : run.lines;
      if (Scenario(s) != Scenario::kMixed) moveDown[s] = MoveDownWindow(run);
      ASSERT_TRUE(CheckAfterKill(offices[s], run, "uncut run", false));
    }
    std::sort(taken.begin(), taken.end());
    durations[s] = std::max(1L, taken[taken.size() / 2]);
    ASSERT_GT(spans[s], 0);
  }

  // Another workstation keeps the mixed office's table open throughout.
  Table kept(kMessageTable);
  ASSERT_EQ(DbOpenTable(kept, offices[0].dir), 1);

  const auto start = Clock::now();
  int finishedFirst = 0;  // runs whose work ended before the chosen kill point
  for (int k = 0; k < kills;) {
    const Scenario s = k % 5 == 0   ? Scenario::kRootX1
                       : k % 5 == 1 ? Scenario::kRootX2
                                    : Scenario::kMixed;
    reset(s);
    KillPoint at;
    at.target = long(rng() % uint32_t(spans[int(s)]));
    // Every other kill in a root run falls in the append that moves it down.
    const auto [first, end] = moveDown[int(s)];
    if (s != Scenario::kMixed && end > first && k % 10 >= 5)
      at.target = first + long(rng() % uint32_t(end - first));
    // Killed after a line, the writer goes on for up to about one
    // operation's time more.
    if (method == KillMethod::kAfterLines)
      at.micros = long(rng() % uint32_t(3 * durations[int(s)] / spans[int(s)] + 1));
    WriterRun run = RunAndKill(planFor(s), method, at);
    const std::string where =
        "kill point " + std::to_string(k) + " (" + ScenarioName(s) + ", " +
        (method == KillMethod::kAtSystemCall
             ? "system call " + std::to_string(at.target)
             : "line " + std::to_string(at.target) + " + " + std::to_string(at.micros) + " us") +
        " of " + std::to_string(spans[int(s)]) + " after READY)";
    // A run shorter than the one measured may end before the chosen
    // point: still checked, but no kill point.
    const bool killedAtWork = !run.report.done;
    if (!CheckAfterKill(offices[int(s)], run, where, killedAtWork)) break;
    if (s == Scenario::kMixed) {
      SCOPED_TRACE(where);
      ExpectOpenHandleSeesTheFiles(kept, offices[0].dir);
      if (HasFailure()) break;
    }
    if (killedAtWork) {
      ++k;
    } else {
      ASSERT_LT(++finishedFirst, kills) << "the runs keep ending before their kill points";
    }
  }
  DbCloseTable(kept);
  std::printf(
      "crash: %d kill points (%d inside an update bracket, %d more runs ended first), seed %u,"
      " %.1f s, killed %s\n  reindexed and found clean: %d; cut-short appends written: %d,"
      " deletes done: %d, re-keys done: %d\n",
      tally_.tried, tally_.inBracket, finishedFirst, seed,
      std::chrono::duration<double>(Clock::now() - start).count(),
      method == KillMethod::kAtSystemCall ? "at system calls" : "after lines", tally_.reindexed,
      tally_.cutAppendsWritten, tally_.cutDeletesDone, tally_.cutRekeysDone);
  DpadminRun check = RunDpadmin({"check", offices[0].dir}, temp_.Path());
  EXPECT_EQ(check.status, 0) << ShowRun(check);
  EXPECT_EQ(tally_.retryQuestions, 0);
}

}  // namespace
