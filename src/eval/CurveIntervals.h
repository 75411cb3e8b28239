#pragma once
// CCurveIntervals: hats — the minimum, maximum or energetic sum of a spectrum over bands. Two
// objects run: instrument 1001 makes the hats of the spectra of instrument 2500, instrument
// 1070 those of instrument 2700.

#include "eval/C2ndLevelInstrument.h"

class CCurveIntervals : public C2ndLevelInstrument {
 public:
  // `instrument`: 1001 or 1070 (Kelva::kHatInstrument, Kelva::kHatOf2700Instrument).
  CCurveIntervals(const CDtParamInstance& params, CKelValueStore& valueStore, int instrument)
      : C2ndLevelInstrument(params, valueStore, instrument) {}

  bool process(unsigned pass) override;
};
