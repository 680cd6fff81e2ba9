#include "data/schedule/sched_entry_save.h"

#include "data/local_time.h"
#include "data/office/flags.h"
#include "data/schedule/sched_alarm.h"
#include "data/schedule/sched_time_text.h"
#include "data/schedule/sched_update_memo.h"
#include "storage/errors.h"

namespace {

bool Blank(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

// The message for a refused add or update, or empty for an engine error.
std::string RefusalMessage() {
  if (SchedDuplicate() || AppErrorCode() == kAppDuplicate) return kDuplicateEntryMessage;
  if (AppErrorCode() == kAppMaxRecords) return kDayFullMessage;
  return {};
}

// Keeps the first failure after the save for the error box.
void NoteAfterSave(EntrySaveResult* result) {
  if (result->afterSave.empty()) result->afterSave = FormatAppError();
}

}  // namespace

int EntryFromDialog(const EntryDialogValues& values, const EntrySaveContext& context,
                    SchedRecord* record, std::string* message) {
  const int32_t day = DayOf(values.date != 0 ? values.date : context.currentDay);
  if (!InDateRange(day)) {
    *message = kYearRangeMessage;
    return 0;
  }
  if (Blank(values.description)) {
    *message = kNoDescriptionMessage;
    return 0;
  }
  record->SetDescription(values.description);
  record->SetNote(values.note);
  int32_t start = day;
  int32_t end = 0;
  if (!Blank(values.startText)) {
    start = ReadTimeText(values.startText, day);
    // A timed midnight entry lies one second after the untimed ones.
    if (start == day) start = day + 1;
    end = ReadTimeText(values.endText, day);
  }
  record->SetStart(start);
  record->SetEnd(end);
  record->SetAlarm(ReadTimeText(values.alarmText, day));
  record->SetOwner(context.owner);
  if (start == 0) {
    *message = kNoTimeMessage;
    return 0;
  }
  if (end != 0 && end <= start) {
    *message = kEndBeforeStartMessage;
    return 0;
  }
  return 1;
}

int SchedSaveEntry(SchedTable& handle, const EntryDialogValues& values, EntrySaveContext& context,
                   EntrySaveResult* result) {
  *result = EntrySaveResult();
  SchedRecord stored;
  bool editing = context.editing >= 0;
  if (editing) {
    // The fields the dialog does not show (unique id, repeat group, change
    // count) come from the stored entry as it is now.
    ClearAppError();
    if (!SchedRead(handle, context.editing, &stored)) {
      if (DbGetError() != kDbRecordDeleted) return 0;
      DbClearError();
      editing = false;  // deleted meanwhile: the save becomes an add
    }
  }
  SchedRecord record = stored;
  if (!EntryFromDialog(values, context, &record, &result->message)) return 0;

  int32_t recordNumber = -1;
  bool groupQuestion = false;
  if (editing) {
    if (record.Start() == stored.Start() && record.End() == stored.End() &&
        record.Alarm() == stored.Alarm() && record.Description() == stored.Description() &&
        record.Note() == stored.Note() && values.repeatKind == kRepeatNone) {
      result->recordNumber = context.editing;
      result->record = stored;
      return 1;
    }
    ClearAppError();
    if (!SchedUpdate(handle, context.editing, record)) {
      result->message = RefusalMessage();
      return 0;
    }
    recordNumber = context.editing;
    groupQuestion = record.RepeatGroup() != 0 && RepeatEditConcernsGroup(stored, record);
  } else {
    record.SetUniqueId(0);
    ClearAppError();
    if (!SchedAdd(handle, record, &recordNumber)) {
      result->message = RefusalMessage();
      return 0;
    }
  }
  result->written = true;
  result->recordNumber = recordNumber;
  result->record = record;

  if (groupQuestion && context.ask && context.ask(kChangeGroupQuestion)) {
    if (!SchedChangeGroup(handle, record)) NoteAfterSave(result);
  }
  int alarm = context.searchAlarm ? context.searchAlarm()
                                  : SchedFindNextAlarm(&handle, context.user, &CurrentAlarm());
  if (!alarm) NoteAfterSave(result);
  // Someone else's schedule: their workstation is told to look again. The
  // common schedule is nobody's, so it has no flag file to raise.
  if (context.owner != context.user && context.owner != kCommonScheduleOwner &&
      !SetFlag(kFlagScheduleChanged, true, context.owner))
    NoteAfterSave(result);
  if (values.sendUpdate &&
      !SendUpdateMemo(record, values.repeatKind != kRepeatNone, context.ownerName, context.owner))
    NoteAfterSave(result);
  context.currentDay = DayOf(record.Start());

  if (values.repeatKind != kRepeatNone) {
    // Found again by its key: the table may have moved on meanwhile.
    int32_t found = -1;
    SchedKey key;
    if (!SchedFindKey(handle, SchedKeyOf(record, recordNumber), &found, &key) ||
        key.UniqueId() != record.UniqueId() || key.Owner() != record.Owner()) {
      if (AppErrorCode() == 0 || AppErrorCode() == kAppEndOfFile)
        SetAppError(kAppNotFound, record.Description());
      NoteAfterSave(result);
      return 1;
    }
    if (!RepeatGenerate(handle, found, record, values.repeatKind, CurrentRepeatRules(),
                        &result->repeats))
      NoteAfterSave(result);
    result->record = record;
  }
  return 1;
}
