// Where a top-level window stands on the screen between its openings: the
// message list and view windows, the scheduler's and the to-do list's, the
// phone list's. A window takes its placement when it opens and gives it
// back when it closes, so the next window (the other layout, or the next
// run of the program through the workstation's window state records) opens
// where the last one was.
#pragma once

#include <QRect>
#include <functional>
#include <optional>

class QWidget;

struct WindowPlacement {
  std::optional<QRect> rect;  // the window's normal (not maximised) geometry
  bool maximised = false;
  // What the window's state record keeps beside the place: the phone list
  // says there whether its detail pane is shown.
  int spare = 0;
  // Told whenever a window gives its placement back: its normal geometry,
  // whether it was maximised or minimised, and the spare value.
  std::function<void(const QRect& rect, bool maximised, bool minimised, int spare)> kept;
};

// Moves a window that has not been shown yet to the placement; without a
// rectangle the window stays where it would open.
void PlaceWindow(QWidget& window, const WindowPlacement& placement);
// The same, but without a rectangle the window is centred on the screen.
void PlaceWindowCentred(QWidget& window, const WindowPlacement& placement);
// Takes the window's placement (a maximised or minimised window keeps the
// rectangle it had before) and tells the placement's listener.
void KeepPlacement(const QWidget& window, WindowPlacement& placement);
