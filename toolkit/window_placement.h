// Where the scheduler's and the to-do list's windows stand on the screen.
// A window takes the placement when it opens and gives it back when it
// closes, so the next window (the other layout, or the next run of the
// program through the workstation's window state records SchedState and
// TodoState) opens where the last one was.
#pragma once

#include <QRect>
#include <functional>
#include <optional>

class QWidget;

struct WindowPlacement {
  std::optional<QRect> rect;  // the window's normal (not maximised) geometry
  bool maximised = false;
  // Told whenever a window gives its placement back: its normal geometry
  // and whether it was maximised or minimised.
  std::function<void(const QRect& rect, bool maximised, bool minimised)> kept;
};

// Moves a window that has not been shown yet to the placement.
void PlaceWindow(QWidget& window, const WindowPlacement& placement);
// Takes the window's placement (a maximised or minimised window keeps the
// rectangle it had before) and tells the placement's listener.
void KeepPlacement(const QWidget& window, WindowPlacement& placement);
