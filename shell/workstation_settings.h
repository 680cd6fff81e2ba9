// The workstation's own settings in its INI file (DPDESK.INI or the file
// named on the command line): how the main window starts and where its
// windows stand, the alert sounds, this workstation's delete rights, the
// poll time and the items of the floating toolbar.
//
// Everything is read once at start-up. A value that is not a number, or a
// number outside the key's accepted range, leaves the default, so a
// hand-edited file can never stop the program. At the end the keys the
// program changes while running are written back; the others (rights,
// sounds, start mode) belong to the administrator and are never written.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "data/office/office_config.h"
#include "shell/window_state.h"

// Start mode (InitMode).
enum StartMode { kStartFullScreen = 0, kStartFloating = 1, kStartIcon = 2 };
// Shape of the floating toolbar (Float).
enum ToolbarShape { kShapeSquare = 0, kShapeHorizontal = 1, kShapeVertical = 2 };

constexpr char kSoundsSection[] = "Sounds";
constexpr char kToolBarSection[] = "ToolBar";
constexpr size_t kMaxSoundFileLength = 79;
constexpr int kMaxInitPosition = 9999;
constexpr int kPositionNotSet = -1;

// The items of the floating toolbar, in their fixed order.
constexpr int kToolbarItemCount = 5;
extern const char* const kToolbarItemKeys[kToolbarItemCount];

// The windows whose placement is kept, in the order they are written.
enum WindowStateKey {
  kMainWindowState = 0,
  kViewWindowState,
  kMessageWindowState,
  kPhoneWindowState,
  kSchedWindowState,
  kTodoWindowState,
  kWindowStateCount
};
extern const char* const kWindowStateKeys[kWindowStateCount];

struct WorkstationSettings {
  int initMode = kStartFloating;      // InitMode, 0 to 2
  int floatShape = kShapeHorizontal;  // Float, 0 to 2
  int initX = kPositionNotSet;        // InitX, 0 to 9999
  int initY = kPositionNotSet;        // InitY, 0 to 9999
  bool alwaysOnTop = false;           // AlwaysOnTop, 0 or 1
  // Sound files of the urgent-message, message and alarm alerts; empty
  // for none (the alert beeps).
  std::string urgentSound;
  std::string messageSound;
  std::string alarmSound;
  // Delete rights of this workstation; false answers "You do not have
  // access rights for this action.".
  bool nameDelete = true;
  bool phoneDelete = true;
  bool schedDelete = true;
  bool todoDelete = true;
  bool noShading = false;
  bool useTapi = false;
  // PollTime in seconds, when the key holds a whole number; whether it is
  // in range is decided with DPDESK.CFG's POLLTIME (PollIntervalTicks).
  std::optional<int32_t> pollTime;
  // Which toolbar items are shown.
  std::array<bool, kToolbarItemCount> toolbarShown = {true, true, true, true, true};
  // Window state records, when present and valid.
  std::array<std::optional<WindowStateRecord>, kWindowStateCount> windows;
};

WorkstationSettings ReadWorkstationSettings(const std::string& iniPath);

// The poll interval in 2-second ticks from DPDESK.CFG of the data
// directory and the INI file's PollTime; 0 means no polling.
int32_t WorkstationPollTicks(const std::string& dataDirectory, const WorkstationSettings& settings);

// Writes the "ToolBar" keys ("1" or "0"), as the main window does when it
// closes.
bool WriteToolbarItems(const std::string& iniPath, const WorkstationSettings& settings);
// Writes InitX, InitY, Float and AlwaysOnTop as "%d", then every window
// state record that is set, as the program does after its message loop.
// True when every key was written.
bool WriteWindowSettings(const std::string& iniPath, const WorkstationSettings& settings);
