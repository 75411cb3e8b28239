#pragma once
// One part as the bench delivers it to the library, step by step: the part's identity and the
// time it entered, then the steps of its test sequence — a mode begins, its measurement
// begins, trains of measured values are delivered to an input of the intake station, the
// measurement and the mode end. The simulator makes such records, the measurement log stores
// and reads them, and the part driver sends them to the library; a recorded part therefore
// reaches the library exactly as a live one.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Simulation.h"
#include "host/MeasuringResult.h"

struct PartStep {
  enum kind_t { beginMode, beginMeasurement, deliver, endMeasurement, endMode };
  kind_t kind = beginMode;
  int mode = 0;  // beginMode … endMode except deliver
  // deliver: the station input ("TriggeredInput", "FinalInput"), the measured values in train
  // order, and whether the train carries the synchronisation key of the measuring thread (the
  // key is taken when the train is delivered).
  std::string input;
  std::vector<std::shared_ptr<const CMeasuringResultBase>> values;
  bool synch = false;
};

struct PartRecord {
  // serial, and what the simulation injected (kind, level, text); a recorded part from
  // another source knows only its serial and, when the log says so, what was injected.
  SimPart part;
  std::string type;               // the part type of the candidate
  uint64_t tick = 0;              // host tick when the part entered
  uint64_t wallMilliseconds = 0;  // wall time then, milliseconds since the epoch
  uint64_t cycleMs = 0;           // bench time of its cycle when recorded (0: not known)
  std::vector<PartStep> steps;
  // The result the part had when it was recorded (NorviDefs::result_t); -1 when unknown.
  int32_t recordedResult = -1;
};
