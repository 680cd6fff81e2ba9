// Where the message list window and the message view windows stand. The
// main window reads both places from its INI file at start (MessageState,
// ViewState) and hears through each placement's listener when a window
// leaves its place; each window opens at its place (centred the first
// time) and leaves its place behind when it closes.
#pragma once

#include "toolkit/window_placement.h"

struct MessagePlaces {
  WindowPlacement list;
  WindowPlacement view;
};

// The places in force (process-wide, like the one list window).
MessagePlaces& Places();
