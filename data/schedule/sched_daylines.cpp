#include "data/schedule/sched_daylines.h"

#include <algorithm>

#include "data/local_time.h"
#include "data/schedule/sched_time_text.h"
#include "storage/errors.h"

namespace {

// Whether a walk's failure is only its end (1018) and no engine failure.
bool WalkEnded() {
  return AppErrorCode() == kAppEndOfFile && DbGetError() == kDbOk;
}

bool LineBefore(const DayLine& a, const DayLine& b) {
  if (a.time != b.time) return a.time < b.time;
  // Byte for byte, as the code page's bytes are unsigned.
  return std::lexicographical_compare(a.description.begin(), a.description.end(),
                                      b.description.begin(), b.description.end(),
                                      [](char x, char y) { return uint8_t(x) < uint8_t(y); });
}

}  // namespace

PresetHours PresetHoursFromOptions(int presetStart, int presetEnd) {
  PresetHours h;
  h.first = presetStart > 23 || presetStart < 0 ? 8 : presetStart;
  h.last = presetEnd < h.first ? h.first : std::min(presetEnd, 23);
  return h;
}

void InsertDayLine(std::vector<DayLine>& lines, DayLine line) {
  auto at = std::upper_bound(lines.begin(), lines.end(), line, LineBefore);
  lines.insert(at, std::move(line));
}

int AddPresetSlots(std::vector<DayLine>& lines, int32_t day, PresetHours hours) {
  LocalTime date = ToLocal(DayOf(day));
  int added = 0;
  for (int h = hours.first; h <= hours.last; ++h) {
    if (int(lines.size()) >= kMaxBuiltDayLines) break;
    int32_t at = FromLocal(date.year, date.month, date.day, h, 0, h == 0 ? 1 : 0);
    if (at == -1) continue;
    // On the day summer time begins an hour that does not exist lands on
    // the next one; that hour gets no second slot.
    if (ToLocal(at).hour != h) continue;
    bool taken =
        std::any_of(lines.begin(), lines.end(), [at](const DayLine& l) { return l.time == at; });
    if (taken) continue;
    DayLine slot;
    slot.time = at;
    InsertDayLine(lines, slot);
    ++added;
  }
  return added;
}

void DrawBrackets(std::vector<DayLine>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const DayLine& start = lines[i];
    if (start.IsSlot() || start.IsEndLine() || start.end == 0) continue;
    int32_t recordNumber = start.key.RecordNumber();
    lines[i].bracket = kBracketTop;
    for (size_t j = i + 1; j < lines.size(); ++j) {
      DayLine& l = lines[j];
      if (l.bracket != kBracketNone) l.overlap = true;
      if (l.IsEndLine() && l.endOf == recordNumber) {
        l.bracket = kBracketBottom;
        break;
      }
      l.bracket = kBracketBar;
    }
  }
}

int SchedBuildDayLines(SchedTable& handle, int32_t day, int32_t owner, const PresetHours* presets,
                       std::vector<DayLine>* lines, int* slotsAdded) {
  lines->clear();
  if (slotsAdded) *slotsAdded = 0;
  SchedKey key;
  ClearAppError();
  int ok = SchedFindFirst(handle, day, owner, &key);
  int32_t next = AddDays(DayOf(day), 1);
  while (ok && key.Owner() == owner && key.Start() < next && int(lines->size()) < kMaxDayLines) {
    SchedRecord record;
    if (!SchedRead(handle, key.RecordNumber(), &record)) {
      if (DbGetError() != kDbRecordDeleted) return 0;
      DbClearError();  // deleted meanwhile at another workstation
    } else {
      DayLine startLine;
      startLine.key = key;
      startLine.time = key.Start();
      startLine.end = key.End();
      startLine.description = record.Description();
      InsertDayLine(*lines, startLine);
      if (key.End() != 0) {
        DayLine endLine;
        endLine.key = key;
        endLine.time = key.End();
        endLine.endOf = key.RecordNumber();
        InsertDayLine(*lines, endLine);
      }
    }
    ClearAppError();
    ok = SchedNext(handle, &key);
  }
  if (!ok && !WalkEnded()) return 0;
  ClearAppError();
  if (presets) {
    int added = AddPresetSlots(*lines, day, *presets);
    if (slotsAdded) *slotsAdded = added;
  }
  DrawBrackets(*lines);
  return 1;
}

bool IsUntimedLine(const DayLine& line) {
  return line.time != 0 && line.time == DayOf(line.time);
}

std::string DayLineTimeText(const std::vector<DayLine>& lines, size_t i) {
  if (i >= lines.size()) return {};
  const DayLine& line = lines[i];
  if (IsUntimedLine(line)) return {};
  if (i > 0 && lines[i - 1].time == line.time) return {};
  return ListTimeText(line.time, true);
}
