// The dpadmin program, run as a separate process against real data
// directories: making one, checking it, damaging indexes in the ways a
// crash or a bad disk would, rebuilding them and dumping tables.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/index_page.h"
#include "storage/records/message.h"
#include "storage/records/name.h"
#include "tests/support/lock_holder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace r = records;
using Bytes = std::vector<uint8_t>;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Starts dpadmin with the arguments, its output going to files of the
// test's own directory; Finish() waits for it and collects what it wrote.
pid_t StartDpadmin(const TempDir& scratch, const std::vector<std::string>& args) {
  pid_t child = fork();
  if (child == 0) {
    int out = open(scratch.File("dpadmin.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(scratch.File("dpadmin.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0) _exit(127);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(DPADMIN_PATH));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(DPADMIN_PATH, argv.data());
    _exit(127);
  }
  return child;
}

bool StillRunning(pid_t child) {
  int status = 0;
  return waitpid(child, &status, WNOHANG) == 0;
}

Result Finish(const TempDir& scratch, pid_t child) {
  Result run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
    run.status = WEXITSTATUS(status);
  run.out = ReadWholeFile(scratch.File("dpadmin.out"));
  run.err = ReadWholeFile(scratch.File("dpadmin.err"));
  return run;
}

Result Dpadmin(const TempDir& scratch, const std::vector<std::string>& args) {
  return Finish(scratch, StartDpadmin(scratch, args));
}

std::string Show(const Result& run) {
  return "exit " + std::to_string(run.status) + "\nstdout:\n" + run.out + "stderr:\n" + run.err;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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

class DpadminTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DbSetErrorReporter(nullptr);
    DbSetLockRetry(nullptr);
    IdxSetLockRetry(nullptr);
  }

  std::string Dir() const { return dir.Path() + "data/"; }

  Result Admin(std::vector<std::string> args) { return Dpadmin(scratch, args); }

  void Create() {
    Result run = Admin({"create", Dir()});
    ASSERT_EQ(run.status, 0) << Show(run);
  }

  // A directory with enough names for a tree of several leaves and a few
  // messages in two folders.
  void CreateWithData() {
    Create();
    Table names(kNameTable);
    ASSERT_EQ(DbOpenTable(names, Dir()), 1);
    for (int i = 0; i < kNames; ++i) {
      Bytes rec = NameRecord(NameOf(i), i + 1);
      ASSERT_EQ(DbAppendRecord(names, rec.data()), 1) << i;
    }
    DbCloseTable(names);
    Table messages(kMessageTable);
    ASSERT_EQ(DbOpenTable(messages, Dir()), 1);
    for (int i = 0; i < kMessages; ++i) {
      Bytes rec = MessageRecord(i % 2 ? 1 : 3, NameOf(i % 7), 1'000'000 + i, i + 1);
      ASSERT_EQ(DbAppendRecord(messages, rec.data()), 1) << i;
    }
    DbCloseTable(messages);
    IdxForgetPageBuffer();
  }

  // Every live name is found by its key through the engine.
  void ExpectEveryNameFound() {
    IdxForgetPageBuffer();
    Table names(kNameTable);
    ASSERT_EQ(DbOpenTable(names, Dir()), 1);
    for (int i = 0; i < kNames; ++i) {
      Bytes rec = NameRecord(NameOf(i), 0);
      uint8_t key[kEntryBufferSize];
      DbMakeEntry(names, 0, rec.data(), 0, key);
      int exact = 0;
      ASSERT_EQ(DbFind(names, key, &exact), 1) << i;
      EXPECT_EQ(exact, 1) << NameOf(i);
      EXPECT_EQ(DbCurrentRecord(names), i);
    }
    DbCloseTable(names);
  }

  void ExpectCheckClean() {
    Result run = Admin({"check", Dir()});
    EXPECT_EQ(run.status, 0) << Show(run);
  }

  static constexpr int kNames = 300;  // 72 entries fit a page: five leaves
  static constexpr int kMessages = 40;
  TempDir dir;
  TempDir scratch;
};

// ---- create ----

TEST_F(DpadminTest, CreateMakesACompleteDirectoryThatChecksClean) {
  Create();
  for (int i = 0; i < kCatalogueSize; ++i) {
    const TableDef& def = *CatalogueTables()[i];
    SCOPED_TRACE(def.name);
    std::string data = ReadWholeFile(Dir() + def.name + ".DAT");
    ASSERT_EQ(data.size(), size_t(def.headerSize));
    if (def.headerSize > kVersionOffset) {
      EXPECT_EQ(uint8_t(data[kVersionOffset]), def.version);
    }
    for (int x = 1; x <= def.indexCount; ++x)
      EXPECT_EQ(ReadWholeFile(DbIndexPath(Dir(), def.name, x)).size(), size_t(kPageSize));
    // The engine itself accepts every table.
    Table table(def);
    EXPECT_EQ(DbOpenTable(table, Dir()), 1);
    DbCloseTable(table);
  }
  EXPECT_EQ(ReadWholeFile(Dir() + "CAT.DAT")[kVersionOffset], 6);
  EXPECT_FALSE(ReadWholeFile(Dir() + "DP.EXE").empty());
  EXPECT_TRUE(DirectoryExists(Dir() + "DPE"));
  EXPECT_TRUE(DirectoryExists(Dir() + "SENDLOG"));
  EXPECT_TRUE(FileExists(Dir() + "DPDESK.CFG"));
  EXPECT_TRUE(ReadWholeFile(Dir() + "DPDESK.CFG").empty());
  ExpectCheckClean();
}

TEST_F(DpadminTest, DemoMakesAnOfficeThatChecksCleanAndIsFoundThroughTheEngine) {
  Result run = Admin({"demo", Dir()});
  ASSERT_EQ(run.status, 0) << Show(run);
  ExpectCheckClean();
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, Dir()), 1);
  Bytes anne = NameRecord("anne", 0);  // names are found in any letter case
  uint8_t key[kEntryBufferSize];
  DbMakeEntry(names, 0, anne.data(), 0, key);
  int exact = 0;
  ASSERT_EQ(DbFind(names, key, &exact), 1);
  EXPECT_EQ(exact, 1);
  DbCloseTable(names);
  Result dump = Admin({"dump", Dir(), "MESSAGE"});
  EXPECT_TRUE(Contains(dump.out, "Lab results are in")) << Show(dump);
  // A second demo into the same place is refused like create.
  EXPECT_EQ(Admin({"demo", Dir()}).status, 1);
}

TEST_F(DpadminTest, CreateMakesMissingDirectoriesOnTheWay) {
  Result run = Admin({"create", dir.Path() + "office/shared/dp"});
  ASSERT_EQ(run.status, 0) << Show(run);
  EXPECT_TRUE(FileExists(dir.Path() + "office/shared/dp/CAT.DAT"));
}

TEST_F(DpadminTest, CreateRefusesAnExistingDataDirectoryAndLeavesItAlone) {
  CreateWithData();
  Result again = Admin({"create", Dir()});
  EXPECT_EQ(again.status, 1) << Show(again);
  EXPECT_TRUE(Contains(again.err, "--force")) << again.err;
  EXPECT_EQ(ReadWholeFile(Dir() + "NAME.DAT").size(),
            size_t(r::name::kHeaderSize + kNames * r::name::kRecordSize));
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, CreateWithForceEmptiesEveryTableAndDropsFilesOfOldNumbers) {
  CreateWithData();
  {
    std::FILE* f = std::fopen((Dir() + "DPE/1.DPE").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("an old e-mail", f);
    std::fclose(f);
    f = std::fopen((Dir() + "5.nam").c_str(), "w");
    std::fclose(f);
    f = std::fopen((Dir() + "DPDESK.CFG").c_str(), "w");
    std::fputs("POLLTIME=3\n", f);
    std::fclose(f);
  }
  Result run = Admin({"create", Dir(), "--force"});
  ASSERT_EQ(run.status, 0) << Show(run);
  EXPECT_EQ(ReadWholeFile(Dir() + "NAME.DAT").size(), size_t(r::name::kHeaderSize));
  EXPECT_EQ(ReadWholeFile(Dir() + "MESSAGE.DAT").size(), size_t(r::message::kHeaderSize));
  // New message 1 must not find the old message 1's body, nor new user 5
  // the old user's flag.
  EXPECT_FALSE(FileExists(Dir() + "DPE/1.DPE"));
  EXPECT_FALSE(FileExists(Dir() + "5.nam"));
  EXPECT_EQ(ReadWholeFile(Dir() + "DPDESK.CFG"), "POLLTIME=3\n");
  ExpectCheckClean();
}

// ---- usage and directories ----

TEST_F(DpadminTest, HelpGoesToStandardOutput) {
  Result run = Admin({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Contains(run.out, "dpadmin reindex DIR TABLE|--all"));
  EXPECT_TRUE(run.err.empty());
}

TEST_F(DpadminTest, BadUsageIsExplainedOnStandardError) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"frobnicate"}, {"check"}, {"reindex", "/tmp"}, {"dump", "/tmp"}}) {
    Result run = Admin(args);
    EXPECT_EQ(run.status, 2) << Show(run);
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.empty());
  }
}

TEST_F(DpadminTest, AMissingDirectoryIsNamedAsSuch) {
  Result run = Admin({"check", dir.Path() + "nowhere"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "no such directory")) << run.err;
}

TEST_F(DpadminTest, ADirectoryWithoutMarkerOrCatalogueIsNotADataDirectory) {
  Result run = Admin({"dump", dir.Path(), "NAME"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "not a DESKpost data directory")) << run.err;
}

TEST_F(DpadminTest, AnUnknownTableIsRefusedWithTheKnownNames) {
  Create();
  Result run = Admin({"reindex", Dir(), "PEOPLE"});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Contains(run.err, "unknown table: PEOPLE")) << run.err;
  EXPECT_TRUE(Contains(run.err, "SENDLOG")) << run.err;
}

TEST_F(DpadminTest, CheckReportsAWrongDirectoryVersion) {
  Create();
  File cat;
  ASSERT_TRUE(cat.Open(Dir() + "CAT.DAT", OpenMode::kShared));
  uint8_t five = 5;
  cat.WriteAt(kVersionOffset, &five, 1);
  cat.Close();
  Result run = Admin({"check", Dir()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.out, "CAT.DAT: version 5, expected 6")) << run.out;
  Result reindex = Admin({"reindex", Dir(), "CAT"});
  EXPECT_EQ(reindex.status, 2) << Show(reindex);
  EXPECT_TRUE(Contains(reindex.err, "version")) << reindex.err;
}

TEST_F(DpadminTest, CheckReportsARecordFileWithAPartialSlot) {
  CreateWithData();
  ASSERT_EQ(truncate((Dir() + "NAME.DAT").c_str(),
                     r::name::kHeaderSize + kNames * r::name::kRecordSize - 100),
            0);
  Result run = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.out, "NAME.DAT: length")) << run.out;
  // The last record's slot is no longer whole: its entry points nowhere.
  EXPECT_TRUE(Contains(run.out, "entry for record 299, which does not exist")) << run.out;
}

// ---- damage, check and reindex ----

TEST_F(DpadminTest, ATableFilledThroughTheEngineChecksClean) {
  CreateWithData();
  ExpectCheckClean();
}

TEST_F(DpadminTest, ATruncatedIndexIsReportedAndRebuilt) {
  CreateWithData();
  ASSERT_EQ(truncate((Dir() + "NAME.X1").c_str(), 1000), 0);
  Result check = Admin({"check", Dir()});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "NAME.X1: ")) << check.out;

  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  EXPECT_FALSE(FileExists(Dir() + "NAME.X1.new"));
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, AnEntryWithFlippedBytesIsReportedAndRebuilt) {
  CreateWithData();
  {
    RawIndex index(Dir() + "NAME.X1");
    uint32_t leaf = index.FirstLeaf();
    Bytes page = index.Page(leaf);
    uint8_t* entry = PageEntry(page.data(), 3, r::name::x1::kLength);
    entry[r::name::x1::kName.offset + 1] ^= 0x20;  // "PERSON 003" -> "PxRSON 003"
    entry[r::name::x1::kName.offset + 7] = 'Z';
    index.Write(leaf, page);
  }
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "NAME.X1: entry for record 3 has the key")) << check.out;
  EXPECT_TRUE(Contains(check.out, "key not above the key before it")) << check.out;

  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, AnInterruptedUpdateIsReportedAndTheRebuiltIndexOpensAgain) {
  CreateWithData();
  uint32_t before;
  {
    RawIndex index(Dir() + "MESSAGE.X1");
    before = index.Counter();
    index.SetCounter(kCounterUpdating);
  }
  Table messages(kMessageTable);
  EXPECT_EQ(DbOpenTable(messages, Dir()), 0);
  EXPECT_EQ(IdxGetError(), kIdxCorrupt);

  Result check = Admin({"check", Dir()});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "MESSAGE.X1: an update was cut short")) << check.out;
  EXPECT_FALSE(Contains(check.out, "MESSAGE.X2")) << check.out;

  Result reindex = Admin({"reindex", Dir(), "--all"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
  // After an interrupted update the counter starts afresh: it must not be
  // the marker, and (see below) not a value a workstation may remember.
  EXPECT_NE(RawIndex(Dir() + "MESSAGE.X1").Counter(), kCounterUpdating);
  (void)before;
  IdxForgetPageBuffer();
  ASSERT_EQ(DbOpenTable(messages, Dir()), 1);
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
  uint32_t before = RawIndex(Dir() + "NAME.X1").Counter();
  ASSERT_NE(before, kCounterUpdating);
  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  EXPECT_EQ(RawIndex(Dir() + "NAME.X1").Counter(), before + 1);
}

TEST_F(DpadminTest, AnEntryRemovedByLoweringAPageCountIsReportedAndRebuilt) {
  CreateWithData();
  {
    RawIndex index(Dir() + "NAME.X1");
    uint32_t leaf = index.FirstLeaf();
    ASSERT_NE(leaf, 0u) << "the names should fill more than one page";
    Bytes page = index.Page(leaf);
    PutU16(page.data() + kPageCountOffset, uint16_t(PageCount(page.data()) - 1));
    index.Write(leaf, page);
  }
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "has no entry")) << check.out;
  EXPECT_TRUE(Contains(check.out, "is not the greatest key under")) << check.out;

  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, DamagedLinksAndKindsAreReportedWithoutHanging) {
  CreateWithData();
  {
    RawIndex index(Dir() + "NAME.X1");
    Bytes root = index.Page(0);
    ASSERT_EQ(PageKind(root.data()), kPageBranch);
    // The second child now points back at the root, the free list at
    // itself, and a stray page hangs off the end of the file.
    PutU32(PageEntry(root.data(), 1, r::name::x1::kLength), 0);
    index.Write(0, root);
    uint32_t leaf = index.FirstLeaf();
    Bytes page = index.Page(leaf);
    page[kPageKindOffset] = kPageFree;
    index.Write(leaf, page);
  }
  {
    File raw;
    ASSERT_TRUE(raw.Open(Dir() + "NAME.X1", OpenMode::kShared));
    Bytes stray(kPageSize, 0);
    raw.WriteAt(raw.Size(), stray.data(), stray.size());
  }
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "page 0 is reached twice in the tree")) << check.out;
  EXPECT_TRUE(Contains(check.out, "has kind 255 in the tree")) << check.out;
  EXPECT_TRUE(Contains(check.out, "is neither in the tree nor on the free list")) << check.out;

  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, AFreeListThatRunsIntoTheTreeIsReported) {
  CreateWithData();
  {
    RawIndex index(Dir() + "NAME.X1");
    uint32_t leaf = index.FirstLeaf();
    Bytes root = index.Page(0);
    PutU32(root.data() + kPageNextOffset, leaf);  // the free-list head
    index.Write(0, root);
  }
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "is both in the tree and on the free list")) << check.out;
  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
}

TEST_F(DpadminTest, AFreeListThatLoopsIsReportedWithoutHanging) {
  CreateWithData();
  {
    File raw;
    ASSERT_TRUE(raw.Open(Dir() + "NAME.X1", OpenMode::kShared));
    // Two free pages at the end of the file, each naming the other.
    const uint32_t first = uint32_t(raw.Size() / kPageSize);
    for (uint32_t p : {first, first + 1}) {
      Bytes page(kPageSize, 0);
      page[kPageKindOffset] = kPageFree;
      PutU32(page.data() + kPageNextOffset, p == first ? first + 1 : first);
      raw.WriteAt(int64_t(p) * kPageSize, page.data(), page.size());
    }
    raw.Close();
    RawIndex index(Dir() + "NAME.X1");
    Bytes root = index.Page(0);
    PutU32(root.data() + kPageNextOffset, first);
    index.Write(0, root);
  }
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "the free list loops back to")) << check.out;
}

TEST_F(DpadminTest, AMissingIndexIsReportedAndMadeAgain) {
  CreateWithData();
  ASSERT_EQ(unlink((Dir() + "MESSAGE.X2").c_str()), 0);
  Result check = Admin({"check", Dir(), "MESSAGE"});
  EXPECT_EQ(check.status, 1);
  EXPECT_TRUE(Contains(check.out, "MESSAGE.X2: missing")) << check.out;
  Result reindex = Admin({"reindex", Dir(), "MESSAGE"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
}

TEST_F(DpadminTest, ReindexReplacesTheContentSoHandlesOpenElsewhereStayOnTheLiveFile) {
  CreateWithData();
  struct stat before;
  ASSERT_EQ(stat((Dir() + "NAME.X1").c_str(), &before), 0);
  // Another workstation has the table open while the index is rebuilt.
  Table open(kNameTable);
  ASSERT_EQ(DbOpenTable(open, Dir()), 1);
  Result reindex = Admin({"reindex", Dir(), "NAME"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  struct stat after;
  ASSERT_EQ(stat((Dir() + "NAME.X1").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);

  // What that workstation adds afterwards lands in the file everybody reads.
  IdxForgetPageBuffer();
  Bytes late = NameRecord("LATECOMER", 9999);
  ASSERT_EQ(DbAppendRecord(open, late.data()), 1);
  DbCloseTable(open);
  ExpectCheckClean();
  Result dump = Admin({"dump", Dir(), "NAME"});
  EXPECT_TRUE(Contains(dump.out, "name=\"LATECOMER\"")) << dump.out;
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
  RawIndex(Dir() + "NAME.X1").SetCounter(kCounterUpdating);
  ASSERT_EQ(Admin({"reindex", Dir(), "NAME"}).status, 0);
  Table open(kNameTable);
  ASSERT_EQ(DbOpenTable(open, Dir()), 1);
  uint8_t key[kEntryBufferSize];
  Bytes probe = NameRecord(NameOf(50), 0);
  DbMakeEntry(open, 0, probe.data(), 0, key);
  int exact = 0;
  ASSERT_EQ(DbFind(open, key, &exact), 1);
  ASSERT_EQ(exact, 1);

  // Another workstation dies inside its append of a name next to that one,
  // and the index is rebuilt again while the first still has it open.
  Bytes late = NameRecord(NameOf(50) + "A", 5000);
  AppendCutShort(Dir(), late);
  ASSERT_EQ(Admin({"reindex", Dir(), "NAME"}).status, 0);

  DbMakeEntry(open, 0, late.data(), 0, key);
  ASSERT_EQ(DbFind(open, key, &exact), 1);
  EXPECT_EQ(exact, 1) << "the rebuilt index holds the name, but the open handle does not see it";
  Bytes next = NameRecord(NameOf(50) + "B", 5001);
  ASSERT_EQ(DbAppendRecord(open, next.data()), 1);
  DbCloseTable(open);
  ExpectCheckClean();
}

TEST_F(DpadminTest, ReindexWaitsForAnIndexOperationRunningElsewhere) {
  CreateWithData();
  ASSERT_EQ(truncate((Dir() + "NAME.X1").c_str(), 1000), 0);
  LockHolder other(Dir() + "NAME.X1", kIndexLockByte);
  ASSERT_TRUE(other.Held());
  pid_t reindex = StartDpadmin(scratch, {"reindex", Dir(), "NAME"});
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_TRUE(StillRunning(reindex));
  EXPECT_EQ(ReadWholeFile(Dir() + "NAME.X1").size(), 1000u);  // untouched while held
  other.Release();
  Result run = Finish(scratch, reindex);
  ASSERT_EQ(run.status, 0) << Show(run);
  ExpectCheckClean();
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, CollidingKeysAreReportedAndLeftOutOfTheRebuiltIndex) {
  CreateWithData();
  // A record written behind the engine's back with a name that differs from
  // an existing one only in letter case.
  {
    File raw;
    ASSERT_TRUE(raw.Open(Dir() + "NAME.DAT", OpenMode::kShared));
    Bytes twin = NameRecord("person 007", 5000);
    raw.WriteAt(raw.Size(), twin.data(), twin.size());
  }
  Result reindex = Admin({"reindex", Dir(), "NAME"});
  EXPECT_EQ(reindex.status, 1) << Show(reindex);
  EXPECT_TRUE(Contains(reindex.out, "NAME.X1: record 300 left out")) << reindex.out;
  EXPECT_TRUE(Contains(reindex.out, "already taken by record 7")) << reindex.out;
  EXPECT_TRUE(Contains(reindex.out, "\"person 007\"")) << reindex.out;
  // The record is still there, and check keeps saying it lacks its entry.
  Result check = Admin({"check", Dir(), "NAME"});
  EXPECT_EQ(check.status, 1);
  EXPECT_TRUE(Contains(check.out, "NAME.X1: record 300 has no entry")) << check.out;
  ExpectEveryNameFound();
}

TEST_F(DpadminTest, AnEntryLeftBehindByARecordChangedWithoutRekeyingIsReported) {
  CreateWithData();
  // The urgent flag is copied into the list entry; changing it in place
  // without re-keying leaves the list showing the old flags.
  Table messages(kMessageTable);
  ASSERT_EQ(DbOpenTable(messages, Dir()), 1);
  Bytes rec(r::message::kRecordSize, 0);
  ASSERT_EQ(DbReadRecord(messages, 4, rec.data()), 1);
  SetFieldByte(rec.data(), r::message::kFlags, r::message::kFlagUrgent);
  ASSERT_EQ(DbWriteRecord(messages, 4, rec.data()), 1);
  DbCloseTable(messages);

  Result check = Admin({"check", Dir(), "MESSAGE"});
  EXPECT_EQ(check.status, 1) << Show(check);
  EXPECT_TRUE(Contains(check.out, "MESSAGE.X1: entry for record 4 carries stale copies"))
      << check.out;
  EXPECT_FALSE(Contains(check.out, "MESSAGE.X2")) << check.out;
  Result reindex = Admin({"reindex", Dir(), "MESSAGE"});
  ASSERT_EQ(reindex.status, 0) << Show(reindex);
  ExpectCheckClean();
}

// ---- dump ----

TEST_F(DpadminTest, DumpShowsHeaderRecordsAndEntriesInIndexOrder) {
  Create();
  Table names(kNameTable);
  ASSERT_EQ(DbOpenTable(names, Dir()), 1);
  uint32_t number = 0;
  for (const char* n : {"ZOE", "*SALES", "adam"}) {
    ASSERT_EQ(GetUniqueNumber(names, &number), 1);
    Bytes rec = NameRecord(n, int32_t(number));
    ASSERT_EQ(DbAppendRecord(names, rec.data()), 1);
  }
  // Record 1 is deleted.
  Bytes sales = NameRecord("*SALES", 2);
  ASSERT_EQ(DbDeleteRecord(names, sales.data(), 1), 1);
  DbCloseTable(names);

  Result dump = Admin({"dump", Dir(), "name"});
  ASSERT_EQ(dump.status, 0) << Show(dump);
  EXPECT_TRUE(Contains(dump.out, "unique number 3, version 1")) << dump.out;
  EXPECT_TRUE(Contains(dump.out, "record 0: name=\"ZOE\" number=1")) << dump.out;
  EXPECT_TRUE(Contains(dump.out, "record 2: name=\"adam\" number=3")) << dump.out;
  EXPECT_FALSE(Contains(dump.out, "SALES")) << dump.out;
  size_t adam = dump.out.find("  record 2: name=\"adam\"");
  size_t zoe = dump.out.find("  record 0: name=\"ZOE\"");
  ASSERT_NE(adam, std::string::npos) << dump.out;
  ASSERT_NE(zoe, std::string::npos) << dump.out;
  EXPECT_LT(adam, zoe);

  Result all = Admin({"dump", Dir(), "NAME", "--all"});
  EXPECT_TRUE(Contains(all.out, "record 1 (deleted)")) << all.out;
}

TEST_F(DpadminTest, DumpShowsMultiLineTextOnOneLine) {
  CreateWithData();
  Result dump = Admin({"dump", Dir(), "MESSAGE"});
  ASSERT_EQ(dump.status, 0) << Show(dump);
  EXPECT_TRUE(Contains(dump.out, "text=\"Please call back\\rabout the order\"")) << dump.out;
  EXPECT_TRUE(Contains(dump.out, "MESSAGE.X2: 40 entries")) << dump.out;
}

}  // namespace
