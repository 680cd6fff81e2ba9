#include "toolkit/window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

void PlaceWindow(QWidget& window, const WindowPlacement& placement) {
  if (placement.rect) window.setGeometry(*placement.rect);
  if (placement.maximised) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void PlaceWindowCentred(QWidget& window, const WindowPlacement& placement) {
  if (!placement.rect) {
    if (QScreen* screen = QApplication::primaryScreen())
      window.move(screen->availableGeometry().center() - window.rect().center());
  }
  PlaceWindow(window, placement);
}

void KeepPlacement(const QWidget& window, WindowPlacement& placement) {
  const bool maximised = window.isMaximized();
  const bool minimised = window.isMinimized();
  const QRect normal =
      window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
  // As the window state record keeps it: a maximised window only its
  // state, a minimised one the rectangle it had before.
  placement.maximised = maximised;
  if (!maximised && !minimised) placement.rect = normal;
  if (placement.kept) placement.kept(normal, maximised, minimised, placement.spare);
}
