// The "CC" table: for each copy of a message sent to several people, the
// names of the other recipients. No table header.
//
// CC record (29 bytes):
//
//   offset width field
//   0      4     zero (byte 0 is the record mark)
//   4      4     message number of the copy
//   8      20    name of one other recipient
//   28     1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::cc {

constexpr int kRecordSize = 29;
constexpr int kHeaderSize = 0;

constexpr Field kSpare{0, 4};
constexpr Field kMessageNumber{4, 4};
constexpr Field kName{8, 20};
static_assert(kName.End() + 1 == kRecordSize);

constexpr int kMaxNames = 100;

// "CC" index X1 (29 bytes): ordered by message number, then name without
// regard to case.
//
//   offset width content
//   0      4     record number
//   4      4     message number
//   8      20    name
//   28     1     zero
namespace x1 {
constexpr int kLength = 29;
constexpr Field kMessageNumber{4, 4};
constexpr Field kName{8, 20};
static_assert(kName.End() + 1 == kLength);
}  // namespace x1

}  // namespace records::cc
