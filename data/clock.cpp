#include "data/clock.h"

#include <ctime>
#include <utility>

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

WallClock SetClock(WallClock clock) {
  return std::exchange(Installed(), std::move(clock));
}
