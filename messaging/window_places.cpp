#include "messaging/window_places.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace {

WindowPlace& PlaceOf(PlacedWindow which) {
  return which == PlacedWindow::kList ? Places().list : Places().view;
}

}  // namespace

MessagePlaces& Places() {
  static MessagePlaces places;
  return places;
}

void PlaceWindow(QWidget* window, PlacedWindow which) {
  const WindowPlace& place = PlaceOf(which);
  if (place.rect.isValid()) {
    window->setGeometry(place.rect);
  } else if (QScreen* screen = QApplication::primaryScreen()) {
    window->move(screen->availableGeometry().center() - window->rect().center());
  }
  if (place.maximised) window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void LeavePlace(const QWidget* window, PlacedWindow which) {
  WindowPlace& place = PlaceOf(which);
  const bool maximised = window->isMaximized();
  const bool minimised = window->isMinimized();
  // A maximised window keeps the rectangle it had before, for its restore.
  if (!maximised && !minimised) place.rect = window->geometry();
  place.maximised = maximised;
  const QRect normal =
      window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
  if (Places().left) Places().left(which, normal, maximised, minimised);
}
