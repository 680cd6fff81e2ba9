#include "scheduler/window_placement.h"

#include <QWidget>

void PlaceWindow(QWidget& window, const WindowPlacement& placement) {
  if (placement.rect) window.setGeometry(*placement.rect);
  if (placement.maximised) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void KeepPlacement(const QWidget& window, WindowPlacement& placement) {
  const bool maximised = window.isMaximized();
  const bool minimised = window.isMinimized();
  const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry()
                                                         : window.geometry();
  // As the window state record keeps it: a maximised window only its
  // state, a minimised one the rectangle it had before.
  placement.maximised = maximised;
  if (!maximised && !minimised) placement.rect = normal;
  if (placement.kept) placement.kept(normal, maximised, minimised);
}
