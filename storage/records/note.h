// The "NOTE" table: free texts of up to 4,048 characters stored as chains
// of parts, numbered 0 to 7, under one note number. Note number 0 means "no note"
// wherever a note number is stored.
//
// Note record (512 bytes; header 512 bytes with the last note number):
//
//   offset width field
//   0      1     part number, 0 to 7 (a live part never has 255 here)
//   1      4     note number
//   5      506   text of this part (not NUL-terminated when full)
//   511    1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::note {

constexpr int kRecordSize = 512;
constexpr int kHeaderSize = 512;

constexpr Field kPart{0, 1};
constexpr Field kNumber{1, 4};
constexpr Field kText{5, 506};
static_assert(kText.End() + 1 == kRecordSize);

constexpr int kMaxParts = 8;
constexpr int kMaxText = kMaxParts * kText.width;  // 4,048

// "NOTE" index X1 (9 bytes): ordered by note number, then part number.
//
//   offset width content
//   0      4     record number
//   4      4     note number
//   8      1     part number
namespace x1 {
constexpr int kLength = 9;
constexpr Field kNumber{4, 4};
constexpr Field kPart{8, 1};
static_assert(kPart.End() == kLength);
}  // namespace x1

}  // namespace records::note
