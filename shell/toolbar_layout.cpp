#include "shell/toolbar_layout.h"

#include <strings.h>

#include <algorithm>

#include "data/office/profile.h"

const ToolbarItem kToolbarItems[kToolbarItemCount] = {
    {"TakeButton", "&Take a message", kCmdTake, "&Take message", 622},
    {"InboxButton", "&View messages", kCmdView, "&In box", 623},
    {"PhoneListButton", "Phone&List", kCmdPhoneList, "&Card file", 624},
    {"ScheduleButton", "&Scheduler", kCmdScheduler, "&Scheduler", 625},
    {"TodoButton", "To-&do list", kCmdTodo, "T&o-do list", 626},
};

ToolbarLayout LayOutToolbar(int shape, const std::array<bool, kToolbarItemCount>& shown,
                            int buttonWidth, int buttonHeight) {
  ToolbarLayout layout;
  layout.buttons.push_back({kCmdFull, kCmdFull, "&FULL"});
  for (int i = 0; i < kToolbarItemCount; ++i) {
    if (!shown[size_t(i)]) continue;
    const int place = int(layout.buttons.size()) - 1;
    layout.buttons.push_back(
        {kFirstItemButton + place, kToolbarItems[i].command, kToolbarItems[i].label});
  }
  const int items = int(layout.buttons.size()) - 1;
  const int b = kToolbarButtonSize;
  switch (shape) {
    case kShapeSquare: {
      const int w = buttonWidth, h = buttonHeight;
      // FULL top left, then across the first two columns before the third.
      static constexpr int kCells[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 0}, {2, 1}};
      for (size_t i = 0; i < layout.buttons.size(); ++i) {
        layout.buttons[i].x = kCells[i][0] * w;
        layout.buttons[i].y = kCells[i][1] * h;
      }
      int columns = 3, rows = 2;
      if (items < 4) {
        columns = 2;
        layout.minimiseBox = false;
      }
      if (items < 2) rows = 1;
      layout.width = columns * w;
      layout.height = rows * h;
      break;
    }
    case kShapeVertical:
      for (size_t i = 0; i < layout.buttons.size(); ++i) layout.buttons[i].y = int(i) * b;
      layout.width = b;
      layout.height = 6 * b - (kToolbarItemCount - items) * b;
      layout.minimiseBox = false;
      break;
    default:
      for (size_t i = 0; i < layout.buttons.size(); ++i) layout.buttons[i].x = int(i) * b;
      layout.width = 6 * b - (kToolbarItemCount - items) * b;
      layout.height = b;
      break;
  }
  return layout;
}

ScreenPoint PlaceToolbar(int initX, int initY, int width, int height, int screenWidth,
                         int screenHeight) {
  ScreenPoint at;
  at.x = initX >= 0 && initX <= screenWidth - width ? initX : screenWidth - width;
  at.y = initY >= 0 && initY <= screenHeight - height ? initY : 0;
  return at;
}

namespace {

bool DefaultIni(const std::string& iniPath) {
  const size_t slash = iniPath.rfind('/');
  const std::string name = slash == std::string::npos ? iniPath : iniPath.substr(slash + 1);
  return strcasecmp(name.c_str(), kDefaultIniName) == 0;
}

}  // namespace

std::string ToolbarTitle(const std::string& iniPath, const std::string& userName) {
  return DefaultIni(iniPath) ? "DP" : userName;
}

std::string MainTitle(const std::string& iniPath, const std::string& userName) {
  return DefaultIni(iniPath) ? "DESKpost" : "DESKpost for " + userName;
}

SystemMenuChange ApplySystemMenu(WorkstationSettings& settings, int id, bool minimised) {
  SystemMenuChange change;
  if (id == kMenuAlwaysOnTop) {
    settings.alwaysOnTop = !settings.alwaysOnTop;
    change.handled = change.topMostChanged = true;
    return change;
  }
  if (id >= kMenuSquare && id <= kMenuVertical) {
    settings.floatShape = id - kMenuSquare;
  } else if (id >= kMenuFirstItem && id < kMenuFirstItem + kToolbarItemCount) {
    bool& shown = settings.toolbarShown[size_t(id - kMenuFirstItem)];
    shown = !shown;
  } else {
    return change;
  }
  change.handled = true;
  (minimised ? change.deferred : change.rebuild) = true;
  return change;
}
