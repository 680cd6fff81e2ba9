#include "tools/record_scan.h"

#include <climits>
#include <vector>

#include "storage/records/field.h"

bool ScanRecords(File& data, const TableDef& def, const SlotVisitor& visit, RecordScan* scan) {
  scan->length = data.Size();
  if (scan->length < 0) {
    scan->problems.push_back("cannot read the file's length");
    return false;
  }
  if (def.headerSize > 0) {
    std::vector<uint8_t> header(size_t(def.headerSize), 0);
    long got = data.ReadAt(0, header.data(), header.size());
    if (got != long(header.size())) {
      scan->problems.push_back("shorter than its " + std::to_string(def.headerSize) +
                               "-byte header (" + std::to_string(scan->length) + " bytes)");
      return false;
    }
    if (def.headerSize >= kHeaderVersion.End()) {
      scan->unique = FieldU32(header.data(), kHeaderUniqueNumber);
      scan->version = FieldByte(header.data(), kHeaderVersion);
      if (def.version != 0 && scan->version != def.version) {
        scan->versionWrong = true;
        scan->problems.push_back("version " + std::to_string(scan->version) + ", expected " +
                                 std::to_string(def.version) + " (wrong database version)");
      }
    }
  }
  int64_t body = scan->length - def.headerSize;
  int64_t slots = body / def.recordSize;
  if (int64_t rest = body % def.recordSize; rest != 0) {
    scan->problems.push_back("length " + std::to_string(scan->length) +
                             " is not the header plus whole records (" + std::to_string(rest) +
                             " bytes left over; reindex cuts them off)");
  }
  if (slots > INT32_MAX) {
    scan->problems.push_back("more records than record numbers can count");
    slots = INT32_MAX;
  }
  scan->count = int32_t(slots);

  // The last byte of every slot is its lock byte, which another workstation
  // may hold: read only the bytes before it, as the engine does.
  std::vector<uint8_t> record(size_t(def.recordSize), 0);
  const size_t readable = size_t(def.recordSize - 1);
  for (int32_t n = 0; n < scan->count; ++n) {
    int64_t offset = int64_t(def.headerSize) + int64_t(n) * def.recordSize;
    if (data.ReadAt(offset, record.data(), readable) != long(readable)) {
      scan->problems.push_back("cannot read record " + std::to_string(n));
      return false;
    }
    record[readable] = 0;
    if (visit) visit(n, record.data(), record[0] == kDeletedMark);
  }
  return true;
}
