// The "FOLDER" table: the folders messages are filed into. A message's
// folder field holds a folder number.
//
// Folder record (41 bytes; header 512 bytes with the last folder number):
//
//   offset width field
//   0      31    folder name, at most 30 characters; its first byte doubles
//                as the record mark, so a name never starts with 255
//   31     4     owner: name number of the person, 0 for a common folder
//   35     4     folder number
//   39     1     zero
//   40     1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::folder {

constexpr int kRecordSize = 41;
constexpr int kHeaderSize = 512;

constexpr Field kName{0, 31};
constexpr Field kOwner{31, 4};
constexpr Field kNumber{35, 4};
constexpr Field kSpare{39, 1};
static_assert(kSpare.End() + 1 == kRecordSize);

constexpr int32_t kCommonOwner = 0;

// "FOLDER" index X1 (44 bytes): ordered by owner, then name without regard
// to case, so (owner, name) is unique.
//
//   offset width content
//   0      4     record number
//   4      4     owner
//   8      31    name
//   39     4     folder number
//   43     1     the record's byte 39
namespace x1 {
constexpr int kLength = 44;
constexpr Field kOwner{4, 4};
constexpr Field kName{8, 31};
constexpr Field kNumber{39, 4};
constexpr Field kSpare{43, 1};
static_assert(kSpare.End() == kLength);
}  // namespace x1

// "FOLDER" index X2 (8 bytes): ordered by folder number.
//
//   offset width content
//   0      4     record number
//   4      4     folder number
namespace x2 {
constexpr int kLength = 8;
constexpr Field kNumber{4, 4};
static_assert(kNumber.End() == kLength);
}  // namespace x2

}  // namespace records::folder
