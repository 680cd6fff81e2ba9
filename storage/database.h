// Record files: fixed-length records after a table header, one index file
// per key, shared by every workstation through byte-range locks.
//
// Record file "<dir><NAME>.DAT":
//   offset                       size          content
//   0                            header size   table header (0 to 1023 bytes)
//   header + n * record size     record size   record n (n = 0, 1, 2, ...)
//
// Byte 0 of a slot is the deletion mark (255 = deleted). The last byte of a
// slot is the record's lock byte: reads and in-place writes move only the
// first record size - 1 bytes, so a byte another workstation holds locked is
// never touched. In a header of 5 bytes or more, bytes 0-3 hold the last
// unique number issued and byte 4 the table version; byte 0 is also the
// table's append lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/errors.h"
#include "storage/file.h"
#include "storage/index.h"

constexpr uint8_t kDeletedMark = 255;
constexpr int32_t kMaxHeaderSize = 1023;
constexpr int kVersionOffset = 4;

// A constant description of a table.
struct TableDef {
  int32_t headerSize;
  int32_t recordSize;  // slot length, lock byte included
  int32_t indexCount;
  const IndexDef* indexes;
  const char* name;
  uint8_t version;  // expected header byte 4; 0 = not checked
};

// An open (or openable) table: the definition copied into a handle.
struct Table {
  int32_t headerSize = 0;
  int32_t recordSize = 0;
  File data;
  std::vector<Index> indexes;
  int32_t scratch = -1;       // in a work table: rows written by the last query
  int32_t lockDepth = 0;      // nesting of this handle's record lock
  int32_t lockedRecord = -1;  // the record whose lock byte is held
  int32_t reserved = 0;
  int32_t currentIndex = 0;  // 0-based index used by find/first/next/prev
  std::string name;
  uint8_t version = 0;
  std::string directory;  // set at open, ends in '/'

  Table() = default;
  explicit Table(const TableDef& def);
  // A headerless work table without indexes.
  Table(std::string workName, int32_t rowSize);

  bool IsOpen() const { return data.IsOpen(); }
  Index& Current() { return indexes[size_t(currentIndex)]; }
};

// A filter on an index entry (or a record): 1 show, 0 hide, -1 stop.
using EntryFilter = std::function<int(const uint8_t* data)>;

int DbCreateTable(Table& table, const std::string& directory, uint8_t version);
int DbOpenTable(Table& table, const std::string& directory);
int DbCloseTable(Table& table);

int DbRecordCount(Table& table, int32_t* count);
int DbReadRecord(Table& table, int32_t recordNumber, uint8_t* buffer);
int DbWriteRecord(Table& table, int32_t recordNumber, const uint8_t* buffer);
// Appends the record and its entry to every index; the new record number is
// stored in *recordNumber when given.
int DbAppendRecord(Table& table, const uint8_t* record, int32_t* recordNumber = nullptr);
int DbDeleteRecord(Table& table, const uint8_t* record, int32_t recordNumber);
// Replaces the record's entry in the current index (old entry names the
// record number) and writes the new record in place.
int DbRekeyRecord(Table& table, const uint8_t* oldEntry, const uint8_t* newRecord);

int DbReadHeader(Table& table, uint8_t* buffer);
int DbWriteHeader(Table& table, const uint8_t* buffer);
int DbLockHeader(Table& table);
int DbUnlockHeader(Table& table);
int DbLockRecord(Table& table, int32_t recordNumber);
int DbUnlockRecord(Table& table, int32_t recordNumber);

int DbFind(Table& table, const uint8_t* keyEntry, int* exact);
int DbFirst(Table& table);
int DbLast(Table& table);
int DbNext(Table& table);
int DbPrev(Table& table);
int DbSkip(Table& table, int32_t count, int32_t* moved, const EntryFilter& filter);
int DbCurrentEntry(Table& table, uint8_t* buffer);
int GetUniqueNumber(Table& table, uint32_t* number);

// Builds index indexNumber's (0-based) entry for a record: a zeroed buffer of
// kEntryBufferSize bytes, the key builder, then the record number in bytes
// 0-3. The buffer must hold kEntryBufferSize bytes.
void DbMakeEntry(const Table& table, int indexNumber, const uint8_t* record, int32_t recordNumber,
                 uint8_t* entry);
// Chooses the index that find/first/next/prev use.
int DbSetCurrentIndex(Table& table, int indexNumber);
// Record number (-1 on the end sentinel) and position state of the current index.
int32_t DbCurrentRecord(Table& table);
int32_t DbPositionState(Table& table);

// Paths of a table's files.
std::string DbDataPath(const std::string& directory, const std::string& name);
std::string DbIndexPath(const std::string& directory, const std::string& name, int indexNumber);
