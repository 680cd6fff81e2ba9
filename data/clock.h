// The wall clock of the office data: the time values stored in records
// (seconds since 1 January 1970, 32-bit signed).
//
// Everything in data/ that stamps a record asks this clock, so a test can
// set the time a message is sent or viewed instead of waiting for it.
#pragma once

#include <cstdint>
#include <functional>

using WallClock = std::function<int32_t()>;

// The current time value.
int32_t ClockNow();
// Replaces the clock and returns the one it replaced; nullptr restores the
// system's.
WallClock SetClock(WallClock clock);
