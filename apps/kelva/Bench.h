#pragma once
// The simulated test bench: drives a part through the test sequence as a host does —
// sequencer events to the plug-in, measured values as trains into the intake station's
// inputs, the state machines along the sequence, a result request at the end of the test.

#include <cstdint>
#include <string>
#include <vector>

#include "PartDisplay.h"
#include "Plugin.h"
#include "Simulation.h"
#include "host/Params.h"
#include "host/Railway.h"

struct PartOutcome {
  SimPart part;
  int32_t result = -1;  // NorviDefs::result_t
  std::vector<KelvaError> errors;
  std::vector<std::string> errorTexts;
  double milliseconds = 0.0;
  int nonFiniteValues = 0;    // measured values sent as inf or NaN
  OperatorPart operatorView;  // filled by the run after the part's cycle
};

class CBench {
 public:
  CBench(const CPlugin& plugin, const SimPlan& plan, std::string station, uint64_t seed);

  PartOutcome RunPart(int number);

 private:
  void RunMode(SimPart& part, int mode);
  void SendFinals(SimPart& part, int mode);
  void SendTracks(SimPart& part, int mode);
  // The level of a quantity for this part: nominal, scatter and an injected defect.
  float Scatter(SimPart& part, const SimQuantity& q) const;
  bool Delivers(const SimPart& part, size_t index) const;
  bool Defective(const SimPart& part, size_t index) const;
  std::vector<float> Spectrum(SimPart& part, const SimQuantity& q, bool defective,
                              float extra) const;
  uint32_t CellsOf(const QClavis& key) const;
  // Where `along` the run (0 first cell, 1 last) lies on the speed range of the quantity's
  // axis: 0 at its lowest speed, 1 at its highest (a coast-down starts at the highest).
  float SpeedShare(const QClavis& key, float along) const;
  // What the part's defect adds to quantity `index`'s track at `along` (0 first cell, 1 last):
  // a bump inside its range, or a tilt that makes the track rise more with speed.
  float TrackDefect(const SimPart& part, size_t index, float along, bool inRange) const;
  // "<kind> +<rise>[ at order <x>] in <quantity>" or "missing signal of <quantity>".
  std::string DefectText(const SimPart& part, const SimQuantity& q) const;
  // Counts the values about to be sent that are inf or NaN.
  void CountNonFinite(const float* values, size_t n);

  const CPlugin& plugin_;
  const SimPlan& plan_;
  std::string station_;
  uint64_t seed_;
  CDtParamInstance params_;
  int nonFinite_ = 0;  // of the current part
};

// "O.K.", "n.O.K.", "no result", "system error", or "result <n>".
std::string ResultText(int32_t result);
