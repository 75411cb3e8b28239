#pragma once
// CSchlauchTool (instrument 2012): a calculator over curve tracks whose computation is not
// defined for this system. It is registered with the instrument shop so that its quantities
// have an owner and its key set is kept, but it computes nothing: process() returns false.
// Its messages, when it is defined, are "%s: invalid IpCalcParams for source %s\n" and
// "%s: Trigger Id mismatch (%s [%d]) for source %s\n", the first %s being the instrument's name.

#include "eval/C2ndLevelInstrument.h"

class CSchlauchTool : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 2012;

  CSchlauchTool(const CDtParamInstance& params, CKelValueStore& valueStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument) {}

  // Computes nothing (see above).
  bool process(unsigned pass) override;
};
