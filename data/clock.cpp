#include "data/clock.h"

#include <ctime>
#include <utility>

namespace {
ClockSource source;
}  // namespace

int32_t ClockNow() {
  if (source) return source();
  return int32_t(std::time(nullptr));
}

void SetClockSource(ClockSource newSource) {
  source = std::move(newSource);
}
