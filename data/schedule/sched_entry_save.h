// Saving the schedule entry dialog: the checks of its OK button in their
// order, the add or update, and what follows a save (the alarm search, the
// owner's schedule-changed flag, the update memo, the repeat generation).
//
// The dialog hands over its field values; the answer says whether it
// closes, or the message it shows while it stays open. Questions ("Change
// repeating items?") go to the caller's Yes/No callback.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/schedule/dpsched.h"
#include "data/schedule/sched_repeat.h"

// The dialog's values on OK.
struct EntryDialogValues {
  int32_t date = 0;  // the date field's day value; 0 when the field is empty
  std::string description;
  // The time fields' texts, as the fields leave them (" 9:30AM"); an empty
  // start makes an untimed entry.
  std::string startText;
  std::string endText;
  std::string alarmText;
  std::string note;
  int repeatKind = kRepeatNone;  // chosen in this opening of the dialog
  bool sendUpdate = false;       // the update-memo tick box
};

// The scheduler around the dialog.
struct EntrySaveContext {
  int32_t owner = 0;       // whose schedule; -1 for the common schedule
  std::string ownerName;   // as the name table spells it
  int32_t user = 0;        // the signed-in user
  int32_t editing = -1;    // the stored entry's record number; -1 adds
  int32_t currentDay = 0;  // the scheduler's current day; moved to the entry's day
  // Yes/No questions; without one every question is answered No.
  std::function<bool(const std::string&)> ask;
  // Runs after a save; by default the user's alarm search over this table
  // into the program's alarm state.
  std::function<int()> searchAlarm;
};

struct EntrySaveResult {
  // Shown while the dialog stays open; empty when the failure is an
  // engine error already in the error state (reported through the shared
  // error box).
  std::string message;
  bool written = false;  // added or updated (false: nothing changed)
  int32_t recordNumber = -1;
  SchedRecord record;  // as stored
  RepeatOutcome repeats;
  // A failure after the entry was stored (alarm search, flag file, memo,
  // group change, repeat generation): the text for the error box. The
  // entry stays saved and the dialog closes.
  std::string afterSave;
};

// "Year must be between 1980 and 2037", "Please enter a description.",
// "Must enter TIME:", "Start time must be earlier than End time.",
// "Duplicate entry.", "Maximum of 40 items reached for this date.".
constexpr const char* kYearRangeMessage = "Year must be between 1980 and 2037";
constexpr const char* kNoDescriptionMessage = "Please enter a description.";
constexpr const char* kNoTimeMessage = "Must enter TIME:";
constexpr const char* kEndBeforeStartMessage = "Start time must be earlier than End time.";
constexpr const char* kDuplicateEntryMessage = "Duplicate entry.";
constexpr const char* kDayFullMessage = "Maximum of 40 items reached for this date.";
constexpr const char* kChangeGroupQuestion = "Change repeating items?";

// The entry the values describe, for the checks up to the times (steps 1
// to 6 of OK): 1 with the record's description, note, start, end, alarm
// and owner set on top of what it held; 0 with the message.
int EntryFromDialog(const EntryDialogValues& values, const EntrySaveContext& context,
                    SchedRecord* record, std::string* message);

// The whole OK: 1 when the dialog closes (saved, or nothing changed), 0
// when it stays open with result->message (or an engine error).
int SchedSaveEntry(SchedTable& handle, const EntryDialogValues& values, EntrySaveContext& context,
                   EntrySaveResult* result);
