// The "LC" table: which phone list entry belongs to which category. No
// table header.
//
// Assignment record (10 bytes):
//
//   offset width field
//   0      1     zero (the record mark)
//   1      4     entry number of the phone list entry
//   5      4     category number
//   9      1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::lc {

constexpr int kRecordSize = 10;
constexpr int kHeaderSize = 0;

constexpr Field kMark{0, 1};
constexpr Field kEntryNumber{1, 4};
constexpr Field kCategory{5, 4};
static_assert(kCategory.End() + 1 == kRecordSize);

// "LC" index X1 (12 bytes): ordered by entry number, then category number
// (both signed).
//
//   offset width content
//   0      4     record number
//   4      4     entry number
//   8      4     category number
namespace x1 {
constexpr int kLength = 12;
constexpr Field kEntryNumber{4, 4};
constexpr Field kCategory{8, 4};
static_assert(kCategory.End() == kLength);
}  // namespace x1

}  // namespace records::lc
