// The time of day as the office data stamps it: seconds since 1 January
// 1970 UTC in 32 bits. Everything that stamps records or seeds a counter
// from the time asks here, so tests can set the clock.
#pragma once

#include <cstdint>
#include <functional>

int32_t ClockNow();

// Replaces the clock; nullptr restores the system clock.
using ClockSource = std::function<int32_t()>;
void SetClockSource(ClockSource source);
