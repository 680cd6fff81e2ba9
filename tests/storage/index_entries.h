// Index entries for the index tests: a record number, an 8-byte big-endian
// key (so byte order is key order) and filler, which follows from the key,
// up to the entry length.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "storage/index.h"
#include "storage/le.h"

using Entry = std::array<uint8_t, kEntryBufferSize>;
constexpr uint64_t kSentinelKey = ~uint64_t(0);

inline int CompareKeys(const uint8_t* a, const uint8_t* b) {
  return std::memcmp(a + 4, b + 4, 8);
}
// Comparators that put a search before the first or past the last entry.
inline int AlwaysBelow(const uint8_t*, const uint8_t*) {
  return -1;
}
inline int AlwaysAbove(const uint8_t*, const uint8_t*) {
  return 1;
}
inline IndexDef DefFor(int length) {
  return {uint16_t(length), nullptr, CompareKeys};
}

inline int32_t RecordOf(uint64_t key) {
  return int32_t(key % 1000003u);
}

inline Entry MakeEntry(uint64_t key, int length = 12) {
  Entry e{};
  if (key == kSentinelKey) {
    std::memset(e.data(), 0xFF, size_t(length));
    return e;
  }
  PutI32(e.data(), RecordOf(key));
  for (int i = 0; i < 8; ++i) e[size_t(4 + i)] = uint8_t(key >> (56 - 8 * i));
  for (int i = 12; i < length; ++i) e[size_t(i)] = uint8_t((key + uint64_t(i)) & 0x7F);
  return e;
}

inline uint64_t KeyOf(const uint8_t* entry) {
  uint64_t key = 0;
  for (int i = 0; i < 8; ++i) key = key << 8 | entry[4 + i];
  return key;
}
