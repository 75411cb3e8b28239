#pragma once
// The host clock: a millisecond tick count and the wall time. Tests switch it to manual, so
// that periodic callbacks and timers run exactly when the test advances the clock.

#include <cstdint>
#include <ctime>

namespace HostClock {

// Milliseconds since an arbitrary start (monotonic).
uint64_t TickCount();
// Seconds since the epoch.
std::time_t WallTime();
// Milliseconds since the epoch.
uint64_t WallMilliseconds();

// Manual mode: the clock stands at the given values until advanced.
void UseManual(uint64_t ticks, std::time_t wallTime);
// Manual mode with the wall time to the millisecond.
void UseManualMilliseconds(uint64_t ticks, uint64_t wallMilliseconds);
// Moves a manual clock forward (tick count and wall time together); no-op on the system clock.
void Advance(uint64_t milliseconds);
// Back to the system clock.
void UseSystem();
bool IsManual();

}  // namespace HostClock
