#pragma once
// CTrackRegression: the intercept or slope of the straight line fitted to a scalar track.

#include "eval/C2ndLevelInstrument.h"

class CTrackRegression : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 16000;

  CTrackRegression(const CDtParamInstance& params, CKelValueStore& valueStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
