#pragma once
// CTrainSpotter: a diagnostic that describes a train in the trace output, one line per wagon.
// Wagon kinds are numbered 0 … 8 (scalar result, scalar target, raw signal, float signal,
// resampling info, thread key, speed list, slow value list, trigger info); a wagon's line is
// written only when bit (1 << kind) of the mask is set, unknown wagons always.

#include <string>

#include "host/Railway.h"
#include "host/StateMachine.h"

class CTrainSpotter {
 public:
  enum kind_t {
    kScalar = 0,
    kScalarTarget = 1,
    kRawSignal = 2,
    kFloatSignal = 3,
    kResampInfo = 4,
    kThreadKey = 5,
    kSpeedList = 6,
    kSlowList = 7,
    kTriggerInfo = 8,
  };

  // Fills the process-wide registry of wagon kinds on first use.
  CTrainSpotter();

  // Writes "<train>\n" + the lines + "</train>\n" (or "<train/>\n" when no line was collected)
  // to the trace output, and returns that text.
  std::string operator()(const CTrain& train, int mask);

 private:
  CSCSClient m_stateClient;
};
