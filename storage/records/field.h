// A field of a fixed-length record or index entry: where it starts and how
// many bytes it takes. Every layout in storage/records/ is written once as a
// list of these, so record and entry bytes are only ever reached by name.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "storage/le.h"
#include "storage/text_compare.h"

struct Field {
  int offset;
  int width;
  constexpr int End() const { return offset + width; }
};

// A text field read up to its NUL, never past its width.
inline std::string FieldText(const uint8_t* data, Field f) {
  const char* p = reinterpret_cast<const char*>(data + f.offset);
  return std::string(p, strnlen(p, size_t(f.width)));
}
// Stores text cut to width - 1 bytes and NUL-padded.
inline void SetFieldText(uint8_t* data, Field f, const char* text) {
  PutText(data + f.offset, size_t(f.width), text);
}

inline int32_t FieldI32(const uint8_t* data, Field f) {
  return GetI32(data + f.offset);
}
inline uint32_t FieldU32(const uint8_t* data, Field f) {
  return GetU32(data + f.offset);
}
inline uint16_t FieldU16(const uint8_t* data, Field f) {
  return GetU16(data + f.offset);
}
inline uint8_t FieldByte(const uint8_t* data, Field f) {
  return data[f.offset];
}
inline void SetFieldI32(uint8_t* data, Field f, int32_t v) {
  PutI32(data + f.offset, v);
}
inline void SetFieldU32(uint8_t* data, Field f, uint32_t v) {
  PutU32(data + f.offset, v);
}
inline void SetFieldU16(uint8_t* data, Field f, uint16_t v) {
  PutU16(data + f.offset, v);
}
inline void SetFieldByte(uint8_t* data, Field f, uint8_t v) {
  data[f.offset] = v;
}

// Every index entry starts with the record number (in a branch page: the
// child page number).
constexpr Field kEntryRecordNumber{0, 4};
// The common header of a table with a header of 5 bytes or more: the last
// unique number issued and the table version.
constexpr Field kHeaderUniqueNumber{0, 4};
constexpr Field kHeaderVersion{4, 1};
