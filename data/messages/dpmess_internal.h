// What the parts of dpmess share and nobody else needs.
#pragma once

#include <cstdint>
#include <string>

#include "data/messages/dpmess.h"
#include "storage/errors.h"

namespace dpmess {

// Keeps the first failure of a series of steps that all run, and hands it
// back at the end.
struct FirstFailure {
  bool failed = false;
  AppError error;
  int engineCode = 0;
  void Note();
  // 1, or 0 with the first failure's application error put back.
  int Result() const;
};

// Puts the application error back as it was when it goes out of scope:
// for clean-ups whose own failures are not what the caller should see.
class KeepAppError {
 public:
  KeepAppError();
  ~KeepAppError();
  KeepAppError(const KeepAppError&) = delete;
  KeepAppError& operator=(const KeepAppError&) = delete;

 private:
  AppError kept_;
};

// A record's lock for one change, one attempt. Refused: engine code 9,
// application error untouched.
class RecordLock {
 public:
  RecordLock(Table& table, int32_t recordNumber);
  ~RecordLock();
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;
  bool Held() const { return held_; }

 private:
  Table& table_;
  int32_t recordNumber_;
  bool held_ = false;
};

// Reads the record an entry names and checks that it still carries the
// entry's message number (1015 otherwise). With allowGone a deleted record
// answers 1 with *gone set and the error state as it was.
int ReadStored(Table& table, int32_t recordNumber, int32_t messageNumber, bool allowGone,
               MessageRecord* record, bool* gone);
// Re-keys X1 from the stored record's entry to the changed record's and
// writes the changed record.
int Rekey(Table& table, const MessageRecord& stored, int32_t recordNumber,
          const MessageRecord& changed);
// Deletes a note left without an owner after a failure (errors ignored).
void DropNote(int32_t number);
// Appends a send-log copy with its own long-text note.
int SendLogAppend(SendLogTable& handle, const MessageRecord& record);
// The internal check that a user has been handed over.
bool UserReady();

}  // namespace dpmess
