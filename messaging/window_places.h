// Where the message list window and the message view windows stand. The
// main window reads both places from its INI file at start (MessageState,
// ViewState), each window opens at its place (centred the first time) and
// leaves its place behind when it closes; the main window hears of every
// change and writes the records when the program ends.
#pragma once

#include <QRect>
#include <functional>

class QWidget;

enum class PlacedWindow { kList, kView };

struct WindowPlace {
  QRect rect;  // invalid: centred on the screen
  bool maximised = false;
};

struct MessagePlaces {
  WindowPlace list;
  WindowPlace view;
  // A window closed: its normal rectangle and whether it was maximised or
  // minimised (the main window's state record decides what is kept).
  std::function<void(PlacedWindow, const QRect& normal, bool maximised, bool minimised)> left;
};

// The places in force (process-wide, like the one list window).
MessagePlaces& Places();

// Puts the window at its place before it shows.
void PlaceWindow(QWidget* window, PlacedWindow which);
// Keeps where the window stands now, as it closes, and tells the main
// window.
void LeavePlace(const QWidget* window, PlacedWindow which);
