#include "host/Clock.h"

#include <chrono>

namespace HostClock {
namespace {

struct State {
  bool manual = false;
  uint64_t ticks = 0;
  uint64_t wallMilliseconds = 0;
};

State& Current() {
  static State state;
  return state;
}

}  // namespace

uint64_t TickCount() {
  if (Current().manual) return Current().ticks;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::time_t WallTime() {
  if (Current().manual) return static_cast<std::time_t>(Current().wallMilliseconds / 1000);
  return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

uint64_t WallMilliseconds() {
  if (Current().manual) return Current().wallMilliseconds;
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void UseManual(uint64_t ticks, std::time_t wallTime) {
  UseManualMilliseconds(ticks, static_cast<uint64_t>(wallTime) * 1000);
}

void UseManualMilliseconds(uint64_t ticks, uint64_t wallMilliseconds) {
  Current() = State{true, ticks, wallMilliseconds};
}

void Advance(uint64_t milliseconds) {
  if (!Current().manual) return;
  Current().ticks += milliseconds;
  Current().wallMilliseconds += milliseconds;
}

void UseSystem() {
  Current() = State{};
}

bool IsManual() {
  return Current().manual;
}

}  // namespace HostClock
