// One row of a message list as the list and a view window share it: the
// message's index entry (of "MESSAGE" X1 in the in-box list, of "SENDLOG"
// X1 in the send log list) with the list's tag and pending action, and, in
// the in-box, the target folder of a pending "P".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/messages/dpmess.h"

class ListRow {
 public:
  ListRow() = default;
  explicit ListRow(bool sendLog);

  bool SendLog() const { return sendLog_; }
  uint8_t* Bytes() { return bytes_.data(); }
  const uint8_t* Bytes() const { return bytes_.data(); }
  int Length() const { return int(bytes_.size()); }

  int32_t RecordNumber() const;
  uint8_t Kind() const;
  uint8_t Flags() const;
  int32_t Time() const;
  int32_t Number() const;
  std::string To() const;
  std::string From() const;    // in-box rows
  int32_t ViewedTime() const;  // send-log rows
  bool Tagged() const;
  void SetTagged(bool on);
  uint8_t Action() const;
  void SetAction(uint8_t action);
  std::string TargetName() const;
  int32_t TargetNumber() const;
  void SetTarget(const std::string& name, int32_t number);
  // Keeps the row's copy of the message's indexed fields after the view
  // stored the message.
  void Follow(const MessageRecord& record);

  MessageEntry Entry() const;
  SendLogEntry LogEntry() const;

 private:
  bool sendLog_ = false;
  std::vector<uint8_t> bytes_;
};
