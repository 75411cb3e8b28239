#include "BenchClock.h"

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

CBenchClock::CBenchClock(int64_t cycleMs) : cycleMs_(cycleMs) {
  if (Simulated()) HostClock::UseManual(HostClock::TickCount(), std::time(nullptr));
}

CBenchClock::~CBenchClock() {
  if (Simulated()) HostClock::UseSystem();
}

uint64_t CBenchClock::StartCycle() {
  cycleStart_ = HostClock::TickCount();
  return cycleStart_;
}

void CBenchClock::FinishCycle(bool lastPart) {
  if (Simulated()) {
    const uint64_t spent = HostClock::TickCount() - cycleStart_;
    const uint64_t cycle = static_cast<uint64_t>(cycleMs_);
    PassSimulated(cycle > spent ? cycle - spent : 0);
    return;
  }
  DispatchDue();
  if (!lastPart) return;
  int64_t waited = 0;
  for (int64_t next = HostTimers::NextDue(); next >= 0 && waited + next <= kMaxFinalWaitMs;
       next = HostTimers::NextDue()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(next));
    waited += next;
    DispatchDue();
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
