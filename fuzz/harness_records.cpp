// The records target: a record file of arbitrary length and content, with
// index files built over it by the engine (or the first index taken from
// the input as well), read and changed through the table operations.
//
// Beyond "no crash": every failure carries an engine or index code, no call
// leaves a lock held on the record file or an index, walks end, and what the
// engine reports matches the file: the record count, the bytes of every
// record, the deletion marks, the unique number, and appended and deleted
// records as read back.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "fuzz/harness.h"
#include "fuzz/harness_support.h"
#include "storage/catalogue.h"
#include "storage/database.h"
#include "storage/errors.h"
#include "storage/index_page.h"

namespace {

using harness::Input;
using Bytes = std::vector<uint8_t>;

constexpr size_t kScriptBytes = 64;
constexpr int kMaxOperations = 32;
// Slots read one by one and records indexed when the indexes are built: a
// long file of short records would otherwise make one input slow.
constexpr int32_t kMaxSlotsRead = 2048;
constexpr int32_t kMaxSlotsIndexed = 256;

// Script flags.
constexpr uint8_t kIndexFromInput = 1;  // X1 is the input's bytes after the record file
constexpr uint8_t kRightVersion = 2;    // byte 4 is set to the table's version
constexpr uint8_t kEmptyIndexes = 4;    // the indexes are left empty

class RecordsRun {
 public:
  RecordsRun(Input& in, const std::string& dir, const TableDef& def)
      : in_(in), dir_(dir), def_(def), dataPath_(DbDataPath(dir, def.name)), table_(def) {}

  void Prepare();
  std::string Go();

 private:
  void Before() {
    DbClearError();
    IdxSetError(kIdxOk);
    checks_ = harness::ChecksFailed();
  }
  // Checks made after every call; coded is false for calls that may fail
  // without an error code (a refused record lock).
  void After(const std::string& op, int ok, bool coded = true);

  void Count();
  void ReadEverySlot();
  void UniqueNumber();
  void Walk(bool forward);
  void Skip();
  void Find();
  void Append();
  void Delete();
  void Rekey();
  void Write();
  void Header();
  void LockRecord();
  void Damage();
  void Reopen();

  int32_t SlotsInFile();
  // A record number among the first slots, or just past the last.
  int32_t PickSlot() { return int32_t(in_.U16() % (int64_t(SlotsInFile()) + 2)); }
  Bytes RawSlot(int32_t n);  // record size bytes, zero past the end
  Bytes ScriptRecord();
  // On indexes the engine built and nothing damaged: whether every index
  // holds the record's entry.
  void ExpectEntries(const std::string& op, const Bytes& record, int32_t n, bool present);
  Index* CurrentIndex();

  Input& in_;
  std::string dir_;
  const TableDef& def_;
  std::string dataPath_;
  Table table_;
  unsigned checks_ = 0;
  bool indexesSound_ = false;
  harness::Verdict verdict_;
};

void RecordsRun::After(const std::string& op, int ok, bool coded) {
  if (coded && !ok && !harness::FailedWithCode() && harness::ChecksFailed() == checks_)
    verdict_.Fault(op + " failed without an error code (engine " + std::to_string(DbGetError()) +
                   ", index " + std::to_string(IdxGetError()) + ")");
  if (table_.lockDepth != 0) verdict_.Fault(op + " left the record lock depth above 0");
  if (harness::LockHeld(dataPath_, 0, 0)) verdict_.Fault(op + " left a lock on the record file");
  for (int x = 0; x < def_.indexCount; ++x) {
    if (harness::LockHeld(DbIndexPath(dir_, def_.name, x + 1), kIndexLockByte, 1))
      verdict_.Fault(op + " left the lock of index " + std::to_string(x + 1) + " held");
    const Index& index = table_.indexes[size_t(x)];
    if (index.lockDepth != 0) verdict_.Fault(op + " left an index lock depth above 0");
    const int32_t s = index.positionState;
    if (s != kPosOrdinary && s != kPosEnd && s != kPosBeforeFirst && s != kPosLastReal)
      verdict_.Fault(op + " left position state " + std::to_string(s));
  }
}

int32_t RecordsRun::SlotsInFile() {
  int64_t length = harness::FileLength(dataPath_);
  if (length <= def_.headerSize) return 0;
  return int32_t(std::min<int64_t>((length - def_.headerSize) / def_.recordSize, INT32_MAX));
}

Bytes RecordsRun::RawSlot(int32_t n) {
  Bytes record(size_t(def_.recordSize), 0);
  File file;
  if (n >= 0 && file.Open(dataPath_, OpenMode::kReadOnly))
    file.ReadAt(int64_t(def_.headerSize) + int64_t(n) * def_.recordSize, record.data(),
                record.size() - 1);
  return record;
}

// A record from the file with a few bytes changed by the script.
Bytes RecordsRun::ScriptRecord() {
  Bytes record = RawSlot(in_.U16() % std::max(SlotsInFile(), 1));
  for (int n = in_.Byte() % 6; n > 0; --n) {
    size_t at = size_t(in_.Byte()) % record.size();
    record[at] = in_.Byte();
  }
  if (record[0] == kDeletedMark && (in_.Byte() & 1)) record[0] = 0;
  return record;
}

Index* RecordsRun::CurrentIndex() {
  if (table_.currentIndex < 0 || size_t(table_.currentIndex) >= table_.indexes.size())
    return nullptr;
  return &table_.Current();
}

void RecordsRun::ExpectEntries(const std::string& op, const Bytes& record, int32_t n,
                               bool present) {
  if (!indexesSound_ || !table_.IsOpen()) return;
  for (int x = 0; x < def_.indexCount; ++x) {
    uint8_t entry[kEntryBufferSize];
    DbMakeEntry(table_, x, record.data(), n, entry);
    int exact = 0;
    if (!IdxSearch(table_.indexes[size_t(x)], entry, &exact))
      return verdict_.Fault(op + ": a search of a sound index failed");
    if ((exact == 1 && GetI32(table_.indexes[size_t(x)].currentEntry) == n) != present)
      return verdict_.Fault(
          op + (present ? ": the entry is missing from index " : ": the entry is still in index ") +
          std::to_string(x + 1));
  }
}

void RecordsRun::Count() {
  Before();
  int32_t count = -1;
  int ok = DbRecordCount(table_, &count);
  After("count", ok);
  if (ok && count != SlotsInFile())
    verdict_.Fault("count gave " + std::to_string(count) + " for a file of " +
                   std::to_string(SlotsInFile()) + " whole slots");
}

void RecordsRun::ReadEverySlot() {
  const int32_t slots = SlotsInFile();
  Bytes buffer(size_t(def_.recordSize));
  const int32_t last = int32_t(std::min<int64_t>(int64_t(slots) + 1, kMaxSlotsRead));
  for (int32_t n = -1; n <= last && !verdict_.Failed(); ++n) {
    Before();
    int ok = DbReadRecord(table_, n, buffer.data());
    After("read", ok);
    if (n < 0 && ok) verdict_.Fault("read of record -1 succeeded");
    if (n < 0 || n >= slots || !table_.IsOpen()) continue;
    Bytes raw = RawSlot(n);
    const bool deleted = raw[0] == kDeletedMark;
    if (ok == deleted) {
      verdict_.Fault("read of record " + std::to_string(n) + (ok ? " ignored" : " invented") +
                     " a deletion mark");
    } else if (!std::equal(raw.begin(), raw.end() - 1, buffer.begin())) {
      verdict_.Fault("read of record " + std::to_string(n) + " gave other bytes than the file's");
    } else if (ok && buffer.back() != 0) {
      verdict_.Fault("read left the lock byte of the buffer set");
    } else if (!ok && DbGetError() != kDbRecordDeleted) {
      verdict_.Fault("read of a deleted record gave code " + std::to_string(DbGetError()));
    }
  }
  Before();
  int ok = DbReadRecord(table_, INT32_MAX, buffer.data());
  After("read of the greatest record number", ok);
}

// The last number issued, from the header's first 4 bytes.
uint32_t LastUnique(const std::string& path) {
  uint8_t field[4] = {};
  File file;
  if (file.Open(path, OpenMode::kReadOnly)) file.ReadAt(0, field, sizeof field);
  return GetU32(field);
}

void RecordsRun::UniqueNumber() {
  const uint32_t before = LastUnique(dataPath_);
  Before();
  uint32_t number = 0;
  int ok = GetUniqueNumber(table_, &number);
  After("unique number", ok);
  if (ok && (number != before + 1 || LastUnique(dataPath_) != number))
    verdict_.Fault("the unique number was not the next one");
}

// First to end, or last to beginning, reading each record the index names.
void RecordsRun::Walk(bool forward) {
  Index* index = CurrentIndex();
  int64_t length = harness::FileLength(DbIndexPath(dir_, def_.name, table_.currentIndex + 1));
  const size_t limit =
      index ? size_t(std::max<int64_t>(length, 0) / index->entryLength + 2) * 2 : 4;
  Before();
  int ok = forward ? DbFirst(table_) : DbLast(table_);
  After(forward ? "first" : "last", ok);
  if (!ok || !index) return;
  Bytes buffer(size_t(def_.recordSize));
  for (size_t steps = 0;; ++steps) {
    const int32_t state = DbPositionState(table_);
    if (state == kPosEnd || (!forward && state == kPosBeforeFirst)) return;
    if (steps > limit)
      return verdict_.Fault(forward ? "a walk forward did not end" : "a walk backward did not end");
    const int32_t record = DbCurrentRecord(table_);
    Before();
    int read = DbReadRecord(table_, record, buffer.data());
    After("read of a walked record", read);
    Before();
    ok = forward ? DbNext(table_) : DbPrev(table_);
    After(forward ? "next" : "previous", ok);
    if (!ok || verdict_.Failed()) return;
  }
}

void RecordsRun::Skip() {
  const int32_t count = int8_t(in_.Byte()) / 8;
  const uint8_t mode = in_.Byte() % 3;
  EntryFilter filter;
  if (mode == 1) filter = [](const uint8_t* entry) { return entry[4] % 3 == 0 ? 0 : 1; };
  if (mode == 2) filter = [](const uint8_t* entry) { return entry[5] == 7 ? -1 : entry[4] & 1; };
  Before();
  int32_t moved = -1;
  int ok = DbSkip(table_, count, &moved, filter);
  After("skip", ok);
  if (ok && (moved < 0 || moved > std::max(count, -count)))
    verdict_.Fault("skip of " + std::to_string(count) + " moved " + std::to_string(moved));
}

void RecordsRun::Find() {
  uint8_t key[kEntryBufferSize];
  Bytes record = ScriptRecord();
  if (table_.indexes.empty() || !CurrentIndex()) return;
  DbMakeEntry(table_, table_.currentIndex, record.data(), 0, key);
  Before();
  int exact = -1;
  int ok = DbFind(table_, key, &exact);
  After("find", ok);
  if (ok && exact != 0 && exact != 1) verdict_.Fault("find gave exact " + std::to_string(exact));
}

void RecordsRun::Append() {
  Bytes record = ScriptRecord();
  Before();
  int32_t n = -1;
  int ok = DbAppendRecord(table_, record.data(), &n);
  After("append", ok);
  if (!ok || record[0] == kDeletedMark) return;
  Bytes back = RawSlot(n);
  if (n < 0 || !std::equal(back.begin(), back.end() - 1, record.begin()))
    verdict_.Fault("an appended record did not read back as written");
  ExpectEntries("append", record, n, true);
}

void RecordsRun::Delete() {
  // A slot of the file, or the record the index names (which a damaged
  // index may name anything).
  const int32_t n = in_.Byte() & 1 ? DbCurrentRecord(table_) : PickSlot();
  Bytes record = RawSlot(n);
  Before();
  int ok = DbDeleteRecord(table_, record.data(), n);
  After("delete", ok);
  if (ok && RawSlot(n)[0] != kDeletedMark) verdict_.Fault("a deleted record was not marked");
  if (ok) ExpectEntries("delete", record, n, false);
}

void RecordsRun::Rekey() {
  Index* index = CurrentIndex();
  if (!index) return;
  Bytes old(kEntryBufferSize, 0);
  std::copy_n(index->currentEntry, index->entryLength, old.begin());
  Bytes record = ScriptRecord();
  Before();
  int ok = DbRekeyRecord(table_, old.data(), record.data());
  After("re-key", ok);
}

void RecordsRun::Write() {
  const int32_t n = PickSlot();
  Bytes record = ScriptRecord();
  Before();
  int ok = DbWriteRecord(table_, n, record.data());
  After("write", ok);
  if (ok && !std::equal(record.begin(), record.end() - 1, RawSlot(n).begin()))
    verdict_.Fault("a written record did not read back as written");
}

void RecordsRun::Header() {
  Bytes header(size_t(def_.headerSize) + 1, 0);
  Before();
  int ok = DbReadHeader(table_, header.data());
  After("read header", ok);
  if (!ok) return;
  header[size_t(in_.Byte()) % header.size()] ^= in_.Byte();
  Before();
  ok = DbWriteHeader(table_, header.data());
  After("write header", ok);
}

void RecordsRun::LockRecord() {
  const int32_t n = PickSlot();
  const int depth = 1 + in_.Byte() % 3;
  int held = 0;
  for (int i = 0; i < depth; ++i) held += DbLockRecord(table_, n);
  for (int i = 0; i < held; ++i) DbUnlockRecord(table_, n);
  Before();
  After("record lock", 1, false);
}

// Another program or a failing disk changes the files: the record file is
// cut or extended, or bytes of it or of an index are overwritten.
void RecordsRun::Damage() {
  // Changes made behind the engine's back bypass the index change counter:
  // the engine forgets the index pages it holds, as after a repair.
  IdxForgetPageBuffer();
  const uint8_t how = in_.Byte();
  const int x = def_.indexCount > 0 ? how / 4 % def_.indexCount : 0;
  const std::string path = how % 4 == 2 ? DbIndexPath(dir_, def_.name, x + 1) : dataPath_;
  if (how % 4 == 2) indexesSound_ = false;
  File file;
  if (!file.Open(path, OpenMode::kShared)) return;
  const int64_t length = file.Size();
  if (how % 4 == 0) {
    // Cut short or lengthened, or made huge and sparse (up to 256 GB).
    if (how & 0x80)
      file.Truncate(int64_t(in_.U32()) << 6);
    else
      file.Truncate(int64_t(in_.U16()) % (length + def_.recordSize + 1));
    return;
  }
  uint8_t bytes[4] = {in_.Byte(), in_.Byte(), in_.Byte(), in_.Byte()};
  file.WriteAt(int64_t(in_.U16()) % (length + 1), bytes, sizeof bytes);
}

void RecordsRun::Reopen() {
  DbCloseTable(table_);
  Before();
  int ok = DbOpenTable(table_, dir_);
  After("reopen", ok);
}

// Writes the record file and the indexes for the input.
void RecordsRun::Prepare() {
  const uint8_t flags = in_.Byte();
  size_t dataSize = in_.FilesSize();
  if (flags & kIndexFromInput) dataSize = in_.U16() % (in_.FilesSize() + 1);
  Bytes data(in_.Files(), in_.Files() + dataSize);
  if ((flags & kRightVersion) && data.size() > size_t(kVersionOffset) && def_.version != 0 &&
      def_.headerSize > kVersionOffset)
    data[kVersionOffset] = def_.version;
  harness::WriteFile(dataPath_, data.data(), data.size());
  if (flags & kIndexFromInput)
    harness::WriteFile(DbIndexPath(dir_, def_.name, 1), in_.Files() + dataSize,
                       in_.FilesSize() - dataSize);

  indexesSound_ = !(flags & kIndexFromInput);
  // The other indexes are made by the engine from the records as they are.
  const int32_t slots = std::min(SlotsInFile(), kMaxSlotsIndexed);
  for (int x = (flags & kIndexFromInput) ? 1 : 0; x < def_.indexCount; ++x) {
    Index index(def_.indexes[x]);
    const std::string path = DbIndexPath(dir_, def_.name, x + 1);
    if (!IdxCreate(index, path) || !IdxOpen(index, path)) continue;
    for (int32_t n = 0; n < slots && !(flags & kEmptyIndexes); ++n) {
      Bytes record = RawSlot(n);
      if (record[0] == kDeletedMark) continue;
      uint8_t entry[kEntryBufferSize];
      DbMakeEntry(table_, x, record.data(), n, entry);
      IdxInsert(index, entry);  // a key another record holds stays out
    }
    IdxClose(index);
  }
}

std::string RecordsRun::Go() {
  Before();
  int ok = DbOpenTable(table_, dir_);
  After("open", ok);
  if (!ok) {
    if (table_.IsOpen()) verdict_.Fault("a failed open left the record file open");
    return verdict_.Text();
  }
  for (int op = 0; op < kMaxOperations && in_.ScriptLeft() && !verdict_.Failed(); ++op) {
    switch (in_.Byte() % 16) {
      case 0:
        Count();
        break;
      case 1:
        ReadEverySlot();
        break;
      case 2:
        UniqueNumber();
        break;
      case 3:
        Walk(true);
        break;
      case 4:
        Walk(false);
        break;
      case 5:
        Skip();
        break;
      case 6:
        Find();
        break;
      case 7:
        Append();
        break;
      case 8:
        Delete();
        break;
      case 9:
        Rekey();
        break;
      case 10:
        Write();
        break;
      case 11:
        Header();
        break;
      case 12:
        LockRecord();
        break;
      case 13:
        if (def_.indexCount > 0) DbSetCurrentIndex(table_, in_.Byte() % def_.indexCount);
        break;
      case 14:
        Damage();
        break;
      default:
        Reopen();
        break;
    }
  }
  return verdict_.Text();
}

}  // namespace

std::string RunRecordsInput(const uint8_t* data, size_t size) {
  const std::string& dir = harness::BeginInput();
  Input in(data, size, kScriptBytes);
  const TableDef& def = *CatalogueTables()[in.Byte() % kCatalogueSize];
  RecordsRun run(in, dir, def);
  run.Prepare();
  return run.Go();
}
