// A top-level window's placement kept in the main window's window state
// record (MessageState, ViewState, PhoneState, SchedState, TodoState): read
// when the main window opens, written back whenever the window closes, and
// saved with the INI file when the program ends.
#pragma once

#include "toolkit/window_placement.h"

class DpWin;

// Fills the placement from the record of the key and makes the placement's
// listener write it back there, with the spare value the window keeps.
void BindPlacement(DpWin& main, int key, WindowPlacement& placement);
