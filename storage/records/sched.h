// The "SCHED" table: every person's schedule entries, and the office-wide
// schedule under owner -1.
//
// Schedule record (262 bytes; header 256 bytes):
//
//   offset width field
//   0      53    description, 1 to 52 characters; its first byte doubles as
//                the record mark, so it never starts with 255
//   53     4     owner: name number, -1 for the common schedule
//   57     4     start: date and time; an entry without a time is stored at
//                00:00:00 of its date, one timed 12:00AM at 00:00:01
//   61     4     end on the same date, 0 for none
//   65     4     alarm on the same date, 0 for none
//   69     182   note, at most 181 characters
//   251    4     repeat group shared by the entries of one repeat (0 = none)
//   255    4     unique id (the table's unique number)
//   259    2     change count, raised at every update
//   261    1     lock byte
#pragma once

#include "storage/records/field.h"

namespace records::sched {

constexpr int kRecordSize = 262;
constexpr int kHeaderSize = 256;

constexpr Field kDescription{0, 53};
constexpr Field kOwner{53, 4};
constexpr Field kStart{57, 4};
constexpr Field kEnd{61, 4};
constexpr Field kAlarm{65, 4};
constexpr Field kNote{69, 182};
constexpr Field kRepeatGroup{251, 4};
constexpr Field kUniqueId{255, 4};
constexpr Field kChangeCount{259, 2};
static_assert(kChangeCount.End() + 1 == kRecordSize);

constexpr int32_t kCommonOwner = -1;

// "SCHED" index X1 (54 bytes): ordered by owner (signed), start (signed),
// the description prefix (byte for byte, case counts), then unique id
// (signed). One person's entries lie together in time order, and a day's
// entries run from the key (owner, day, all else zero). End, alarm and
// repeat group ride along so that views and alarms work from keys alone.
//
//   offset width content
//   0      4     record number
//   4      4     owner
//   8      4     start
//   12     4     end
//   16     4     alarm
//   20     20    first 19 characters of the description, cut at the first
//                carriage return, NUL-terminated
//   40     4     zero
//   44     4     repeat group
//   48     4     unique id
//   52     2     change count
namespace x1 {
constexpr int kLength = 54;
constexpr Field kOwner{4, 4};
constexpr Field kStart{8, 4};
constexpr Field kEnd{12, 4};
constexpr Field kAlarm{16, 4};
constexpr Field kPrefix{20, 20};
constexpr Field kSpare{40, 4};
constexpr Field kRepeatGroup{44, 4};
constexpr Field kUniqueId{48, 4};
constexpr Field kChangeCount{52, 2};
static_assert(kChangeCount.End() == kLength);
}  // namespace x1

}  // namespace records::sched
