// The index target: an index file of arbitrary bytes under the index
// module's operations. The script chooses the index definition and then a
// short run of searches, steps, walks to either end, inserts and deletes
// (through this handle and a second one, as another workstation would), and
// damage done behind the engine's back.
//
// Beyond "no crash": every failure carries an index code, no call leaves the
// index lock held, no walk runs on for ever, and on a file that dpadmin's
// walker finds sound, inserts and deletes keep it sound and do what they
// say, and walks meet every entry once, in order.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/harness.h"
#include "fuzz/harness_support.h"
#include "storage/catalogue.h"
#include "storage/errors.h"
#include "storage/index.h"
#include "storage/index_page.h"
#include "tools/index_walk.h"

namespace {

using harness::Input;
using Entry = std::vector<uint8_t>;

constexpr size_t kScriptBytes = 64;
constexpr int kMaxOperations = 40;

// Plain byte order over the whole key, for entry lengths the catalogue lacks.
template <int Length>
int CompareBytes(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, Length - 4);
}
int AlwaysBelow(const uint8_t*, const uint8_t*) {
  return -1;
}
int AlwaysAbove(const uint8_t*, const uint8_t*) {
  return 1;
}

IndexDef Definition(uint8_t choice) {
  switch (choice % 7) {
    case 0:
      return kNameTable.indexes[0];  // 28: case-blind name
    case 1:
      return kMessageTable.indexes[0];  // 62: folder, recipient, time, number
    case 2:
      return kMessageTable.indexes[1];  // 12: time, number
    case 3:
      return kNoteTable.indexes[0];  // 9: note number, part
    case 4:
      return kFolderTable.indexes[1];  // 8: folder number
    case 5:
      return {12, nullptr, CompareBytes<12>};
    default:
      return {74, nullptr, CompareBytes<74>};  // the longest entry, 27 to a page
  }
}

// Raw bytes rarely make a sound tree, so the first script byte may ask for
// the file part to be read as changes instead: records of kChangeBytes, each
// a key to insert (or, with the high bit of its first byte, to delete) in a
// fresh index, so the engine builds trees of every shape to work on.
constexpr uint8_t kBuiltByEngine = 0x80;
constexpr size_t kChangeBytes = 9;
constexpr size_t kMaxChanges = 400;

void BuildIndex(const std::string& path, const IndexDef& def, const uint8_t* changes, size_t size) {
  Index index(def);
  if (!IdxCreate(index, path) || !IdxOpen(index, path)) return;
  const size_t count = std::min(size / kChangeBytes, kMaxChanges);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* change = changes + i * kChangeBytes;
    uint8_t entry[kEntryBufferSize] = {};
    PutI32(entry, int32_t(i));
    std::memcpy(entry + 4, change + 1, std::min<size_t>(kChangeBytes - 1, def.entryLength - 4));
    if (change[0] & 0x80)
      IdxDelete(index, entry);
    else
      IdxInsert(index, entry);
  }
  IdxClose(index);
}

bool IsSentinelKey(const uint8_t* entry, int length) {
  for (int i = 4; i < length; ++i)
    if (entry[i] != 0xFF) return false;
  return true;
}

class IndexRun {
 public:
  IndexRun(Input& in, const std::string& dir, const IndexDef& def)
      : in_(in), path_(dir + "FUZZ.X1"), def_(def), length_(def.entryLength), a_(def), b_(def) {}

  std::string Go();

 private:
  // Calls and their checks.
  void After(const char* op, Index& index, int ok, unsigned checksBefore);
  int Search(Index& index, const uint8_t* key, int* exact);
  int Insert(Index& index, const uint8_t* key);
  int Delete(Index& index, const uint8_t* key);
  int Next(Index& index);
  int Prev(Index& index);
  void WalkForward();
  void WalkBackward();
  void Damage();

  // What dpadmin's walker makes of the file now: true when sound.
  bool Sound(IndexWalk* walk);
  bool Holds(const IndexWalk& walk, const uint8_t* key) const;
  Entry MakeKey();
  size_t WalkLimit();

  Input& in_;
  std::string path_;
  IndexDef def_;
  int length_;
  Index a_;
  Index b_;
  harness::Verdict verdict_;
};

void IndexRun::After(const char* op, Index& index, int ok, unsigned checksBefore) {
  const std::string name = op;
  if (!ok && !harness::IsIndexCode(IdxGetError()) && harness::ChecksFailed() == checksBefore)
    verdict_.Fault(name + " failed without an index code (code " + std::to_string(IdxGetError()) +
                   ")");
  if (index.lockDepth != 0)
    verdict_.Fault(name + " left the lock depth at " + std::to_string(index.lockDepth));
  if (harness::LockHeld(path_, kIndexLockByte, 1))
    verdict_.Fault(name + " left the index lock held");
  const int32_t s = index.positionState;
  if (s != kPosOrdinary && s != kPosEnd && s != kPosBeforeFirst && s != kPosLastReal)
    verdict_.Fault(name + " left position state " + std::to_string(s));
}

int IndexRun::Search(Index& index, const uint8_t* key, int* exact) {
  const unsigned checks = harness::ChecksFailed();
  IdxSetError(kIdxOk);
  *exact = -1;
  int ok = IdxSearch(index, key, exact);
  After("search", index, ok, checks);
  if (ok && *exact != 0 && *exact != 1)
    verdict_.Fault("search gave exact " + std::to_string(*exact));
  return ok;
}

int IndexRun::Insert(Index& index, const uint8_t* key) {
  const unsigned checks = harness::ChecksFailed();
  IdxSetError(kIdxOk);
  int ok = IdxInsert(index, key);
  After("insert", index, ok, checks);
  return ok;
}

int IndexRun::Delete(Index& index, const uint8_t* key) {
  const unsigned checks = harness::ChecksFailed();
  IdxSetError(kIdxOk);
  int ok = IdxDelete(index, key);
  After("delete", index, ok, checks);
  return ok;
}

int IndexRun::Next(Index& index) {
  const unsigned checks = harness::ChecksFailed();
  IdxSetError(kIdxOk);
  int ok = IdxNext(index);
  After("next", index, ok, checks);
  return ok;
}

int IndexRun::Prev(Index& index) {
  const unsigned checks = harness::ChecksFailed();
  IdxSetError(kIdxOk);
  int ok = IdxPrev(index);
  After("previous", index, ok, checks);
  return ok;
}

bool IndexRun::Sound(IndexWalk* walk) {
  File file;
  if (!file.Open(path_, OpenMode::kReadOnly)) return false;
  WalkIndex(file, def_, walk);
  return walk->readable && walk->problems.empty();
}

bool IndexRun::Holds(const IndexWalk& walk, const uint8_t* key) const {
  for (const Entry& e : walk.entries)
    if (def_.compare(key, e.data()) == 0) return true;
  return false;
}

// Every entry the file could hold, twice over, plus the ends: a walk that
// takes more steps than that is going round in circles.
size_t IndexRun::WalkLimit() {
  int64_t length = std::max<int64_t>(harness::FileLength(path_), 0);
  return size_t(length / kPageSize + 1) * size_t(MaxEntriesPerPage(length_)) * 2 + 4;
}

// A key to search, insert or delete: one stored in the file, the handle's
// current entry, bytes from the script, or the sentinel; often nudged by
// one so that it falls between stored keys.
Entry IndexRun::MakeKey() {
  Entry key(kEntryBufferSize, 0);
  const uint8_t how = in_.Byte();
  switch (how % 4) {
    case 0: {
      // The file may be a huge sparse one: only the page needed is read.
      const int64_t pages = std::max<int64_t>(harness::FileLength(path_) / kPageSize, 1);
      const int64_t page = int64_t(in_.U16()) % pages;
      uint8_t bytes[kPageSize] = {};
      File file;
      if (file.Open(path_, OpenMode::kReadOnly)) file.ReadAt(page * kPageSize, bytes, kPageSize);
      // A slot among the page's entries when its count is believable.
      int slots = MaxEntriesPerPage(length_);
      const int count = PageCount(bytes);
      if (count >= 1 && count <= slots) slots = count;
      std::copy_n(PageEntry(bytes, in_.Byte() % slots, length_), length_, key.begin());
      break;
    }
    case 1:
      std::copy_n(a_.currentEntry, length_, key.begin());
      break;
    case 2:
      for (int i = 0; i < 4; ++i) key[size_t(i)] = in_.Byte() & 0x0F;
      for (int i = 4; i < std::min(length_, 14); ++i) key[size_t(i)] = in_.Byte();
      break;
    default:
      std::fill_n(key.begin(), length_, 0xFF);
      return key;
  }
  if (how & 0x10) key[size_t(length_ - 1)]++;
  if (how & 0x20) key[size_t(length_ - 1)]--;
  return key;
}

// From the first entry to the end. On a sound file the walk meets exactly
// the entries dpadmin's walker found, in their order.
void IndexRun::WalkForward() {
  IndexWalk walk;
  const bool sound = Sound(&walk);
  Entry probe(kEntryBufferSize, 0);
  KeyComparator own = a_.compare;
  a_.compare = AlwaysBelow;
  int exact;
  int ok = Search(a_, probe.data(), &exact);
  a_.compare = own;
  if (!ok) {
    if (sound) verdict_.Fault("search for the first entry failed on a sound file");
    return;
  }
  std::vector<Entry> met;
  const size_t limit = WalkLimit();
  while (a_.positionState != kPosEnd) {
    met.emplace_back(a_.currentEntry, a_.currentEntry + length_);
    if (met.size() > limit) return verdict_.Fault("a walk forward did not end");
    if (!Next(a_)) {
      if (sound) verdict_.Fault("a step forward failed on a sound file");
      return;
    }
  }
  if (sound && met != walk.entries) verdict_.Fault("a walk forward missed or repeated entries");
}

// From the last entry back to the first.
void IndexRun::WalkBackward() {
  IndexWalk walk;
  const bool sound = Sound(&walk);
  Entry probe(kEntryBufferSize, 0);
  KeyComparator own = a_.compare;
  a_.compare = AlwaysAbove;
  int exact;
  int ok = Search(a_, probe.data(), &exact);
  a_.compare = own;
  if (!ok) {
    if (sound) verdict_.Fault("search for the end failed on a sound file");
    return;
  }
  std::vector<Entry> met;
  const size_t limit = WalkLimit();
  for (;;) {
    if (!Prev(a_)) {
      if (sound) verdict_.Fault("a step back failed on a sound file");
      return;
    }
    if (a_.positionState == kPosBeforeFirst || a_.positionState == kPosEnd) break;
    met.emplace_back(a_.currentEntry, a_.currentEntry + length_);
    if (met.size() > limit) return verdict_.Fault("a walk backward did not end");
  }
  std::reverse(met.begin(), met.end());
  if (sound && met != walk.entries) verdict_.Fault("a walk backward missed or repeated entries");
}

// Another program (or a failing disk) changes bytes of the file, sometimes
// advancing the change counter as a workstation's update would. Such a
// change bypasses the counter that workstations keep each other informed
// by, so the engine is told to forget what it holds, as it would be after a
// repair.
void IndexRun::Damage() {
  IdxForgetPageBuffer();
  File file;
  if (!file.Open(path_, OpenMode::kShared)) return;
  const uint8_t how = in_.Byte();
  const int64_t length = file.Size();
  if (how % 4 == 3) {
    // Cut short, or made huge and sparse (up to 2 TB).
    if (how & 0x40)
      file.Truncate(int64_t(in_.U32()) << 9);
    else
      file.Truncate(int64_t(in_.U16()) % (length + 1));
    return;
  }
  uint8_t bytes[4] = {in_.Byte(), in_.Byte(), in_.Byte(), in_.Byte()};
  int64_t at = int64_t(in_.U16()) % (length + 1);
  file.WriteAt(at, bytes, 1 + how % 3);
  if (how & 0x10) {
    uint8_t counter[4];
    if (file.ReadAt(kPagePrevOffset, counter, 4) == 4) {
      PutU32(counter, GetU32(counter) + 1);
      file.WriteAt(kPagePrevOffset, counter, 4);
    }
  }
}

std::string IndexRun::Go() {
  {
    const unsigned checks = harness::ChecksFailed();
    IdxSetError(kIdxOk);
    int ok = IdxOpen(a_, path_);
    After("open", a_, ok, checks);
    if (!ok) {
      if (a_.file.IsOpen()) verdict_.Fault("a failed open left the file open");
      return verdict_.Text();
    }
  }
  for (int op = 0; op < kMaxOperations && in_.ScriptLeft() && !verdict_.Failed(); ++op) {
    const uint8_t choice = in_.Byte();
    switch (choice % 10) {
      case 0: {
        Entry key = MakeKey();
        int exact;
        Search(a_, key.data(), &exact);
        break;
      }
      case 1:
        for (int n = 1 + in_.Byte() % 8; n > 0; --n) Next(a_);
        break;
      case 2:
        for (int n = 1 + in_.Byte() % 8; n > 0; --n) Prev(a_);
        break;
      case 3:
        WalkForward();
        break;
      case 4:
        WalkBackward();
        break;
      case 5:
      case 6: {
        const bool insert = choice % 10 == 5;
        Entry key = MakeKey();
        IndexWalk before;
        const bool sound = Sound(&before);
        const bool had = Holds(before, key.data());
        const bool sentinel = IsSentinelKey(key.data(), length_);
        const unsigned checks = harness::ChecksFailed();
        int ok = insert ? Insert(a_, key.data()) : Delete(a_, key.data());
        if (!sound || sentinel) break;
        IndexWalk after;
        if (!ok) {
          const int want = insert ? kIdxDuplicate : kIdxNotFound;
          if (IdxGetError() != want && harness::ChecksFailed() == checks)
            verdict_.Fault(std::string(insert ? "insert" : "delete") +
                           " failed on a sound file with code " + std::to_string(IdxGetError()));
          else if (IdxGetError() == want && had != insert)
            verdict_.Fault(std::string(insert ? "insert" : "delete") + " refused wrongly");
        } else if (!Sound(&after)) {
          verdict_.Fault(std::string(insert ? "insert" : "delete") + " damaged a sound file: " +
                         (after.problems.empty() ? "" : after.problems.front()));
        } else if (Holds(after, key.data()) != insert ||
                   after.entries.size() != before.entries.size() + (insert ? 1 : size_t(-1))) {
          verdict_.Fault(std::string(insert ? "insert" : "delete") + " did not do what it said");
        }
        break;
      }
      case 7: {
        // Another workstation changes the index between this handle's steps.
        if (!b_.file.IsOpen()) {
          const unsigned checks = harness::ChecksFailed();
          IdxSetError(kIdxOk);
          int ok = IdxOpen(b_, path_);
          After("second open", b_, ok, checks);
          if (!ok) break;
        }
        Entry key = MakeKey();
        if (in_.Byte() & 1)
          Insert(b_, key.data());
        else
          Delete(b_, key.data());
        break;
      }
      case 8:
        Damage();
        break;
      default: {
        IdxClose(a_);
        const unsigned checks = harness::ChecksFailed();
        IdxSetError(kIdxOk);
        int ok = IdxOpen(a_, path_);
        After("reopen", a_, ok, checks);
        if (!ok) return verdict_.Text();
        break;
      }
    }
  }
  return verdict_.Text();
}

}  // namespace

std::string RunIndexInput(const uint8_t* data, size_t size) {
  const std::string& dir = harness::BeginInput();
  Input in(data, size, kScriptBytes);
  const uint8_t choice = in.Byte();
  const IndexDef def = Definition(choice & 0x7F);
  if (choice & kBuiltByEngine)
    BuildIndex(dir + "FUZZ.X1", def, in.Files(), in.FilesSize());
  else
    harness::WriteFile(dir + "FUZZ.X1", in.Files(), in.FilesSize());
  IndexRun run(in, dir, def);
  return run.Go();
}
