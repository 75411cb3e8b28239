#pragma once
// CTrackPolygon: a statistic of the deviation of a scalar track from a reference polygon.

#include "eval/C2ndLevelInstrument.h"

class CTrackPolygon : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10001;

  CTrackPolygon(const CDtParamInstance& params, CKelValueStore& valueStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
