// The window state record: where a window stood when the program last
// ended, kept in the INI file as "%d,%d,%d,%d,%d,%d" under one key per
// window (MainWnd, ViewState, MessageState, PhoneState, SchedState,
// TodoState).
//
// The six numbers are the state (2 maximised, 0 otherwise), the left, top,
// right and bottom screen edges, and one spare value that belongs to the
// window using the record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

constexpr int kWindowMaximised = 2;
constexpr int kWindowNormal = 0;
// A record whose left or top edge lies at or past these is ignored: the
// window would open beyond any screen the office's workstations use.
constexpr int kWindowLeftLimit = 1025;
constexpr int kWindowTopLimit = 769;

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

struct WindowStateRecord {
  int state = kWindowNormal;
  WindowRect rect;
  int spare = 0;
  bool operator==(const WindowStateRecord&) const = default;
};

// Splits the text at commas and blanks. At least five numbers must be
// there (the spare value is 0 when missing), left below 1025 and top below
// 769; otherwise, or when a part is not a number of the int range, nothing.
std::optional<WindowStateRecord> ParseWindowState(std::string_view text);
// "%d,%d,%d,%d,%d,%d".
std::string FormatWindowState(const WindowStateRecord& record);

// What restoring a window from its record does.
struct WindowRestore {
  bool move = false;  // move to rect (only when the stored bottom is not 0)
  WindowRect rect;
  bool maximise = false;
};
WindowRestore RestoreWindow(const WindowStateRecord& record);

// Brings the record up to date when the window closes: a maximised window
// stores only its state, so the rectangle it had before keeps its place for
// the next restore; otherwise the state becomes 0 and, unless the window is
// minimised (its rectangle then means nothing), the current rectangle is
// kept.
void SaveWindowState(WindowStateRecord& record, bool maximised, bool minimised,
                     const WindowRect& current);
