#pragma once
// Sends a part to the library as a host does: the candidate enters, the steps of its record
// run (sequencer events, the host's state machines and messages, trains into the intake
// station's inputs), the candidate leaves, the result is requested and the test ends.

#include <string>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MarginalBand.h"
#include "PartDisplay.h"
#include "PartRecord.h"
#include "Plugin.h"
#include "host/Railway.h"
#include "host/StateMachine.h"

struct PartOutcome {
  SimPart part;
  int32_t result = -1;          // NorviDefs::result_t
  int32_t recordedResult = -1;  // the result when the part was recorded; -1 not known
  std::vector<KelvaError> errors;
  std::vector<std::string> errorTexts;
  double milliseconds = 0.0;
  int nonFiniteValues = 0;              // measured values sent as inf or NaN
  OperatorPart operatorView;            // filled by the run after the part's cycle
  std::vector<MarginalValue> marginal;  // values in their marginal band (filled by the run)
};

class CPartDriver {
 public:
  CPartDriver(const CPlugin& plugin, std::string station);

  PartOutcome Drive(const PartRecord& record);

 private:
  void Run(const PartStep& step);
  void Deliver(const PartStep& step);
  // Counts the values about to be sent that are inf or NaN.
  void CountNonFinite(const CMeasuringResultBase& value);

  const CPlugin& plugin_;
  std::string station_;
  int nonFinite_ = 0;  // of the current part
  CTrain train_;       // empty between deliveries
  std::shared_ptr<CThreadSynch::Key> synch_;
};

// The number of samples that are NaN or infinite.
size_t CountNonFiniteSamples(const float* samples, size_t n);

// "O.K.", "n.O.K.", "no result", "system error", or "result <n>".
std::string ResultText(int32_t result);
