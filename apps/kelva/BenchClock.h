#pragma once
// The bench's time between parts. On the real clock a part takes as long as it takes and the
// lamp's timers fire when their time has come (the run waits for the last one at the end, so
// the lamp ends steady). With a cycle time the host clock is manual: it starts at the real
// time, a part's test takes no time, and the rest of its cycle — the operator unloading the
// part — passes after its end of test, firing every timer at its due time. Runs on a cycle
// time are therefore exactly repeatable, lamp timings included.
//
// A replay runs on a manual clock set to each recorded part's time: a part enters at the tick
// and wall time it entered when it was recorded, and its recorded cycle passes after its end
// of test. A recording run on the real clock holds the clock while a part is tested, so that
// every time the library takes during the part is the part's recorded time.

#include <cstdint>

class CBenchClock {
 public:
  enum mode_t { real, simulated, replay };
  // cycleMs < 0: the real clock; otherwise every part takes `cycleMs` of bench time. A replay's
  // clock ignores `cycleMs`.
  explicit CBenchClock(int64_t cycleMs, bool replaying = false);
  ~CBenchClock();  // back to the real clock
  CBenchClock(const CBenchClock&) = delete;
  CBenchClock& operator=(const CBenchClock&) = delete;

  bool Simulated() const { return mode_ != real; }
  // On the real clock: hold the clock while a part is tested (a recording run).
  void HoldDuringParts(bool hold) { hold_ = hold; }

  // Sets the clock of a replay to the time its first part was recorded.
  void StartAt(uint64_t tick, uint64_t wallMilliseconds);
  // A part enters: returns the host tick its cycle starts at.
  uint64_t StartCycle();
  // A recorded part enters at its recorded time (replay): the time up to it passes first.
  uint64_t StartRecordedCycle(uint64_t tick, uint64_t wallMilliseconds);
  // After the part's end of test: lets the rest of its cycle pass (`recordedCycleMs` in a
  // replay). On the real clock only the timers due now fire, except after the last part, when
  // the run waits for the pending ones.
  void FinishCycle(bool lastPart, uint64_t recordedCycleMs = 0);
  // The bench time the part's cycle took so far.
  uint64_t CycleSoFar() const;

 private:
  void PassSimulated(uint64_t milliseconds);
  void PassPendingTimers();

  mode_t mode_;
  int64_t cycleMs_;
  bool hold_ = false;
  uint64_t cycleStart_ = 0;
};
