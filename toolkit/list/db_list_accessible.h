// The database list as a screen reader (and an end-to-end test) meets it:
// its list box is a list whose items are the visible rows, each named by
// the text its row shows, selected where the row is, and opened by its
// action as a double click opens it. The rows' texts are taken from what
// the list draws, so every list over an index reads without code of its
// own.
#pragma once

#include <QString>

class TDBList;

// Row i of the visible page as it is shown: the texts the list draws for
// it, left to right, separated by two spaces. Empty outside the filled
// rows.
QString DbListRowText(TDBList& list, int row);

// Makes every TDBList's list box answer as a list of its rows. Called by
// the list itself; installing twice does nothing more.
void InstallDbListAccessibility();

// Tells a screen reader that the focused row of the list is now row.
void NotifyDbListFocus(TDBList& list, int row);
