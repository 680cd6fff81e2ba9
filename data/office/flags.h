// Flag files: one small file per person in the data directory,
// "<directory><name number>.nam", through which other workstations tell the
// person that something arrived. The value lies in the file's size alone,
// so a poll costs one attribute query:
//
//   no file            value 0
//   s bytes, s <= 254  value s + 1
//   more than 254      value 1
//
// Bits of the value: 1 new message, 2 urgent message, 4 schedule changed by
// someone else. Writers rewrite the whole file without a lock; two senders at
// the same moment can lose a bit, and the recipient still finds the message
// at the next list refresh.
#pragma once

#include <cstdint>
#include <string>

#include "storage/errors.h"

constexpr int kFlagNewMessage = 1;
constexpr int kFlagUrgentMessage = 2;
constexpr int kFlagScheduleChanged = 4;
constexpr int64_t kMaxFlagFileSize = 254;

// "<directory><number>.nam".
std::string FlagFilePath(const std::string& directory, int32_t userNumber);

// The value of the flag file; 0 when it cannot be examined. After a failed
// examination of a path only its existence is tested until it is there
// again.
int GetFlagValue(const std::string& flagPath);
// Why the last GetFlagValue of this path answered 0 without a size:
// kNone when it was examined, kNotFound for no file, and another reason
// (access denied, other) when the share may have been lost.
SystemReason FlagFailure(const std::string& flagPath);

// Sets or clears a bit in user u's flag file in the data directory; clearing
// bit 1 clears bit 2 with it. Value 0 removes the file. 1, or 0 with an
// application error (open or write code, the path as name).
int SetFlag(int bit, bool set, int32_t userNumber);
