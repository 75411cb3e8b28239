#include "BenchClock.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "host/Clock.h"
#include "host/MessageService.h"
#include "host/Timers.h"

namespace {

// The longest the run waits for a lamp timer at its end; the lamp's timers are 1.5 s at most.
constexpr int64_t kMaxFinalWaitMs = 5000;

void DispatchDue() {
  HostTimers::Dispatch();
  CCentralMessageService::Service().Dispatch();
}

}  // namespace

CBenchClock::CBenchClock(int64_t cycleMs, bool replaying)
    : mode_(replaying     ? replay
            : cycleMs < 0 ? real
                          : simulated),
      cycleMs_(cycleMs) {
  if (Simulated()) HostClock::UseManual(HostClock::TickCount(), std::time(nullptr));
}

CBenchClock::~CBenchClock() {
  if (Simulated() || HostClock::IsManual()) HostClock::UseSystem();
}

void CBenchClock::StartAt(uint64_t tick, uint64_t wallMilliseconds) {
  if (mode_ == replay) HostClock::UseManualMilliseconds(tick, wallMilliseconds);
}

uint64_t CBenchClock::StartCycle() {
  if (mode_ == real && hold_)
    HostClock::UseManualMilliseconds(HostClock::TickCount(), HostClock::WallMilliseconds());
  cycleStart_ = HostClock::TickCount();
  return cycleStart_;
}

uint64_t CBenchClock::StartRecordedCycle(uint64_t tick, uint64_t wallMilliseconds) {
  const uint64_t now = HostClock::TickCount();
  if (tick > now) PassSimulated(tick - now);
  HostClock::UseManualMilliseconds(tick, wallMilliseconds);
  cycleStart_ = tick;
  return cycleStart_;
}

uint64_t CBenchClock::CycleSoFar() const {
  return HostClock::TickCount() - cycleStart_;
}

void CBenchClock::FinishCycle(bool lastPart, uint64_t recordedCycleMs) {
  if (mode_ == simulated) {
    const uint64_t spent = CycleSoFar();
    const uint64_t cycle = static_cast<uint64_t>(cycleMs_);
    PassSimulated(cycle > spent ? cycle - spent : 0);
    return;
  }
  if (mode_ == replay) {
    const uint64_t spent = CycleSoFar();
    PassSimulated(recordedCycleMs > spent ? recordedCycleMs - spent : 0);
    if (lastPart) PassPendingTimers();
    return;
  }
  if (hold_) HostClock::UseSystem();
  DispatchDue();
  if (!lastPart) return;
  int64_t waited = 0;
  for (int64_t next = HostTimers::NextDue(); next >= 0 && waited + next <= kMaxFinalWaitMs;
       next = HostTimers::NextDue()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(next));
    waited += std::max<int64_t>(next, 1);  // a timer due again at once cannot hold the run
    DispatchDue();
  }
}

void CBenchClock::PassPendingTimers() {
  int64_t waited = 0;
  for (int64_t next = HostTimers::NextDue(); next >= 0 && waited + next <= kMaxFinalWaitMs;
       next = HostTimers::NextDue()) {
    PassSimulated(static_cast<uint64_t>(next));
    waited += std::max<int64_t>(next, 1);
  }
}

void CBenchClock::PassSimulated(uint64_t milliseconds) {
  uint64_t left = milliseconds;
  DispatchDue();
  for (int64_t next = HostTimers::NextDue(); next >= 0 && static_cast<uint64_t>(next) <= left;
       next = HostTimers::NextDue()) {
    HostClock::Advance(static_cast<uint64_t>(next));
    left -= static_cast<uint64_t>(next);
    DispatchDue();
  }
  HostClock::Advance(left);
  DispatchDue();
}
