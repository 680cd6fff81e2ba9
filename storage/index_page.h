// The page format of an index file.
//
// An index file is an array of 2048-byte pages; page n starts at n * 2048.
// Page 0 is always the root and carries the file header in its first bytes.
//
//   offset size  leaf or branch page               page 0
//   0      1     kind: 1 leaf, 0 branch, 255 free   kind of the root
//   1      4     previous leaf (0xFFFFFFFF = none)  change counter
//                                                    (0xFFFFFFFF = update running)
//   5      4     next leaf (0xFFFFFFFF = none);     head of the free-page list
//                on a free page: next free page
//   9      2     entry count
//   11     n*len entries in ascending key order
//   2047   1     never data: page 0's byte 2047 is the lock byte of the index
//
// An entry is a 4-byte number (record number in a leaf, child page in a
// branch) followed by the key. The sentinel, an entry of all 0xFF bytes,
// compares above everything and is the last entry of the last leaf; the
// rightmost entry of every branch on the rightmost path carries its key.
#pragma once

#include <cstdint>

#include "storage/le.h"

constexpr int kPageSize = 2048;
constexpr int kIndexLockByte = 2047;
constexpr int kPageKindOffset = 0;
constexpr int kPagePrevOffset = 1;
constexpr int kPageNextOffset = 5;
constexpr int kPageCountOffset = 9;
constexpr int kPageEntriesOffset = 11;
constexpr int kPageHeaderSize = 9;  // kind, previous, next: read and written alone
constexpr int kPageUsable = 2036;   // entries never reach byte 2047

constexpr uint8_t kPageBranch = 0;
constexpr uint8_t kPageLeaf = 1;
constexpr uint8_t kPageFree = 255;
constexpr uint32_t kNoPage = 0xFFFFFFFFu;
constexpr uint32_t kCounterUpdating = 0xFFFFFFFFu;

constexpr int kMaxEntryLength = 75;   // entries are shorter than this
constexpr int kEntryBufferSize = 79;  // entries are built in a zeroed buffer of this size
constexpr int kMaxTreeDepth = 5;

inline int MaxEntriesPerPage(int entryLength) {
  return kPageUsable / entryLength;
}

inline uint8_t PageKind(const uint8_t* page) {
  return page[kPageKindOffset];
}
inline uint32_t PagePrev(const uint8_t* page) {
  return GetU32(page + kPagePrevOffset);
}
inline uint32_t PageNext(const uint8_t* page) {
  return GetU32(page + kPageNextOffset);
}
inline uint16_t PageCount(const uint8_t* page) {
  return GetU16(page + kPageCountOffset);
}
inline uint8_t* PageEntry(uint8_t* page, int slot, int entryLength) {
  return page + kPageEntriesOffset + slot * entryLength;
}
inline const uint8_t* PageEntry(const uint8_t* page, int slot, int entryLength) {
  return page + kPageEntriesOffset + slot * entryLength;
}

// True when every byte of the entry is 0xFF.
inline bool IsSentinel(const uint8_t* entry, int entryLength) {
  for (int i = 0; i < entryLength; ++i)
    if (entry[i] != 0xFF) return false;
  return true;
}
