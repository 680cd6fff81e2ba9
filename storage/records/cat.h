// The "CAT" table: the categories each phone list defines for itself. Its
// version byte (6) is also the version of the whole data directory.
//
// Category record (30 bytes; header 512 bytes):
//
//   offset width field
//   0      21    category name, at most 20 characters
//   21     4     category number, unique in "CAT"
//   25     4     list number the category belongs to
//   29     1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::cat {

constexpr int kRecordSize = 30;
constexpr int kHeaderSize = 512;

constexpr Field kName{0, 21};
constexpr Field kNumber{21, 4};
constexpr Field kList{25, 4};
static_assert(kList.End() + 1 == kRecordSize);

// Category selection sets hold this many category numbers (0 = free).
constexpr int kSelectionSize = 256;

// "CAT" index X1 (33 bytes): ordered by list number, then name without
// regard to case; (list, name) is unique.
//
//   offset width content
//   0      4     record number
//   4      4     list number
//   8      21    name
//   29     4     category number
namespace x1 {
constexpr int kLength = 33;
constexpr Field kList{4, 4};
constexpr Field kName{8, 21};
constexpr Field kNumber{29, 4};
static_assert(kNumber.End() == kLength);
}  // namespace x1

}  // namespace records::cat
