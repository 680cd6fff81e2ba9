// Reads a record file directly, slot by slot, the way the engine would, and
// notes what is wrong with the file itself (version, length).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/database.h"

struct RecordScan {
  int64_t length = 0;
  int32_t count = 0;    // whole slots after the header
  uint32_t unique = 0;  // last unique number issued (headers of 5 bytes or more)
  int version = -1;     // header byte 4, or -1 without such a header
  bool versionWrong = false;
  std::vector<std::string> problems;  // one line each, without the file name
};

// Called for every slot: its number, its bytes (record size, the lock byte
// read as 0) and whether it is marked deleted.
using SlotVisitor = std::function<void(int32_t recordNumber, const uint8_t* record, bool deleted)>;

// Reads the header and every slot of an open record file. Reads never touch
// a slot's lock byte. False (with a problem) when the file cannot be read.
bool ScanRecords(File& data, const TableDef& def, const SlotVisitor& visit, RecordScan* scan);
