// The fields a schedule entry and a to-do item have alike, in their
// records and in their X1 keys: the owner's name number, the unique id and
// the change count, each at its own offset of its own layout
// (storage/records/sched.h, storage/records/todo.h). SchedRecord, TodoRecord,
// SchedKey and TodoKey take them from here and add their own fields.
#pragma once

#include <cstdint>

#include "storage/records/field.h"

template <int kSize, Field kOwner, Field kUniqueId, Field kChangeCount>
struct DayFields {
  uint8_t bytes[kSize] = {};
  int32_t Owner() const { return FieldI32(bytes, kOwner); }
  int32_t UniqueId() const { return FieldI32(bytes, kUniqueId); }
  uint16_t ChangeCount() const { return FieldU16(bytes, kChangeCount); }
};

// A record: the three fields can be set.
template <int kSize, Field kOwner, Field kUniqueId, Field kChangeCount>
struct DayRecordBytes : DayFields<kSize, kOwner, kUniqueId, kChangeCount> {
  void SetOwner(int32_t owner) { SetFieldI32(this->bytes, kOwner, owner); }
  void SetUniqueId(int32_t id) { SetFieldI32(this->bytes, kUniqueId, id); }
  void SetChangeCount(uint16_t count) { SetFieldU16(this->bytes, kChangeCount, count); }
};

// An X1 entry: the record number first, then the key's fields.
template <int kLength, Field kOwner, Field kUniqueId, Field kChangeCount>
struct DayKeyBytes : DayFields<kLength, kOwner, kUniqueId, kChangeCount> {
  int32_t RecordNumber() const { return FieldI32(this->bytes, kEntryRecordNumber); }
};
