// B+tree index files: search, insert, delete and walking, shared by several
// workstations. One lock byte (2047 of page 0) serialises changes; page 0's
// change counter lets a walker notice that the tree moved under it; the same
// counter reads 0xFFFFFFFF while an update runs, so an update cut short by a
// crash makes the file refuse to open ("Index is corrupt, please reindex").
#pragma once

#include <cstdint>
#include <string>

#include "storage/file.h"
#include "storage/index_page.h"

// Builds the key bytes of an entry from a record (the engine stores the
// record number in bytes 0-3 afterwards).
using KeyBuilder = void (*)(const uint8_t* record, uint8_t* entry, int32_t recordNumber);
// Compares a searched entry with a stored one: negative, 0 or positive.
using KeyComparator = int (*)(const uint8_t* searched, const uint8_t* stored);

struct IndexDef {
  uint16_t entryLength;  // record number included; below 75
  KeyBuilder build;
  KeyComparator compare;
};

// Position states.
constexpr int32_t kPosOrdinary = 0;
constexpr int32_t kPosEnd = -1;  // on the sentinel
constexpr int32_t kPosBeforeFirst = -2;
constexpr int32_t kPosLastReal = -3;  // on the last real entry

// The state of one open index of a table.
struct Index {
  File file;
  int32_t lockDepth = 0;
  uint16_t entryLength = 0;
  int32_t currentRecord = -1;  // -1 after open and when no entry matched
  uint32_t reserved = 0;
  uint32_t counterSeen = 0;  // page 0's change counter when last looked
  uint32_t openId = 0;       // process-wide number given at open
  int32_t positionState = kPosOrdinary;
  int32_t slot = 0;
  uint32_t page = 0;
  uint8_t currentEntry[kEntryBufferSize] = {};
  KeyBuilder build = nullptr;
  KeyComparator compare = nullptr;

  Index() = default;
  explicit Index(const IndexDef& def)
      : entryLength(def.entryLength), build(def.build), compare(def.compare) {}
};

// All return 1 on success and 0 on failure with the index code set
// (IdxGetError in storage/errors.h).
int IdxCreate(Index& index, const std::string& path);
int IdxOpen(Index& index, const std::string& path);
int IdxClose(Index& index);
// Positions at the first stored entry not below the given one; exact = 1
// when it compares equal. The entry must not be index.currentEntry.
int IdxSearch(Index& index, const uint8_t* entry, int* exact);
int IdxInsert(Index& index, const uint8_t* entry);
int IdxDelete(Index& index, const uint8_t* entry);
int IdxNext(Index& index);
int IdxPrev(Index& index);

// Forgets the process-wide page buffer (tests that change files behind the
// engine's back use it).
void IdxForgetPageBuffer();
