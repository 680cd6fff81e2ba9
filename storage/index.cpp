// B+tree index files (page format in storage/index_page.h).
//
// The process keeps one page buffer for every index it has open, tagged with
// the open id and page number it holds; the engine is single-threaded, so the
// buffer, the search path and the state of the running update are plain
// file-static variables.
//
// Trust in the buffer: inside one locked operation nothing but this process
// changes the file, so what was read stays true. Between operations another
// workstation may have changed anything; a walker (Next, Previous) trusts its
// buffered page only while page 0's change counter still shows the value it
// saw when the page was read, and otherwise finds its place again by key.
// On a network share every step of a walk holds the index lock too, so that
// the client reads the counter and the pages afresh (NFS revalidates its
// cache when a lock is taken, not on an unlocked read); see Walk.
//
// Pages kept between operations (storage/index_keep.h): a locked operation
// whose read of page 0 shows the file unchanged since this process last
// looked takes the other pages from memory instead of the file.
#include "storage/index.h"

#include <algorithm>
#include <cstring>

#include "storage/check.h"
#include "storage/errors.h"
#include "storage/index_failure.h"
#include "storage/index_keep.h"
#include "storage/lockwait.h"

namespace {

constexpr int kNumberSize = 4;                // leading record number (leaf) or child page (branch)
constexpr int kWriteUnit = 512;               // shortened page writes are rounded up to this
constexpr int kWriteSlack = 12;               // header and count, plus one byte, before rounding
constexpr int kPage0Length = kIndexLockByte;  // page 0 stops short of the lock byte

// ---- Process-wide state ----

// The page buffer. openId 0 means it holds nothing.
uint8_t pageData[kPageSize];
uint32_t bufferOpenId = 0;
uint32_t bufferPage = 0;

// A second page for building the right half of a split or the moved root.
uint8_t spareData[kPageSize];

// The search path: the page and matched slot at each level from the root
// (level 0) down to a leaf, and each page's entry count.
struct PathStep {
  uint32_t page;
  int slot;
  int count;
};
PathStep path[kMaxTreeDepth];
int pathDepth = 0;  // level of the leaf

// Page 0's header as the last search read it under the lock.
uint32_t rootCounter = 0;
uint32_t rootFreeHead = kNoPage;

// The running update: the counter to advance at its end and the free-list
// head as the update changes it.
uint32_t savedCounter = 0;
uint32_t freeHead = kNoPage;

uint32_t lastOpenId = 0;

// The open index whose kept pages this locked operation may use: set once
// its search has found page 0 as this process last knew it (or has started
// keeping pages against the page 0 it just read), cleared with the lock.
uint32_t trustedOpenId = 0;

// ---- Small helpers ----

int Fail(int code) {
  IdxSetError(code);
  return 0;
}

// A write or flush of the index file that failed: the file layer knows why.
int FailWrite() {
  IdxSetWriteFailure(File::LastReason());
  return 0;
}

void Forget() {
  bufferOpenId = 0;
}

bool Holds(const Index& index, uint32_t page) {
  return bufferOpenId != 0 && bufferOpenId == index.openId && bufferPage == page;
}

int64_t PageOffset(uint32_t page) {
  return int64_t(page) * kPageSize;
}

// The sentinel is recognised by its key bytes: in a leaf its number is
// 0xFFFFFFFF too, in a branch the number names the rightmost child.
bool IsSentinelKey(const uint8_t* entry, int length) {
  for (int i = kNumberSize; i < length; ++i)
    if (entry[i] != 0xFF) return false;
  return true;
}

bool UsableDefinition(const Index& index) {
  return DP_CHECK(index.entryLength > kNumberSize && index.entryLength < kMaxEntryLength);
}

// Preconditions of every operation on an open index.
bool Usable(Index& index) {
  if (!DP_CHECK(index.file.IsOpen()) || !UsableDefinition(index) ||
      !DP_CHECK(index.compare != nullptr))
    return Fail(kIdxOpenFailed);
  return true;
}

// ---- Index lock ----

int Lock(Index& index) {
  if (index.lockDepth >= 1) {
    ++index.lockDepth;
    return 1;
  }
  // A read-only handle only reads under the lock: a shared lock keeps the
  // writers out just the same.
  const bool locked = index.file.ReadOnly()
                          ? LockSharedWithRetry(index.file, kIndexLockByte, IdxLockRetry())
                          : LockWithRetry(index.file, kIndexLockByte, IdxLockRetry());
  if (!locked) return Fail(kIdxLockTimedOut);
  index.lockDepth = 1;
  return 1;
}

int Unlock(Index& index) {
  if (index.lockDepth > 1) {
    --index.lockDepth;
    return 1;
  }
  index.lockDepth = 0;
  trustedOpenId = 0;
  if (!index.file.Unlock(kIndexLockByte)) return Fail(kIdxLockTimedOut);
  return 1;
}

// Releases the lock after a failure, keeping the failure's code. What is
// kept of the index is forgotten: an update may have stopped half way.
int UnlockAfterFailure(Index& index) {
  int code = IdxGetError();
  index_keep::Forget(index.openId);
  Unlock(index);
  IdxSetError(code);
  return 0;
}

// ---- Reading and checking pages ----

// Reads page n into the buffer without judging its content. A page that lies
// (partly) beyond the end of the file was named by a corrupt link: code 7.
int ReadRaw(Index& index, uint32_t page) {
  Forget();
  if (page != 0 && trustedOpenId == index.openId &&
      index_keep::Take(index.openId, page, pageData)) {
    bufferOpenId = index.openId;
    bufferPage = page;
    return 1;
  }
  const long length = page == 0 ? kPage0Length : kPageSize;
  long got = index.file.ReadAt(PageOffset(page), pageData, size_t(length));
  if (got < 0) return Fail(kIdxShortRead);
  if (got < length) return Fail(kIdxCorrupt);
  if (page == 0) pageData[kIndexLockByte] = 0;
  bufferOpenId = index.openId;
  bufferPage = page;
  return 1;
}

// The checks every page of the tree must pass before it is used.
bool PageIsSound(const uint8_t* p, uint32_t page, int length) {
  const uint8_t kind = PageKind(p);
  if (kind != kPageLeaf && kind != kPageBranch) return false;
  const int count = PageCount(p);
  if (count < 1 || count > MaxEntriesPerPage(length)) return false;
  // On page 0 the next field is the free-list head, which never names page 0.
  const uint32_t next = PageNext(p);
  if (next == 0 || next == page) return false;
  bool lastOfLevel = true;
  if (page != 0) {
    // Page 0 is never anybody's neighbour.
    const uint32_t prev = PagePrev(p);
    if (prev == 0 || prev == page) return false;
    lastOfLevel = next == kNoPage;
  }
  // The sentinel key ends the last page of every level and appears nowhere else.
  for (int i = 0; i < count - 1; ++i)
    if (IsSentinelKey(PageEntry(p, i, length), length)) return false;
  return IsSentinelKey(PageEntry(p, count - 1, length), length) == lastOfLevel;
}

int ReadPage(Index& index, uint32_t page) {
  if (!ReadRaw(index, page)) return 0;
  if (!PageIsSound(pageData, page, index.entryLength)) {
    Forget();
    return Fail(kIdxCorrupt);
  }
  if (trustedOpenId == index.openId) index_keep::Keep(index.openId, page, pageData);
  return 1;
}

// Reads the 9-byte header (kind, previous, next) of a page, leaving the
// page buffer alone.
int ReadHeader(Index& index, uint32_t page, uint8_t* header) {
  long got = index.file.ReadAt(PageOffset(page), header, kPageHeaderSize);
  if (got < 0) return Fail(kIdxShortRead);
  if (got < kPageHeaderSize) return Fail(kIdxCorrupt);
  return 1;
}

int WriteHeader(Index& index, uint32_t page, const uint8_t* header) {
  if (index.file.WriteAt(PageOffset(page), header, kPageHeaderSize) != kPageHeaderSize)
    return FailWrite();
  index_keep::Wrote(index.openId, page, 0, header, kPageHeaderSize);
  return 1;
}

// Page 0's counter, read by walkers (see Walk for when under the lock).
int ReadCounter(Index& index, uint32_t* counter) {
  uint8_t field[4];
  long got = index.file.ReadAt(kPagePrevOffset, field, sizeof field);
  if (got < 0) return Fail(kIdxShortRead);
  if (got < long(sizeof field)) return Fail(kIdxCorrupt);
  *counter = GetU32(field);
  return 1;
}

// Writes one 32-bit field of page 0's header (counter or free-list head).
int WriteRootField(Index& index, int offset, uint32_t value) {
  uint8_t field[4];
  PutU32(field, value);
  if (index.file.WriteAt(offset, field, sizeof field) != long(sizeof field))
    return FailWrite();
  index_keep::Wrote(index.openId, 0, offset, field, sizeof field);
  return 1;
}

// ---- Writing pages (only inside an update) ----

// Writes page n from p: in full (and flushed) for new pages and a moved
// root, otherwise only the used part rounded up to 512 bytes. Page 0 carries
// the running update's counter and free-list head, and its writes stop
// before byte 2047 so the lock byte is never written.
int WritePage(Index& index, uint32_t page, uint8_t* p, bool full) {
  long length = kPageSize;
  if (!full) {
    long used = long(PageCount(p)) * index.entryLength + kWriteSlack;
    length = std::min<long>(kPageSize, (used + kWriteUnit - 1) / kWriteUnit * kWriteUnit);
  }
  if (page == 0) {
    PutU32(p + kPagePrevOffset, kCounterUpdating);
    PutU32(p + kPageNextOffset, freeHead);
    length = std::min<long>(length, kPage0Length);
  }
  if (index.file.WriteAt(PageOffset(page), p, size_t(length)) != length)
    return FailWrite();
  if (full && page != 0)
    index_keep::Keep(index.openId, page, p);
  else
    index_keep::Wrote(index.openId, page, 0, p, int(length));
  if (full && !index.file.Flush()) return FailWrite();
  return 1;
}

// ---- Search ----

// Finds the first entry of the buffered page not below the searched one and
// makes it the current entry. Relies on PageIsSound: entries ascend and only
// the last may be the sentinel, which matches everything with result -1.
bool Scan(Index& index, const uint8_t* searched, int* result) {
  const int length = index.entryLength;
  const int count = PageCount(pageData);
  const bool endsWithSentinel = IsSentinelKey(PageEntry(pageData, count - 1, length), length);
  int low = 0;
  int high = endsWithSentinel ? count - 1 : count;
  int found = high;
  int foundResult = 0;
  while (low < high) {
    int mid = low + (high - low) / 2;
    int r = index.compare(searched, PageEntry(pageData, mid, length));
    if (r <= 0) {
      found = mid;
      foundResult = r;
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  index.positionState = kPosOrdinary;
  if (found == count - 1 && endsWithSentinel) {
    foundResult = -1;
    index.positionState = kPosEnd;
  } else if (found >= count) {
    index.currentRecord = -1;
    index.slot = count;
    return false;
  }
  const uint8_t* entry = PageEntry(pageData, found, length);
  std::memcpy(index.currentEntry, entry, size_t(length));
  index.currentRecord = GetI32(entry);
  index.slot = found;
  *result = foundResult;
  return true;
}

// Descends from the root to the leaf holding the first entry not below the
// searched one, recording the path. The lock must be held.
int SearchLocked(Index& index, const uint8_t* searched, int* exact) {
  index.currentRecord = 0;
  index.slot = 0;
  if (!ReadPage(index, 0)) return 0;
  const uint32_t counter = PagePrev(pageData);
  // Under the lock nobody else is updating: the marker means an update was cut short.
  if (counter == kCounterUpdating) return Fail(kIdxCorrupt);
  index_keep::CheckRoot(index.openId, pageData);
  trustedOpenId = index.openId;
  rootCounter = counter;
  rootFreeHead = PageNext(pageData);
  uint32_t page = 0;
  for (int level = 0;; ++level) {
    int result = 0;
    if (!Scan(index, searched, &result)) return Fail(kIdxCorrupt);
    path[level] = {page, index.slot, PageCount(pageData)};
    pathDepth = level;
    index.page = page;
    if (PageKind(pageData) == kPageLeaf) {
      *exact = result == 0 ? 1 : 0;
      index.counterSeen = counter;
      return 1;
    }
    const uint32_t child = GetU32(PageEntry(pageData, index.slot, index.entryLength));
    if (!DP_CHECK(level + 1 < kMaxTreeDepth)) return Fail(kIdxCorrupt);
    if (child == 0 || child == kNoPage) return Fail(kIdxCorrupt);
    if (!ReadPage(index, child)) return 0;
    page = child;
  }
}

// ---- Update bracket and page allocation ----

// Marks page 0 as being updated. The search of this operation has just read
// page 0 under the same lock, so its header is known.
int BeginUpdate(Index& index) {
  savedCounter = rootCounter;
  freeHead = rootFreeHead;
  return WriteRootField(index, kPagePrevOffset, kCounterUpdating);
}

int EndUpdate(Index& index) {
  uint32_t next = savedCounter + 1;
  // Counting on past 0xFFFFFFFE would leave the interrupted-update marker.
  if (next == kCounterUpdating) next = 0;
  if (!WriteRootField(index, kPagePrevOffset, next)) return 0;
  if (!index.file.Flush()) return FailWrite();
  return 1;
}

// Takes the head of the free list, or else the page just past the end of the
// file. Page 0 is never handed out.
int AllocatePage(Index& index, uint32_t* page) {
  if (freeHead != kNoPage) {
    const uint32_t taken = freeHead;
    uint8_t header[kPageHeaderSize];
    if (taken == 0 || !ReadHeader(index, taken, header)) return Fail(kIdxCorrupt);
    const uint32_t next = PageNext(header);
    // A page on the list that is not free, or a list that names itself, is corrupt.
    if (PageKind(header) != kPageFree || next == 0 || next == taken) return Fail(kIdxCorrupt);
    freeHead = next;
    if (!WriteRootField(index, kPageNextOffset, freeHead)) return 0;
    *page = taken;
    return 1;
  }
  const int64_t size = index.file.Size();
  if (size < 0) return Fail(kIdxSeekFailed);
  const int64_t end = size / kPageSize;
  if (end == 0 || end >= int64_t(kNoPage)) return Fail(kIdxCorrupt);
  *page = uint32_t(end);
  return 1;
}

// Points a neighbour's link (previous or next) that named `from` at `to`;
// the neighbour must be a page of the same kind that names `from`.
int RelinkNeighbour(Index& index, uint32_t neighbour, int offset, uint32_t from, uint32_t to,
                    uint8_t kind) {
  uint8_t header[kPageHeaderSize];
  if (neighbour == 0 || !ReadHeader(index, neighbour, header)) return Fail(kIdxCorrupt);
  if (PageKind(header) != kind || GetU32(header + offset) != from) return Fail(kIdxCorrupt);
  PutU32(header + offset, to);
  return WriteHeader(index, neighbour, header);
}

// ---- Insert ----

void InsertAt(uint8_t* p, int slot, const uint8_t* entry, int length) {
  const int count = PageCount(p);
  uint8_t* at = PageEntry(p, slot, length);
  std::memmove(at + length, at, size_t(count - slot) * size_t(length));
  std::memcpy(at, entry, size_t(length));
  PutU16(p + kPageCountOffset, uint16_t(count + 1));
}

// Puts the entry into the buffered page n at the slot. A full page is split
// first: it keeps its lower half and a new right page takes the upper half,
// and the entry goes to whichever half its slot falls in. *right is the new
// page, or 0 when there was no split.
int PutEntry(Index& index, uint32_t page, int slot, const uint8_t* entry, uint32_t* right) {
  const int length = index.entryLength;
  const int count = PageCount(pageData);
  *right = 0;
  if (count < MaxEntriesPerPage(length)) {
    InsertAt(pageData, slot, entry, length);
    return WritePage(index, page, pageData, false);
  }
  // Page 0 is moved down before it could split.
  if (!DP_CHECK(page != 0)) return Fail(kIdxCorrupt);
  uint32_t r;
  if (!AllocatePage(index, &r)) return 0;
  const int half = count / 2;
  const uint32_t oldNext = PageNext(pageData);
  std::memset(spareData, 0, sizeof spareData);
  spareData[kPageKindOffset] = PageKind(pageData);
  PutU32(spareData + kPagePrevOffset, page);
  PutU32(spareData + kPageNextOffset, oldNext);
  PutU16(spareData + kPageCountOffset, uint16_t(count - half));
  std::memcpy(PageEntry(spareData, 0, length), PageEntry(pageData, half, length),
              size_t(count - half) * size_t(length));
  PutU16(pageData + kPageCountOffset, uint16_t(half));
  PutU32(pageData + kPageNextOffset, r);
  // An entry at the slot just past the lower half would become the left
  // page's greatest key, but the parent is given the median as that key: it
  // goes to the right page.
  if (slot >= half)
    InsertAt(spareData, slot - half, entry, length);
  else
    InsertAt(pageData, slot, entry, length);
  if (!WritePage(index, page, pageData, false) || !WritePage(index, r, spareData, true)) return 0;
  if (oldNext != kNoPage &&
      !RelinkNeighbour(index, oldNext, kPagePrevOffset, page, r, PageKind(pageData)))
    return 0;
  *right = r;
  return 1;
}

// Page 0 is full: its content moves to a new page P and page 0 becomes a
// branch with the single entry (P, greatest key), so the tree grows by one
// level at the top. The buffer then holds P.
int MoveRootDown(Index& index, uint32_t* moved) {
  const int length = index.entryLength;
  uint32_t p;
  if (!AllocatePage(index, &p)) return 0;
  std::memcpy(spareData, pageData, sizeof spareData);
  const int count = PageCount(spareData);
  std::memset(pageData + kPageEntriesOffset, 0, kPageSize - kPageEntriesOffset);
  pageData[kPageKindOffset] = kPageBranch;
  PutU16(pageData + kPageCountOffset, 1);
  uint8_t* only = PageEntry(pageData, 0, length);
  std::memcpy(only, PageEntry(spareData, count - 1, length), size_t(length));
  PutU32(only, p);
  if (!WritePage(index, 0, pageData, true)) return 0;
  PutU32(spareData + kPagePrevOffset, kNoPage);
  PutU32(spareData + kPageNextOffset, kNoPage);
  if (!WritePage(index, p, spareData, true)) return 0;
  std::memcpy(pageData, spareData, sizeof pageData);
  bufferOpenId = index.openId;
  bufferPage = p;
  *moved = p;
  return 1;
}

// Adds the entry at the leaf the search found, splitting pages up the path.
int InsertLocked(Index& index, const uint8_t* entry) {
  const int length = index.entryLength;
  const int max = MaxEntriesPerPage(length);
  uint8_t pending[kEntryBufferSize];
  std::memcpy(pending, entry, size_t(length));
  int level = pathDepth;
  uint32_t page = path[level].page;
  int slot = path[level].slot;
  for (;;) {
    if (page == 0 && PageCount(pageData) == max) {
      if (!DP_CHECK(pathDepth + 1 < kMaxTreeDepth)) return Fail(kIdxCorrupt);
      uint32_t moved;
      if (!MoveRootDown(index, &moved)) return 0;
      for (int d = pathDepth; d >= 0; --d) path[d + 1] = path[d];
      path[0] = {0, 0, 1};
      path[1].page = moved;
      ++pathDepth;
      ++level;
      page = moved;
    }
    const int count = PageCount(pageData);
    uint8_t median[kEntryBufferSize];
    uint8_t last[kEntryBufferSize];
    if (count == max) {
      std::memcpy(median, PageEntry(pageData, count / 2 - 1, length), size_t(length));
      std::memcpy(last, PageEntry(pageData, count - 1, length), size_t(length));
    }
    if (!DP_CHECK(!IsSentinelKey(pending, length))) return Fail(kIdxCorrupt);
    uint32_t right;
    if (!PutEntry(index, page, slot, pending, &right)) return 0;
    if (right == 0) return 1;
    // The parent's entry for the split page now names the right half (whose
    // greatest key is the old page's), and the left half is inserted before
    // it with the median as its key.
    if (!DP_CHECK(level > 0)) return Fail(kIdxCorrupt);
    --level;
    const uint32_t parent = path[level].page;
    slot = path[level].slot;
    if (!ReadPage(index, parent)) return 0;
    if (PageKind(pageData) != kPageBranch || slot >= PageCount(pageData)) return Fail(kIdxCorrupt);
    uint8_t* at = PageEntry(pageData, slot, length);
    if (GetU32(at) != page) return Fail(kIdxCorrupt);
    PutU32(at, right);
    std::memcpy(at + kNumberSize, last + kNumberSize, size_t(length - kNumberSize));
    std::memcpy(pending, median, size_t(length));
    PutU32(pending, page);
    page = parent;
  }
}

// True when every page on the search path is full, so that the insert would
// split its way up to the root and move the root down.
bool PathFull(int max) {
  for (int d = 0; d <= pathDepth; ++d)
    if (path[d].count < max) return false;
  return true;
}

// ---- Delete ----

// Removes the entry at the slot of the buffered page n. An emptied page goes
// onto the free list and its neighbours are linked past it.
int RemoveEntry(Index& index, uint32_t page, int slot) {
  const int length = index.entryLength;
  const int count = PageCount(pageData);
  uint8_t* at = PageEntry(pageData, slot, length);
  std::memmove(at, at + length, size_t(count - 1 - slot) * size_t(length));
  PutU16(pageData + kPageCountOffset, uint16_t(count - 1));
  if (count > 1) return WritePage(index, page, pageData, false);
  // The root always keeps the rightmost path, so it never empties.
  if (page == 0) return Fail(kIdxCorrupt);
  const uint8_t kind = PageKind(pageData);
  const uint32_t prev = PagePrev(pageData);
  const uint32_t next = PageNext(pageData);
  pageData[kPageKindOffset] = kPageFree;
  PutU32(pageData + kPageNextOffset, freeHead);
  freeHead = page;
  if (!WriteRootField(index, kPageNextOffset, freeHead)) return 0;
  if (!WritePage(index, page, pageData, false)) return 0;
  Forget();  // the buffer holds a free page now
  if (next != kNoPage && !RelinkNeighbour(index, next, kPagePrevOffset, page, prev, kind)) return 0;
  if (prev != kNoPage && !RelinkNeighbour(index, prev, kPageNextOffset, page, next, kind)) return 0;
  return 1;
}

// Reads the parent at the given level and checks that its entry at the
// path's slot names the child.
int ReadParent(Index& index, int level, uint32_t child) {
  if (!ReadPage(index, path[level].page)) return 0;
  const int slot = path[level].slot;
  if (PageKind(pageData) != kPageBranch || slot >= PageCount(pageData) ||
      GetU32(PageEntry(pageData, slot, index.entryLength)) != child)
    return Fail(kIdxCorrupt);
  return 1;
}

// Removes the entry the search found. An emptied page takes its parent's
// entry with it; when a page loses its greatest entry, the parent's key for
// it is rewritten, and so on up while the page is its parent's last child.
int DeleteLocked(Index& index) {
  const int length = index.entryLength;
  int level = pathDepth;
  uint32_t page = path[level].page;
  int slot = path[level].slot;
  uint8_t noted[kEntryBufferSize];
  bool lastChanged = false;
  for (;;) {
    const int count = PageCount(pageData);
    if (!DP_CHECK(slot < count)) return Fail(kIdxCorrupt);
    const bool emptied = count == 1;
    lastChanged = !emptied && slot == count - 1;
    if (lastChanged) std::memcpy(noted, PageEntry(pageData, count - 2, length), size_t(length));
    if (!RemoveEntry(index, page, slot)) return 0;
    if (!emptied && !lastChanged) return 1;
    if (!DP_CHECK(level > 0)) return Fail(kIdxCorrupt);
    --level;
    if (!ReadParent(index, level, page)) return 0;
    page = path[level].page;
    slot = path[level].slot;
    if (!emptied) break;
  }
  for (;;) {
    std::memcpy(PageEntry(pageData, slot, length) + kNumberSize, noted + kNumberSize,
                size_t(length - kNumberSize));
    if (!WritePage(index, page, pageData, false)) return 0;
    if (level == 0 || slot != PageCount(pageData) - 1) return 1;
    --level;
    if (!ReadParent(index, level, page)) return 0;
    page = path[level].page;
    slot = path[level].slot;
  }
}

// ---- Walking ----

// Searches again for the current entry (another workstation changed the
// tree); *exact tells whether it is still there.
int Refind(Index& index, int* exact) {
  uint8_t copy[kEntryBufferSize];
  std::memcpy(copy, index.currentEntry, sizeof copy);
  if (!Lock(index)) return 0;
  if (!SearchLocked(index, copy, exact)) return UnlockAfterFailure(index);
  return Unlock(index);
}

// Makes sure the buffer holds the walker's page as it stands: trusted while
// page 0's counter is what the walker saw, otherwise found again by key.
int Resync(Index& index, int* exact) {
  uint32_t counter;
  if (Holds(index, index.page)) {
    if (!ReadCounter(index, &counter)) return 0;
  } else {
    // The page first, then the counter: an unchanged counter proves that no
    // update touched the file in between.
    const bool read = ReadRaw(index, index.page);
    if (!read && IdxGetError() != kIdxCorrupt) return 0;
    if (!ReadCounter(index, &counter)) return 0;
    if (counter == index.counterSeen &&
        (!read || !PageIsSound(pageData, index.page, index.entryLength))) {
      Forget();
      return Fail(kIdxCorrupt);
    }
  }
  if (counter != index.counterSeen || PageKind(pageData) != kPageLeaf) return Refind(index, exact);
  *exact = 1;
  const int count = PageCount(pageData);
  if (index.slot >= count) index.slot = count - 1;
  if (index.slot < 0) index.slot = 0;
  return 1;
}

// Moves the walker to a neighbouring leaf. When the counter is unchanged the
// leaf must link back and continue the key order (this also stops a walk
// around a looped chain); *changed tells that the position was found again
// by key instead.
int StepToLeaf(Index& index, uint32_t target, bool forward, bool* changed, int* exact) {
  const int length = index.entryLength;
  const uint32_t from = index.page;
  uint8_t edge[kEntryBufferSize];  // the entry of the old page next to the new one
  const int count = PageCount(pageData);
  std::memcpy(edge, PageEntry(pageData, forward ? count - 1 : 0, length), size_t(length));
  const bool read = ReadRaw(index, target);
  if (!read && IdxGetError() != kIdxCorrupt) return 0;
  uint32_t counter;
  if (!ReadCounter(index, &counter)) return 0;
  if (counter != index.counterSeen) {
    *changed = true;
    return Refind(index, exact);
  }
  *changed = false;
  if (!read || !PageIsSound(pageData, target, length) || PageKind(pageData) != kPageLeaf ||
      GetU32(pageData + (forward ? kPagePrevOffset : kPageNextOffset)) != from) {
    Forget();
    return Fail(kIdxCorrupt);
  }
  const uint8_t* lower = forward ? edge : PageEntry(pageData, PageCount(pageData) - 1, length);
  const uint8_t* upper = forward ? PageEntry(pageData, 0, length) : edge;
  if (!IsSentinelKey(upper, length) && index.compare(lower, upper) >= 0) {
    Forget();
    return Fail(kIdxCorrupt);
  }
  index.page = target;
  index.slot = forward ? 0 : PageCount(pageData);
  return 1;
}

// Checks that stepping within the buffered page keeps the key order.
bool Ascending(Index& index, int lowerSlot) {
  const int length = index.entryLength;
  const uint8_t* upper = PageEntry(pageData, lowerSlot + 1, length);
  if (IsSentinelKey(upper, length)) return true;
  return index.compare(PageEntry(pageData, lowerSlot, length), upper) < 0;
}

bool HasNextLeaf(const Index& index) {
  return index.page != 0 && PageNext(pageData) != kNoPage;
}

void TakeCurrent(Index& index) {
  const uint8_t* entry = PageEntry(pageData, index.slot, index.entryLength);
  std::memcpy(index.currentEntry, entry, index.entryLength);
  index.currentRecord = GetI32(entry);
}

}  // namespace

// ---- Operations ----

int IdxCreate(Index& index, const std::string& path) {
  if (!UsableDefinition(index) || !DP_CHECK(!path.empty())) return Fail(kIdxOpenFailed);
  File file;
  if (!file.Open(path, OpenMode::kCreate)) return Fail(kIdxOpenFailed);
  uint8_t page[kPageSize] = {};
  page[kPageKindOffset] = kPageLeaf;
  PutU32(page + kPagePrevOffset, 0);
  PutU32(page + kPageNextOffset, kNoPage);
  PutU16(page + kPageCountOffset, 1);
  std::memset(PageEntry(page, 0, index.entryLength), 0xFF, index.entryLength);
  // The page is written up to the lock byte; extending the file makes the
  // whole page exist without writing that byte.
  if (file.WriteAt(0, page, kPage0Length) != kPage0Length || !file.Truncate(kPageSize))
    return FailWrite();
  file.Close();
  return 1;
}

int IdxOpen(Index& index, const std::string& path) {
  if (!UsableDefinition(index) || !DP_CHECK(!path.empty())) return Fail(kIdxOpenFailed);
  if (!index.file.Open(path, OpenMode::kShared) &&
      !(RefusedForWriting(File::LastReason()) && index.file.Open(path, OpenMode::kReadOnly)))
    return Fail(kIdxOpenFailed);
  index.lockDepth = 0;
  if (++lastOpenId == 0) ++lastOpenId;
  index.openId = lastOpenId;
  if (!Lock(index)) {
    index.file.Close();
    return 0;
  }
  bool sound = ReadPage(index, 0);
  // An update that never reached its end leaves the marker in the counter.
  if (sound && PagePrev(pageData) == kCounterUpdating) sound = Fail(kIdxCorrupt);
  if (!sound) {
    UnlockAfterFailure(index);
    index.file.Close();
    Forget();
    return 0;
  }
  index.counterSeen = PagePrev(pageData);
  if (!Unlock(index)) {
    index.file.Close();
    return 0;
  }
  index.currentRecord = -1;
  index.positionState = kPosOrdinary;
  index.page = 0;
  index.slot = 0;
  std::memset(index.currentEntry, 0, sizeof index.currentEntry);
  return 1;
}

int IdxClose(Index& index) {
  if (Holds(index, bufferPage)) Forget();
  index_keep::Forget(index.openId);
  if (trustedOpenId == index.openId) trustedOpenId = 0;
  index.file.Close();
  index.lockDepth = 0;
  return 1;
}

int IdxSearch(Index& index, const uint8_t* entry, int* exact) {
  if (!Usable(index)) return 0;
  // The scan overwrites the current entry, so search with a copy.
  uint8_t searched[kEntryBufferSize] = {};
  std::memcpy(searched, entry, index.entryLength);
  int found = 0;
  if (!Lock(index)) return 0;
  if (!SearchLocked(index, searched, &found)) return UnlockAfterFailure(index);
  if (exact) *exact = found;
  return Unlock(index);
}

int IdxInsert(Index& index, const uint8_t* entry) {
  IdxSetError(kIdxOk);
  if (!Usable(index)) return 0;
  const int length = index.entryLength;
  uint8_t added[kEntryBufferSize] = {};
  std::memcpy(added, entry, size_t(length));
  // The sentinel is always stored already.
  if (IsSentinelKey(added, length)) return Fail(kIdxDuplicate);
  if (!Lock(index)) return 0;
  int exact = 0;
  if (!SearchLocked(index, added, &exact)) return UnlockAfterFailure(index);
  if (exact) {
    IdxSetError(kIdxDuplicate);
    return UnlockAfterFailure(index);
  }
  // A tree of the greatest depth cannot grow another level: refuse before
  // the update begins, so the file stays usable.
  if (pathDepth + 1 >= kMaxTreeDepth && PathFull(MaxEntriesPerPage(length))) {
    DP_CHECK(false);
    IdxSetError(kIdxCorrupt);
    return UnlockAfterFailure(index);
  }
  const bool done = BeginUpdate(index) && InsertLocked(index, added) && EndUpdate(index);
  // What the buffer holds is no walker's position any more; the next step
  // finds the position again by key, after the inserted entry.
  Forget();
  if (!done) return UnlockAfterFailure(index);
  std::memcpy(index.currentEntry, added, size_t(length));
  index.currentRecord = GetI32(added);
  index.positionState = kPosOrdinary;
  return Unlock(index);
}

int IdxDelete(Index& index, const uint8_t* entry) {
  IdxSetError(kIdxOk);
  if (!Usable(index)) return 0;
  const int length = index.entryLength;
  uint8_t removed[kEntryBufferSize] = {};
  std::memcpy(removed, entry, size_t(length));
  if (IsSentinelKey(removed, length)) return 1;
  if (!Lock(index)) return 0;
  int exact = 0;
  if (!SearchLocked(index, removed, &exact)) return UnlockAfterFailure(index);
  if (!exact) {
    IdxSetError(kIdxNotFound);
    return UnlockAfterFailure(index);
  }
  const bool done = BeginUpdate(index) && DeleteLocked(index) && EndUpdate(index);
  // The current entry is the deleted one: the next step finds its neighbour.
  Forget();
  if (!done) return UnlockAfterFailure(index);
  return Unlock(index);
}

namespace {

int NextLocked(Index& index) {
  int exact = 0;
  if (!Resync(index, &exact)) return 0;
  bool advance = exact != 0;
  while (advance && index.slot >= PageCount(pageData) - 1) {
    // At the end the position stays on the sentinel, the last entry of the
    // last leaf; a handle that has not moved since it was opened is put on
    // it, so that the caller sees the end.
    if (!HasNextLeaf(index)) {
      advance = false;
      break;
    }
    bool changed = false;
    if (!StepToLeaf(index, PageNext(pageData), true, &changed, &exact)) return 0;
    // Unchanged, slot 0 of the next leaf is the successor; found again, the
    // current entry still there is stepped over and a vanished one has its
    // successor in place already.
    advance = changed && exact;
  }
  if (advance) {
    if (!Ascending(index, index.slot)) {
      Forget();
      return Fail(kIdxCorrupt);
    }
    ++index.slot;
  }
  index.positionState = kPosOrdinary;
  TakeCurrent(index);
  if (!HasNextLeaf(index) && index.slot + 2 == PageCount(pageData))
    index.positionState = kPosLastReal;
  if (IsSentinelKey(index.currentEntry, index.entryLength)) index.positionState = kPosEnd;
  return 1;
}

int PrevLocked(Index& index) {
  int exact = 0;
  if (!Resync(index, &exact)) return 0;
  index.positionState = kPosOrdinary;
  bool crossed = false;
  while (index.slot == 0) {
    if (index.page == 0 || PagePrev(pageData) == kNoPage) {
      // The first leaf starting with the sentinel means an empty index, also
      // when deletions have left a tree of several levels.
      const bool empty =
          IsSentinelKey(PageEntry(pageData, 0, index.entryLength), index.entryLength);
      index.positionState = empty ? kPosEnd : kPosBeforeFirst;
      return 1;
    }
    bool changed = false;
    if (!StepToLeaf(index, PagePrev(pageData), false, &changed, &exact)) return 0;
    crossed = !changed;
  }
  // Found again by key, the position is the current entry or, when that was
  // deleted, its successor: either way the entry before it comes next.
  if (!crossed && !Ascending(index, index.slot - 1)) {
    Forget();
    return Fail(kIdxCorrupt);
  }
  --index.slot;
  TakeCurrent(index);
  return 1;
}

// Page 0's counter is what tells a walker whether its page still stands.
// On a network share a walk steps under the index lock: an NFS client may
// answer an unlocked read from pages it cached before another workstation's
// update, and taking the lock makes it fetch them again. On a local disk
// every workstation reads and writes the one page cache, so an unlocked read
// sees each write at once; the steps read a page before the counter that
// vouches for it (an update sets the counter to "updating" before it writes
// a page), and a changed counter sends them to Refind, which takes the lock.
// That spares two fcntl calls a step, most of a step's cost.
int Walk(Index& index, int (*step)(Index&)) {
  if (!Usable(index)) return 0;
  if (!index.file.OnNetworkShare()) return step(index);
  if (!Lock(index)) return 0;
  if (!step(index)) {
    const int code = IdxGetError();
    Unlock(index);
    IdxSetError(code);
    return 0;
  }
  return Unlock(index);
}

}  // namespace

int IdxNext(Index& index) {
  return Walk(index, NextLocked);
}

int IdxPrev(Index& index) {
  return Walk(index, PrevLocked);
}

void IdxForgetPageBuffer() {
  Forget();
  index_keep::ForgetAll();
}
