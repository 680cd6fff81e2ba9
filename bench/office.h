// The office the benchmark works on: realistic "MESSAGE" records, the same
// ones for our engine and for SQLite.
//
// 30 people receive the messages. The first of them has 30% of all messages
// in the "New" folder (30,000 of 100,000); the others share the rest across
// "New", the archive and a few folders of their own. Times rise with the
// message number, as they do when a receptionist takes calls through the day.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/records/message.h"

namespace bench {

// Every run builds the same office, and finds the messages in the same order.
constexpr uint32_t kOfficeSeed = 2024;
constexpr uint32_t kFindOrderSeed = 7;

using MessageRecord = std::array<uint8_t, records::message::kRecordSize>;

struct Office {
  std::vector<std::string> people;  // recipients; people[0] has the big "New" folder
  std::vector<MessageRecord> messages;
  int32_t newForFirst = 0;  // messages of people[0] in "New"
};

// Builds `count` messages numbered from firstNumber on; the same seed gives
// the same office.
Office MakeOffice(int32_t count, int32_t firstNumber, uint32_t seed);

// Positions 0..count-1 in a random order (for the finds).
std::vector<int32_t> Shuffled(int32_t count, uint32_t seed);

}  // namespace bench
