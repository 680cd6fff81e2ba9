#include "shell/window_state.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "data/setting_number.h"

std::optional<WindowStateRecord> ParseWindowState(std::string_view text) {
  std::vector<int> numbers;
  size_t i = 0;
  while (i < text.size() && numbers.size() < 6) {
    if (text[i] == ',' || text[i] == ' ') {
      ++i;
      continue;
    }
    size_t end = text.find_first_of(", ", i);
    if (end == std::string_view::npos) end = text.size();
    std::optional<int64_t> n = SettingNumber(text.substr(i, end - i));
    if (!n || *n < INT_MIN || *n > INT_MAX) return std::nullopt;
    numbers.push_back(int(*n));
    i = end;
  }
  if (numbers.size() < 5) return std::nullopt;
  WindowStateRecord record;
  record.state = numbers[0];
  record.rect = {numbers[1], numbers[2], numbers[3], numbers[4]};
  record.spare = numbers.size() > 5 ? numbers[5] : 0;
  if (record.rect.left >= kWindowLeftLimit || record.rect.top >= kWindowTopLimit) {
    return std::nullopt;
  }
  return record;
}

std::string FormatWindowState(const WindowStateRecord& r) {
  char text[96];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d", r.state, r.rect.left, r.rect.top,
                r.rect.right, r.rect.bottom, r.spare);
  return text;
}

WindowRestore RestoreWindow(const WindowStateRecord& record) {
  WindowRestore restore;
  restore.move = record.rect.bottom != 0;
  restore.rect = record.rect;
  restore.maximise = record.state == kWindowMaximised;
  return restore;
}

void SaveWindowState(WindowStateRecord& record, bool maximised, bool minimised,
                     const WindowRect& current) {
  if (maximised) {
    record.state = kWindowMaximised;
    return;
  }
  record.state = kWindowNormal;
  if (!minimised) record.rect = current;
}
