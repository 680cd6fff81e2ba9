// Check boxes and radio buttons as screen readers work them. Qt's own
// accessible ones carry out "Toggle" by flipping the state without a
// click, so a window that reacts to the click (the Repeat box opens its
// dialog, a repeat kind switches the dialog) never hears of it. Ours click
// for "Toggle" as for "Press": a person with a screen reader gets what a
// mouse or the space bar gives.
#pragma once

// Installs them for the whole program; later calls do nothing.
void InstallChoiceButtonAccessibility();
