#pragma once
// The simulated test bench: makes each part's record — the steps of the test sequence with the
// measured values a part of the plan's simulation delivers — for the part driver to send.

#include <cstdint>
#include <string>
#include <vector>

#include "PartRecord.h"
#include "Simulation.h"
#include "host/Params.h"

class CBench {
 public:
  CBench(const SimPlan& plan, uint64_t seed);

  // Part `number` of the run with this seed (the same number always gives the same part).
  PartRecord MakePart(int number) const;

 private:
  void AddMode(SimPart& part, int mode, std::vector<PartStep>& steps) const;
  void AddFinals(SimPart& part, int mode, std::vector<PartStep>& steps) const;
  void AddTracks(SimPart& part, int mode, std::vector<PartStep>& steps) const;
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

  const SimPlan& plan_;
  uint64_t seed_;
  CDtParamInstance params_;
};
