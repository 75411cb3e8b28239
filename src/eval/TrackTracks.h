#pragma once
// CTrackTracks: a scalar track made from another over the same trigger cells.

#include "eval/C2ndLevelInstrument.h"

class CTrackTracks : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 11000;

  CTrackTracks(const CDtParamInstance& params, CKelValueStore& valueStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument) {}

  bool process(unsigned pass) override;
};
