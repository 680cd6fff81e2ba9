// The main window's two modes, full application and floating toolbar, and
// what moving between them, starting and closing keep in the settings:
// the toolbar's position in InitX and InitY, the full window's placement in
// the MainWnd record, and whether the full window was maximised when it
// last became a toolbar.
#pragma once

#include <optional>

#include "shell/toolbar_layout.h"
#include "shell/window_state.h"
#include "shell/workstation_settings.h"

struct WindowMode {
  bool floating = false;
  // The full window was maximised when it became a toolbar: it comes back
  // maximised.
  bool fullWasMaximised = false;
  // A change of shape or items made while minimised, applied at the next
  // restore or maximise (command 207).
  bool rebuildDeferred = false;
};

// How the window shows after creation (InitMode): 0 the full application
// maximised, 2 the full application minimised (top-most with AlwaysOnTop),
// 1 the floating toolbar.
struct StartShow {
  bool floating = false;
  bool maximised = false;
  bool minimised = false;
  bool topMost = false;
};
StartShow StartShowFor(const WorkstationSettings& settings);

// From the full application to the toolbar: the placement is kept in
// MainWnd unless the window is maximised (then the old rectangle stays for
// the way back).
void EnterFloating(WindowMode& mode, WorkstationSettings& settings, bool maximised, bool minimised,
                   const WindowRect& fullRect);
// Rebuilding the toolbar (new shape or items): it opens again where it is.
void KeepToolbarPosition(WorkstationSettings& settings, const ScreenPoint& at);

// Back to the full application: the toolbar's position is kept; the full
// window goes to the MainWnd rectangle (when there is one) and is maximised
// when it was before.
struct FullShow {
  std::optional<WindowRect> rect;
  bool maximise = false;
};
FullShow LeaveFloating(WindowMode& mode, WorkstationSettings& settings, const ScreenPoint& at);

// Closing: the toolbar keeps its position, the full window its placement.
void SaveOnClose(const WindowMode& mode, WorkstationSettings& settings,
                 const ScreenPoint& toolbarAt, bool maximised, bool minimised,
                 const WindowRect& fullRect);

// Whether a size change sets the top-most state (true or false) or leaves
// it: minimising keeps an AlwaysOnTop window on top; maximising or
// restoring while the full application shows takes it away.
enum class SizeChange { kMinimised, kMaximised, kRestored };
std::optional<bool> TopMostAfter(SizeChange change, const WindowMode& mode, bool alwaysOnTop);

// The main window refuses to close while one of the program's windows is
// disabled, which means a modal dialog is up (the refusal beeps).
inline bool MayClose(bool anyWindowDisabled) {
  return !anyWindowDisabled;
}
