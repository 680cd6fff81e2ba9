// The "TODO" table: every person's to-do items.
//
// To-do record (266 bytes; header 256 bytes):
//
//   offset width field
//   0      246   text, at most 245 characters, may hold several lines; its
//                first byte doubles as the record mark
//   246    4     owner: name number
//   250    4     date: day value (00:00:00 local time of the item's date)
//   254    4     priority text, 1 to 3 characters; items sort by it as text
//   258    1     status: 251 done; anything else open (0 new, 32 reopened)
//   259    4     unique id (the table's unique number)
//   263    2     change count, raised at every update
//   265    1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::todo {

constexpr int kRecordSize = 266;
constexpr int kHeaderSize = 256;

constexpr Field kText{0, 246};
constexpr Field kOwner{246, 4};
constexpr Field kDate{250, 4};
constexpr Field kPriority{254, 4};
constexpr Field kStatus{258, 1};
constexpr Field kUniqueId{259, 4};
constexpr Field kChangeCount{263, 2};
static_assert(kChangeCount.End() + 1 == kRecordSize);

constexpr uint8_t kStatusDone = 251;
constexpr uint8_t kStatusNew = 0;
constexpr uint8_t kStatusReopened = ' ';

// "TODO" index X1 (47 bytes): ordered by owner, date (both signed), the
// priority (byte for byte up to its NUL, so "1" < "10" < "2"), the text
// prefix (byte for byte), then unique id (signed). The status byte follows
// the priority and never takes part in the order.
//
//   offset width content
//   0      4     record number
//   4      4     owner
//   8      4     date
//   12     4     priority, NUL-terminated
//   16     1     status
//   17     24    first 23 characters of the text, cut at the first carriage
//                return, NUL-terminated
//   41     4     unique id
//   45     2     change count
namespace x1 {
constexpr int kLength = 47;
constexpr Field kOwner{4, 4};
constexpr Field kDate{8, 4};
constexpr Field kPriority{12, 4};
constexpr Field kStatus{16, 1};
constexpr Field kPrefix{17, 24};
constexpr Field kUniqueId{41, 4};
constexpr Field kChangeCount{45, 2};
static_assert(kChangeCount.End() == kLength);
}  // namespace x1

}  // namespace records::todo
