#include "shell/window_mode.h"

StartShow StartShowFor(const WorkstationSettings& settings) {
  StartShow show;
  switch (settings.initMode) {
    case kStartFullScreen:
      show.maximised = true;
      break;
    case kStartIcon:
      show.minimised = true;
      show.topMost = settings.alwaysOnTop;
      break;
    default:
      show.floating = true;
      break;
  }
  return show;
}

namespace {

WindowStateRecord& MainRecord(WorkstationSettings& settings) {
  auto& record = settings.windows[kMainWindowState];
  if (!record) record = WindowStateRecord();
  return *record;
}

}  // namespace

void EnterFloating(WindowMode& mode, WorkstationSettings& settings, bool maximised, bool minimised,
                   const WindowRect& fullRect) {
  mode.floating = true;
  mode.fullWasMaximised = maximised;
  if (!maximised) SaveWindowState(MainRecord(settings), false, minimised, fullRect);
}

void KeepToolbarPosition(WorkstationSettings& settings, const ScreenPoint& at) {
  settings.initX = at.x;
  settings.initY = at.y;
}

FullShow LeaveFloating(WindowMode& mode, WorkstationSettings& settings, const ScreenPoint& at) {
  KeepToolbarPosition(settings, at);
  mode.floating = false;
  mode.rebuildDeferred = false;
  FullShow show;
  const auto& record = settings.windows[kMainWindowState];
  if (record && record->rect.bottom != 0) show.rect = record->rect;
  show.maximise = mode.fullWasMaximised;
  return show;
}

void SaveOnClose(const WindowMode& mode, WorkstationSettings& settings,
                 const ScreenPoint& toolbarAt, bool maximised, bool minimised,
                 const WindowRect& fullRect) {
  if (mode.floating) {
    KeepToolbarPosition(settings, toolbarAt);
  } else {
    SaveWindowState(MainRecord(settings), maximised, minimised, fullRect);
  }
}

std::optional<bool> TopMostAfter(SizeChange change, const WindowMode& mode, bool alwaysOnTop) {
  if (change == SizeChange::kMinimised) {
    if (alwaysOnTop) return true;
    return std::nullopt;
  }
  if (!mode.floating) return false;
  return std::nullopt;
}
