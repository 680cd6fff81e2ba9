#include "toolkit/live_windows.h"

#include "storage/check.h"

namespace {
int live = 0;
}

int LiveWindowCount() {
  return live;
}

LiveWindow::LiveWindow() {
  ++live;
}
LiveWindow::LiveWindow(const LiveWindow&) {
  ++live;
}
LiveWindow::~LiveWindow() {
  --live;
}

bool CheckNoLiveWindows() {
  return DP_CHECK(live == 0);
}
