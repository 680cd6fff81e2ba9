// Little-endian field access. Every integer in every DESKpost file is
// little-endian and may sit at any byte offset, so fields are always read and
// written through these helpers, never through casts.
#pragma once

#include <cstdint>

inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t GetI32(const uint8_t* p) {
  return int32_t(GetU32(p));
}
inline uint16_t GetU16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
inline void PutI32(uint8_t* p, int32_t v) {
  PutU32(p, uint32_t(v));
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
