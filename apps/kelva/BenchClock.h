#pragma once
// The bench's time between parts. On the real clock a part takes as long as it takes and the
// lamp's timers fire when their time has come (the run waits for the last one at the end, so
// the lamp ends steady). With a cycle time the host clock is manual: it starts at the real
// time, a part's test takes no time, and the rest of its cycle — the operator unloading the
// part — passes after its end of test, firing every timer at its due time. Runs on a cycle
// time are therefore exactly repeatable, lamp timings included.

#include <cstdint>

class CBenchClock {
 public:
  // cycleMs < 0: the real clock; otherwise every part takes `cycleMs` of bench time.
  explicit CBenchClock(int64_t cycleMs);
  ~CBenchClock();  // back to the real clock
  CBenchClock(const CBenchClock&) = delete;
  CBenchClock& operator=(const CBenchClock&) = delete;

  bool Simulated() const { return cycleMs_ >= 0; }
  // A part enters: returns the host tick its cycle starts at.
  uint64_t StartCycle();
  // After the part's end of test: lets the rest of its cycle pass. On the real clock only the
  // timers due now fire, except after the last part, when the run waits for the pending ones.
  void FinishCycle(bool lastPart);

 private:
  void PassSimulated(uint64_t milliseconds);

  int64_t cycleMs_;
  uint64_t cycleStart_ = 0;
};
