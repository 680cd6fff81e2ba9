#include "data/clock.h"

#include <ctime>

namespace {

WallClock& Installed() {
  static WallClock clock;
  return clock;
}

}  // namespace

int32_t ClockNow() {
  if (Installed()) return Installed()();
  return int32_t(std::time(nullptr));
}

void SetClock(WallClock clock) {
  Installed() = std::move(clock);
}
