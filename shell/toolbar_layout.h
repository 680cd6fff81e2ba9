// The floating toolbar's arithmetic: which buttons it gets, its size in
// each of its three shapes, where it stands on the screen, its title, and
// what the system menu's entries change.
#pragma once

#include <string>
#include <vector>

#include "shell/workstation_settings.h"

// Commands of the toolbar items and of the main window.
constexpr int kCmdTake = 251;
constexpr int kCmdView = 252;
constexpr int kCmdPhoneList = 253;
constexpr int kCmdScheduler = 254;
constexpr int kCmdTodo = 255;
constexpr int kCmdRebuildToolbar = 207;
constexpr int kCmdFull = 218;
// The first of the toolbar dialog's item buttons (400 to 404).
constexpr int kFirstItemButton = 400;
// A button of the horizontal and vertical toolbar.
constexpr int kToolbarButtonSize = 40;

// System menu entries.
constexpr int kMenuAlwaysOnTop = 1;
constexpr int kMenuSquare = 2;
constexpr int kMenuHorizontal = 3;
constexpr int kMenuVertical = 4;
constexpr int kMenuFirstItem = 622;

struct ToolbarItem {
  const char* key;       // INI key in "ToolBar"
  const char* label;     // button text and tooltip
  int command;           // 251 + item number
  const char* menuText;  // "Toolbar items" entry of the system menu
  int menuId;            // 622 + item number
};
extern const ToolbarItem kToolbarItems[kToolbarItemCount];

// A button of the floating toolbar: the FULL button first, then the shown
// items. The item buttons carry their command as control id.
struct ToolbarButton {
  int resourceId;  // 218 for FULL, else 400 + its place among the shown items
  int controlId;   // 218 for FULL, else the item's command
  std::string label;
  int x = 0;
  int y = 0;
};

struct ToolbarLayout {
  std::vector<ToolbarButton> buttons;
  int width = 0;
  int height = 0;
  bool minimiseBox = true;
};

// Lays out the toolbar. buttonWidth and buttonHeight are the FULL button's
// size in the square shape; the other shapes use 40 by 40 buttons, one row
// (horizontal) or one column (vertical).
ToolbarLayout LayOutToolbar(int shape, const std::array<bool, kToolbarItemCount>& shown,
                            int buttonWidth, int buttonHeight);

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};
// Where the toolbar opens: InitX and InitY when set and the toolbar fits on
// the screen there; otherwise at the right edge and at the top.
ScreenPoint PlaceToolbar(int initX, int initY, int width, int height, int screenWidth,
                         int screenHeight);

// The floating toolbar's title: the user's name when the INI file is not
// the default one (two people sharing a workstation tell their toolbars
// apart), else "DP".
std::string ToolbarTitle(const std::string& iniPath, const std::string& userName);
// The full application's title: "DESKpost", or "DESKpost for <name>" with
// another INI file.
std::string MainTitle(const std::string& iniPath, const std::string& userName);

// What a system menu entry asks of the window.
struct SystemMenuChange {
  bool handled = false;         // the id is one of the entries
  bool topMostChanged = false;  // AlwaysOnTop toggled: apply it (off also sends to the bottom)
  bool rebuild = false;         // rebuild the floating toolbar now
  bool deferred = false;        // rebuild on the next restore or maximise (command 207)
};
// Applies "Always on top", a shape or a "Toolbar items" entry to the
// settings. A change of shape or items while the window is minimised waits.
SystemMenuChange ApplySystemMenu(WorkstationSettings& settings, int id, bool minimised);
