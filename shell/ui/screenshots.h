// With DESKPOST_SCREENSHOT_DIR set (scripts/screenshot sets it) the program
// saves what it drew, then ends: the full application and the floating
// toolbar in its three shapes, each as "dpwin-<name>.png" (the window) and
// "screen-<name>.png" (the whole screen).
#pragma once

#include <QString>

class DpWin;

void TakeScreenshots(DpWin& window, const QString& directory);
