// The dpadmin program, run as a separate process against real data
// directories: making one, checking it, damaging indexes in the ways a
// crash or a bad disk would, rebuilding them and dumping tables.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/index_page.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/support/file_text.h"
#include "tests/support/lock_holder.h"
#include "tests/tools/admin_test.h"

namespace {

namespace r = records;
using Bytes = std::vector<uint8_t>;

Bytes NameRecord(const std::string& name, int32_t number) {
  Bytes rec(r::name::kRecordSize, 0);
  SetFieldText(rec.data(), r::name::kName, name.c_str());
  SetFieldI32(rec.data(), r::name::kNumber, number);
  return rec;
}

Bytes MessageRecord(int32_t folder, const std::string& to, int32_t time, int32_t number) {
  Bytes rec(r::message::kRecordSize, 0);
  SetFieldByte(rec.data(), r::message::kKind, r::message::kKindMemo);
  SetFieldI32(rec.data(), r::message::kFolder, folder);
  SetFieldI32(rec.data(), r::message::kNumber, number);
  SetFieldText(rec.data(), r::message::kTo, to.c_str());
  SetFieldText(rec.data(), r::message::kFrom, "RECEPTION");
  SetFieldI32(rec.data(), r::message::kTime, time);
  SetFieldText(rec.data(), r::message::kMemoText, "Please call back\rabout the order");
  return rec;
}

// Finds the name through the table's first index: 1 when found exactly.
int FindExact(Table& names, const std::string& name) {
  Bytes rec = NameRecord(name, 0);
  uint8_t key[kEntryBufferSize];
  DbMakeEntry(names, 0, rec.data(), 0, key);
  int exact = 0;
  return DbFind(names, key, &exact) == 1 && exact == 1;
}

std::string NameOf(int i) {
  char name[20];
  std::snprintf(name, sizeof name, "PERSON %03d", i);
  return name;
}

// Raw access to index pages, the way damage finds them.
class RawIndex {
 public:
  explicit RawIndex(const std::string& path) { EXPECT_TRUE(file_.Open(path, OpenMode::kShared)); }
  Bytes Page(uint32_t n) {
    Bytes page(kPageSize, 0);
    file_.ReadAt(int64_t(n) * kPageSize, page.data(), n == 0 ? kPageSize - 1 : kPageSize);
    return page;
  }
  void Write(uint32_t n, const Bytes& page) {
    file_.WriteAt(int64_t(n) * kPageSize, page.data(), n == 0 ? kPageSize - 1 : kPageSize);
  }
  uint32_t Counter() { return PagePrev(Page(0).data()); }
  void SetCounter(uint32_t value) {
    uint8_t bytes[4];
    PutU32(bytes, value);
    file_.WriteAt(kPagePrevOffset, bytes, 4);
  }
  // The page of the first leaf, going down the leftmost path.
  uint32_t FirstLeaf() {
    uint32_t n = 0;
    for (int depth = 0; depth < kMaxTreeDepth; ++depth) {
      Bytes page = Page(n);
      if (PageKind(page.data()) == kPageLeaf) return n;
      n = GetU32(PageEntry(page.data(), 0, 0));
    }
    return n;
  }

 private:
  File file_;
};

class DpadminTest : public AdminTest {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
    office = scratch.File("office/data/");  // two levels create makes on the way
  }

  void Create() { Expect({"create", office}); }
  // Appends a name under the next number the table issues, as adding one does.
  static void AppendName(Table& names, const std::string& name) {
    uint32_t number = 0;
    ASSERT_EQ(GetUniqueNumber(names, &number), 1) << name;
    Bytes rec = NameRecord(name, int32_t(number));
    ASSERT_EQ(DbAppendRecord(names, rec.data()), 1) << name;
  }

  // A directory with enough names for a tree of several leaves and a few
  // messages in two folders.
  void CreateWithData() {
    Create();
    Table names(kNameTable);
    ASSERT_EQ(DbOpenTable(names, office), 1);
    for (int i = 0; i < kNames; ++i) AppendName(names, NameOf(i));
    DbCloseTable(names);
    Table messages(kMessageTable);
    ASSERT_EQ(DbOpenTable(messages, office), 1);
    for (int i = 0; i < kMessages; ++i) {
      // Message numbers come from the table's counter, as a send takes them.
      uint32_t number = 0;
      ASSERT_EQ(GetUniqueNumber(messages, &number), 1) << i;
      Bytes rec = MessageRecord(i % 2 ? 1 : 3, NameOf(i % 7), 1'000'000 + i, int32_t(number));
      ASSERT_EQ(DbAppendRecord(messages, rec.data()), 1) << i;
    }
    DbCloseTable(messages);
    IdxForgetPageBuffer();
  }

  // Every live name is found by its key through the engine.
  void ExpectEveryNameFound() {
    IdxForgetPageBuffer();
    Table names(kNameTable);
    ASSERT_EQ(DbOpenTable(names, office), 1);
    for (int i = 0; i < kNames; ++i) {
      EXPECT_TRUE(FindExact(names, NameOf(i))) << NameOf(i);
      EXPECT_EQ(DbCurrentRecord(names), i);
    }
    DbCloseTable(names);
  }

  void ExpectCheckClean() {
    DpadminRun run = Exits(0, {"check", office});
    EXPECT_EQ(run.err, "");  // no lock was found held, nothing failed to open
    EXPECT_TRUE(Contains(run.out, "no problems found"));
  }

  static constexpr int kNames = 300;  // 72 entries fit a page: five leaves
  static constexpr int kMessages = 40;
};

// ---- create ----

TEST_F(DpadminTest, CreateMakesACompleteDirectoryThatChecksClean) {
  Create();
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    SCOPED_TRACE(def.name);
    std::string data = ReadWholeFile(office + def.name + ".DAT");
    ASSERT_EQ(data.size(), size_t(def.headerSize));
    if (def.headerSize > kVersionOffset) {
      EXPECT_EQ(uint8_t(data[kVersionOffset]), def.version);
    }
    for (int x = 1; x <= def.indexCount; ++x)
      EXPECT_EQ(ReadWholeFile(DbIndexPath(office, def.name, x)).size(), size_t(kPageSize));
    // The engine itself accepts every table.
    Table table(def);
    EXPECT_EQ(DbOpenTable(table, office), 1);
    DbCloseTable(table);
  }
  EXPECT_EQ(ReadWholeFile(office + "CAT.DAT")[kVersionOffset], 6);
  EXPECT_FALSE(ReadWholeFile(office + "DP.EXE").empty());
  EXPECT_TRUE(DirectoryExists(office + "DPE"));
  EXPECT_TRUE(DirectoryExists(office + "SENDLOG"));
  EXPECT_TRUE(FileExists(office + "DPDESK.CFG"));
  EXPECT_TRUE(ReadWholeFile(office + "DPDESK.CFG").empty());
  ExpectCheckClean();
}

TEST_F(DpadminTest, DemoMakesAnOfficeThatChecksCleanAndIsFoundThroughTheEngine) {
  Expect({"demo", office});
  ExpectCheckClean();
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, office), 1);
  EXPECT_TRUE(FindExact(names, "anne"));  // names are found in any letter case
  DbCloseTable(names);
  EXPECT_TRUE(Contains(Expect({"dump", office, "MESSAGE"}), "Lab results are in"));
  // A second demo into the same place is refused like create.
  Exits(1, {"demo", office});
}

// ---- usage and directories ----

TEST_F(DpadminTest, UsageAndDirectoryMistakesAreExplained) {
  DpadminRun help = Exits(0, {"--help"});
  EXPECT_TRUE(Contains(help.out, "dpadmin reindex DIR TABLE|--all"));
  EXPECT_TRUE(help.err.empty());
  Create();
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> told;  // on standard error
  };
  for (const Case& c :
       std::vector<Case>{{{}, {}},
                         {{"frobnicate"}, {}},
                         {{"check"}, {}},
                         {{"reindex", "/tmp"}, {}},
                         {{"dump", "/tmp"}, {}},
                         {{"check", scratch.File("nowhere")}, {"no such directory"}},
                         {{"dump", scratch.Path(), "NAME"}, {"not a DESKpost data directory"}},
                         {{"reindex", office, "PEOPLE"}, {"unknown table: PEOPLE", "SENDLOG"}}}) {
    DpadminRun run = Exits(2, c.args);
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.empty());
    for (const std::string& text : c.told) EXPECT_TRUE(Contains(run.err, text));
  }
}

TEST_F(DpadminTest, CheckReportsAWrongDirectoryVersion) {
  Create();
  File cat;
  ASSERT_TRUE(cat.Open(office + "CAT.DAT", OpenMode::kShared));
  uint8_t five = 5;
  cat.WriteAt(kVersionOffset, &five, 1);
  cat.Close();
  EXPECT_TRUE(Contains(Exits(1, {"check", office}).out, "CAT.DAT: version 5, expected 6"));
  EXPECT_TRUE(Contains(Exits(2, {"reindex", office, "CAT"}).err, "version"));
}

TEST_F(DpadminTest, CheckReportsARecordFileWithAPartialSlot) {
  CreateWithData();
  ASSERT_EQ(truncate((office + "NAME.DAT").c_str(),
                     r::name::kHeaderSize + kNames * r::name::kRecordSize - 100),
            0);
  const std::string out = Exits(1, {"check", office, "NAME"}).out;
  EXPECT_TRUE(Contains(out, "NAME.DAT: length"));
  // The last record's slot is no longer whole: its entry points nowhere.
  EXPECT_TRUE(Contains(out, "entry for record 299, which does not exist"));
}

// ---- damage, check and reindex ----

// Damage done to a data directory behind the engine's back, what check
// reports for the table, and a reindex that mends it.
struct Damage {
  const char* name;
  const char* table;
  std::function<void(const std::string& dir)> apply;
  std::vector<std::string> reported;
  std::vector<std::string> notReported = {};
  bool everyNameStays = true;
};

void PrintTo(const Damage& d, std::ostream* os) {
  *os << d.name;
}

class DpadminTestDamage : public DpadminTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DpadminTestDamage, IsReportedWithoutHangingAndRebuilt) {
  const Damage& d = GetParam();
  CreateWithData();
  d.apply(office);
  const std::string out = Exits(1, {"check", office, d.table}).out;
  for (const std::string& text : d.reported) EXPECT_TRUE(Contains(out, text));
  for (const std::string& text : d.notReported) EXPECT_FALSE(Contains(out, text));
  Expect({"reindex", office, d.table});
  EXPECT_FALSE(FileExists(office + d.table + ".X1.new"));
  ExpectCheckClean();
  if (std::string(d.table) == "NAME" && d.everyNameStays) ExpectEveryNameFound();
}

// A page of the names index changed in place.
void ChangeLeaf(const std::string& dir, const std::function<void(Bytes& page)>& change) {
  RawIndex index(dir + "NAME.X1");
  uint32_t leaf = index.FirstLeaf();
  ASSERT_NE(leaf, 0u) << "the names should fill more than one page";
  Bytes page = index.Page(leaf);
  change(page);
  index.Write(leaf, page);
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DpadminTestDamage,
    ::testing::Values(
        Damage{
            "TruncatedIndex",
            "NAME",
            [](const std::string& dir) { ASSERT_EQ(truncate((dir + "NAME.X1").c_str(), 1000), 0); },
            {"NAME.X1: "}},
        Damage{"FlippedBytes",
               "NAME",
               [](const std::string& dir) {
                 ChangeLeaf(dir, [](Bytes& page) {
                   uint8_t* entry = PageEntry(page.data(), 3, r::name::x1::kLength);
                   entry[r::name::x1::kName.offset + 1] ^= 0x20;  // "PERSON 003" -> "PxRSON 003"
                   entry[r::name::x1::kName.offset + 7] = 'Z';
                 });
               },
               {"NAME.X1: entry for record 3 has the key", "key not above the key before it"}},
        Damage{"EntryRemovedByLoweringAPageCount",
               "NAME",
               [](const std::string& dir) {
                 ChangeLeaf(dir, [](Bytes& page) {
                   PutU16(page.data() + kPageCountOffset, uint16_t(PageCount(page.data()) - 1));
                 });
               },
               {"has no entry", "is not the greatest key under"}},
        // The second child points back at the root, a leaf is marked free and
        // a stray page hangs off the end of the file.
        Damage{"LinksAndKinds",
               "NAME",
               [](const std::string& dir) {
                 {
                   RawIndex index(dir + "NAME.X1");
                   Bytes root = index.Page(0);
                   ASSERT_EQ(PageKind(root.data()), kPageBranch);
                   PutU32(PageEntry(root.data(), 1, r::name::x1::kLength), 0);
                   index.Write(0, root);
                 }
                 ChangeLeaf(dir, [](Bytes& page) { page[kPageKindOffset] = kPageFree; });
                 File raw;
                 ASSERT_TRUE(raw.Open(dir + "NAME.X1", OpenMode::kShared));
                 Bytes stray(kPageSize, 0);
                 raw.WriteAt(raw.Size(), stray.data(), stray.size());
               },
               {"page 0 is reached twice in the tree", "has kind 255 in the tree",
                "is neither in the tree nor on the free list"}},
        Damage{"FreeListIntoTheTree",
               "NAME",
               [](const std::string& dir) {
                 RawIndex index(dir + "NAME.X1");
                 uint32_t leaf = index.FirstLeaf();
                 Bytes root = index.Page(0);
                 PutU32(root.data() + kPageNextOffset,
                        leaf);  // the free-list head
                 index.Write(0, root);
               },
               {"is both in the tree and on the free list"}},
        // Two free pages at the end of the file, each naming the other.
        Damage{"FreeListLoop",
               "NAME",
               [](const std::string& dir) {
                 File raw;
                 ASSERT_TRUE(raw.Open(dir + "NAME.X1", OpenMode::kShared));
                 const uint32_t first = uint32_t(raw.Size() / kPageSize);
                 for (uint32_t p : {first, first + 1}) {
                   Bytes page(kPageSize, 0);
                   page[kPageKindOffset] = kPageFree;
                   PutU32(page.data() + kPageNextOffset, p == first ? first + 1 : first);
                   raw.WriteAt(int64_t(p) * kPageSize, page.data(), page.size());
                 }
                 raw.Close();
                 RawIndex index(dir + "NAME.X1");
                 Bytes root = index.Page(0);
                 PutU32(root.data() + kPageNextOffset, first);
                 index.Write(0, root);
               },
               {"the free list loops back to"}},
        // An entry left for a record deleted since: the index as it was
        // before the delete.
        Damage{"EntryOfADeletedRecord",
               "NAME",
               [](const std::string& dir) {
                 const std::string before = ReadWholeFile(dir + "NAME.X1");
                 Table names(kNameTable);
                 ASSERT_EQ(DbOpenTable(names, dir), 1);
                 Bytes rec(r::name::kRecordSize, 0);
                 ASSERT_EQ(DbReadRecord(names, 5, rec.data()), 1);
                 ASSERT_EQ(DbDeleteRecord(names, rec.data(), 5), 1);
                 DbCloseTable(names);
                 WriteWholeFile(dir + "NAME.X1", before);
               },
               {"NAME.X1: entry for record 5, which is deleted"},
               {},
               false},
        // An empty index: every record lacks its entry, and past a hundred
        // lines the rest are counted.
        Damage{"EmptiedIndex",
               "NAME",
               [](const std::string& dir) {
                 TempDir other;
                 Table names(kNameTable);
                 ASSERT_EQ(DbCreateTable(names, other.Path(), kNameTable.version), 1);
                 WriteWholeFile(dir + "NAME.X1",
                                ReadWholeFile(DbIndexPath(other.Path(), "NAME", 1)));
               },
               {"NAME.X1: record 0 has no entry", "NAME.X1: 200 more problems not shown"}},
        Damage{"MissingIndex",
               "MESSAGE",
               [](const std::string& dir) { ASSERT_EQ(unlink((dir + "MESSAGE.X2").c_str()), 0); },
               {"MESSAGE.X2: missing"}},
        // The urgent flag is copied into the list entry; changing it in place
        // without re-keying leaves the list showing the old flags.
        Damage{"StaleEntry",
               "MESSAGE",
               [](const std::string& dir) {
                 Table messages(kMessageTable);
                 ASSERT_EQ(DbOpenTable(messages, dir), 1);
                 Bytes rec(r::message::kRecordSize, 0);
                 ASSERT_EQ(DbReadRecord(messages, 4, rec.data()), 1);
                 SetFieldByte(rec.data(), r::message::kFlags, r::message::kFlagUrgent);
                 ASSERT_EQ(DbWriteRecord(messages, 4, rec.data()), 1);
                 DbCloseTable(messages);
               },
               {"MESSAGE.X1: entry for record 4 carries stale copies"},
               {"MESSAGE.X2"}}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(DpadminTest, AnInterruptedUpdateIsReportedAndTheRebuiltIndexOpensAgain) {
  CreateWithData();
  RawIndex(office + "MESSAGE.X1").SetCounter(kCounterUpdating);
  Table messages(kMessageTable);
  EXPECT_EQ(DbOpenTable(messages, office), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);

  const std::string out = Exits(1, {"check", office}).out;
  EXPECT_TRUE(Contains(out, "MESSAGE.X1: an update was cut short"));
  EXPECT_FALSE(Contains(out, "MESSAGE.X2"));

  Expect({"reindex", office, "--all"});
  ExpectCheckClean();
  // After an interrupted update the counter starts afresh: it must not be
  // the marker, and (see below) not a value a workstation may remember.
  EXPECT_NE(RawIndex(office + "MESSAGE.X1").Counter(), kCounterUpdating);
  IdxForgetPageBuffer();
  ASSERT_EQ(DbOpenTable(messages, office), 1);
  ASSERT_EQ(DbFirst(messages), 1);
  int walked = 0;
  while (DbCurrentRecord(messages) != -1 && walked <= kMessages) {
    ++walked;
    ASSERT_EQ(DbNext(messages), 1);
  }
  EXPECT_EQ(walked, kMessages);
  DbCloseTable(messages);
}

TEST_F(DpadminTest, ReindexRaisesTheChangeCounterSoWalkersElsewhereResynchronise) {
  CreateWithData();
  ExpectCheckClean();  // tables filled through the engine
  uint32_t before = RawIndex(office + "NAME.X1").Counter();
  ASSERT_NE(before, kCounterUpdating);
  Expect({"reindex", office, "NAME"});
  EXPECT_EQ(RawIndex(office + "NAME.X1").Counter(), before + 1);
}

TEST_F(DpadminTest, ReindexReplacesTheContentSoHandlesOpenElsewhereStayOnTheLiveFile) {
  CreateWithData();
  struct stat before;
  ASSERT_EQ(stat((office + "NAME.X1").c_str(), &before), 0);
  // Another workstation has the table open while the index is rebuilt.
  Table open(kNameTable);
  ASSERT_EQ(DbOpenTable(open, office), 1);
  Expect({"reindex", office, "NAME"});
  struct stat after;
  ASSERT_EQ(stat((office + "NAME.X1").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  // What that workstation adds afterwards lands in the file everybody reads.
  IdxForgetPageBuffer();
  AppendName(open, "LATECOMER");
  DbCloseTable(open);
  ExpectCheckClean();
  EXPECT_TRUE(Contains(Expect({"dump", office, "NAME"}), "name=\"LATECOMER\""));
}

// A workstation's append cut short inside its index update: the record is
// written, the index marked as being updated, nothing more.
void AppendCutShort(const std::string& dir, const Bytes& record) {
  File data;
  ASSERT_TRUE(data.Open(dir + "NAME.DAT", OpenMode::kShared));
  ASSERT_EQ(data.WriteAt(data.Size(), record.data(), record.size()), long(record.size()));
  RawIndex(dir + "NAME.X1").SetCounter(kCounterUpdating);
}

TEST_F(DpadminTest, AHandleOpenAcrossRebuildsAfterInterruptedUpdatesSeesTheRebuiltIndex) {
  CreateWithData();
  // An interrupted update, rebuilt; then a workstation opens the table and
  // finds a name, which leaves it knowing the rebuilt index.
  RawIndex(office + "NAME.X1").SetCounter(kCounterUpdating);
  Expect({"reindex", office, "NAME"});
  Table open(kNameTable);
  ASSERT_EQ(DbOpenTable(open, office), 1);
  ASSERT_TRUE(FindExact(open, NameOf(50)));

  // Another workstation dies inside its append of a name next to that one,
  // and the index is rebuilt again while the first still has it open.
  uint32_t numbers[2] = {};
  ASSERT_EQ(GetUniqueNumber(open, &numbers[0]), 1);
  ASSERT_EQ(GetUniqueNumber(open, &numbers[1]), 1);
  Bytes late = NameRecord(NameOf(50) + "A", int32_t(numbers[0]));
  AppendCutShort(office, late);
  Expect({"reindex", office, "NAME"});

  EXPECT_TRUE(FindExact(open, NameOf(50) + "A"))
      << "the rebuilt index holds the name, but the open "
         "handle does not see it";
  Bytes next = NameRecord(NameOf(50) + "B", int32_t(numbers[1]));
  ASSERT_EQ(DbAppendRecord(open, next.data()), 1);
  DbCloseTable(open);
  ExpectCheckClean();
}

TEST_F(DpadminTest, ReindexWaitsForAnIndexOperationRunningElsewhere) {
  CreateWithData();
  ASSERT_EQ(truncate((office + "NAME.X1").c_str(), 1000), 0);
  LockHolder other(office + "NAME.X1", kIndexLockByte);
  ASSERT_TRUE(other.Held());
  auto reindex = std::async(std::launch::async, [&] { return Run({"reindex", office, "NAME"}); });
  EXPECT_EQ(reindex.wait_for(std::chrono::milliseconds(700)), std::future_status::timeout);
  EXPECT_EQ(ReadWholeFile(office + "NAME.X1").size(),
            1000u);  // untouched while held
  other.Release();
  DpadminRun run = reindex.get();
  ASSERT_EQ(run.status, 0) << ShowRun(run);
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, CollidingKeysAreReportedAndLeftOutOfTheRebuiltIndex) {
  CreateWithData();
  // A record written behind the engine's back with a name that differs from
  // an existing one only in letter case.
  {
    File raw;
    ASSERT_TRUE(raw.Open(office + "NAME.DAT", OpenMode::kShared));
    Bytes twin = NameRecord("person 007", 5000);
    raw.WriteAt(raw.Size(), twin.data(), twin.size());
  }
  const std::string out = Exits(1, {"reindex", office, "NAME"}).out;
  EXPECT_TRUE(Contains(out, "NAME.X1: record 300 left out"));
  EXPECT_TRUE(Contains(out, "already taken by record 7"));
  EXPECT_TRUE(Contains(out, "\"person 007\""));
  // The record is still there, and check keeps saying it lacks its entry.
  EXPECT_TRUE(
      Contains(Exits(1, {"check", office, "NAME"}).out, "NAME.X1: record 300 has no entry"));
  ExpectEveryNameFound();
}

// ---- dump ----

TEST_F(DpadminTest, DumpShowsHeaderRecordsAndEntriesInIndexOrder) {
  Create();
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, office), 1);
  for (const char* n : {"ZOE", "*SALES", "adam"}) AppendName(names, n);
  // Record 1 is deleted.
  Bytes sales = NameRecord("*SALES", 2);
  ASSERT_EQ(DbDeleteRecord(names, sales.data(), 1), 1);
  DbCloseTable(names);

  const std::string dump = Expect({"dump", office, "name"});
  EXPECT_TRUE(Contains(dump, "unique number 3, version 1"));
  EXPECT_FALSE(Contains(dump, "SALES"));
  // In index order.
  const size_t zoe = dump.find("  record 0: name=\"ZOE\" number=1");
  ASSERT_NE(zoe, std::string::npos) << dump;
  EXPECT_LT(dump.find("  record 2: name=\"adam\" number=3"), zoe) << dump;
  EXPECT_TRUE(Contains(Expect({"dump", office, "NAME", "--all"}), "record 1 (deleted)"));
}

TEST_F(DpadminTest, DumpShowsMultiLineTextOnOneLine) {
  CreateWithData();
  const std::string dump = Expect({"dump", office, "MESSAGE"});
  EXPECT_TRUE(Contains(dump, "text=\"Please call back\\rabout the order\""));
  EXPECT_TRUE(Contains(dump, "MESSAGE.X2: 40 entries"));
}

}  // namespace
