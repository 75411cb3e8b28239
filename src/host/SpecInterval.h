#pragma once
// CDtSpecInterval: turns the bands of a hat (in orders of a rotor, or in hertz) into bin
// ranges of a spectrum and into frequency ranges.
//
// LoadTransformParams(mode, location, channel) fixes the rotor ratios and the reference speed
// of the mode the spectrum was measured in. A band in orders of rotor r covers
// [low·ratio(r), high·ratio(r)] orders of the reference shaft; with the reference speed n (Hz)
// of a constant-speed mode that is [low·ratio·n, high·ratio·n] Hz, and a band in hertz covers
// [low/n, high/n] orders.
//
// IndexRange on a spectrum of `bins` bins at distance w (in the spectrum's x unit):
//   first = ceil(lo / w), last = floor(hi / w), clipped to [0, bins − 1] (a band edge within
//   1/10,000 of a bin from a bin counts as on it, so float rounding loses no edge bin);
//   result 0: use [first, last]; 1: the band lies outside the spectrum (or between two bins);
//   2: it cannot be computed (not a pure band, w ≤ 0, a rotor or speed the mode does not
//   know, or low > high).

#include <cstdint>

#include "host/MeasuringUnit.h"
#include "host/ParamRecords.h"

class CDtParamInstance;

class CDtSpecInterval {
 public:
  struct IndexInterval {
    uint32_t first = 0;
    uint32_t last = 0;
  };

  explicit CDtSpecInterval(const CDtParamInstance& params) : params_(params) {}

  void LoadTransformParams(int mode, int location, int channel);

  // Bin range of a band on a spectrum whose x axis is in `xUnit`: hertz (common unit 8), or
  // orders for any other unit.
  int IndexRange(const QVSpecIntervalEntry& entry, IndexInterval& range, uint32_t bins,
                 float binWidth,
                 const CMeasuringUnit& xUnit = CMeasuringUnit(CMeasuringUnit::cuOrder)) const;
  // The band in its own kind: orders of the reference shaft for an order band, hertz for a
  // frequency band. 0: done; 2: cannot be computed.
  int FrequencyRange(const QVSpecIntervalEntry& entry, float& low, float& high) const;

 private:
  // The band in the x unit of the spectrum; false when it cannot be converted.
  bool BandInAxisUnits(const QVSpecIntervalEntry& entry, bool axisInHertz, double& low,
                       double& high) const;

  const CDtParamInstance& params_;
  int mode_ = -1;
  int location_ = -1;
  int channel_ = -1;
};
