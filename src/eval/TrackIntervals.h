#pragma once
// CTrackIntervals: a statistic of a scalar track inside an interval of its trigger axis.

#include "eval/C2ndLevelInstrument.h"

class CTrackIntervals : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10000;

  CTrackIntervals(const CDtParamInstance& params, CKelValueStore& valueStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
