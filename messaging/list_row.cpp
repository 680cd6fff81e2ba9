#include "messaging/list_row.h"

#include <cstring>

#include "storage/records/field.h"
#include "storage/records/message.h"

namespace msg = records::message;
namespace row = records::message::list_row;
namespace slog = records::sendlog::x1;

ListRow::ListRow(bool sendLog)
    : sendLog_(sendLog),
      bytes_(size_t(sendLog ? records::sendlog::kListRowLength : row::kLength), 0) {}

int32_t ListRow::RecordNumber() const {
  return FieldI32(Bytes(), Field{0, 4});
}
uint8_t ListRow::Kind() const {
  return FieldByte(Bytes(), sendLog_ ? slog::kKind : msg::x1::kKind);
}
uint8_t ListRow::Flags() const {
  return FieldByte(Bytes(), sendLog_ ? slog::kFlags : msg::x1::kFlags);
}
int32_t ListRow::Time() const {
  return FieldI32(Bytes(), sendLog_ ? slog::kTime : msg::x1::kTime);
}
int32_t ListRow::Number() const {
  return FieldI32(Bytes(), sendLog_ ? slog::kNumber : msg::x1::kNumber);
}
std::string ListRow::To() const {
  return FieldText(Bytes(), sendLog_ ? slog::kTo : msg::x1::kTo);
}
std::string ListRow::From() const {
  return sendLog_ ? std::string() : FieldText(Bytes(), msg::x1::kFrom);
}
int32_t ListRow::ViewedTime() const {
  return sendLog_ ? FieldI32(Bytes(), slog::kViewedTime) : 0;
}
bool ListRow::Tagged() const {
  return FieldByte(Bytes(), sendLog_ ? slog::kRowTag : row::kTag) == 1;
}
void ListRow::SetTagged(bool on) {
  SetFieldByte(Bytes(), sendLog_ ? slog::kRowTag : row::kTag, on ? 1 : 0);
}
uint8_t ListRow::Action() const {
  return FieldByte(Bytes(), sendLog_ ? slog::kRowAction : row::kAction);
}
void ListRow::SetAction(uint8_t action) {
  SetFieldByte(Bytes(), sendLog_ ? slog::kRowAction : row::kAction, action);
}
std::string ListRow::TargetName() const {
  return sendLog_ ? std::string() : FieldText(Bytes(), row::kTargetName);
}
int32_t ListRow::TargetNumber() const {
  return sendLog_ ? 0 : FieldI32(Bytes(), row::kTargetNumber);
}
void ListRow::SetTarget(const std::string& name, int32_t number) {
  if (sendLog_) return;
  std::memset(Bytes() + row::kTargetName.offset, 0, size_t(row::kTargetName.width));
  std::memcpy(Bytes() + row::kTargetName.offset, name.data(),
              std::min(name.size(), size_t(row::kTargetName.width - 1)));
  SetFieldI32(Bytes(), row::kTargetNumber, number);
}

void ListRow::Follow(const MessageRecord& record) {
  if (sendLog_) {
    SendLogEntry e = SendLogEntryOf(record, RecordNumber());
    std::memcpy(Bytes(), e.bytes, size_t(slog::kRowTag.offset));
  } else {
    MessageEntry e = MessageEntryOf(record, RecordNumber());
    std::memcpy(Bytes(), e.bytes, size_t(msg::x1::kLength));
  }
}

MessageEntry ListRow::Entry() const {
  MessageEntry e;
  if (!sendLog_) std::memcpy(e.bytes, Bytes(), sizeof e.bytes);
  return e;
}

SendLogEntry ListRow::LogEntry() const {
  SendLogEntry e;
  if (sendLog_) {
    std::memcpy(e.bytes, Bytes(), sizeof e.bytes);
    e.bytes[slog::kRowTag.offset] = 0;
    e.bytes[slog::kRowAction.offset] = 0;
  }
  return e;
}
