#pragma once
// CCurveDeviation: the deviation of a spectrum from a reference polygon, or its extreme inside the
// polygon's range.

#include "eval/C2ndLevelInstrument.h"
#include "learn/KelLearnStore.h"

class CCurveDeviation : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10101;

  CCurveDeviation(const CDtParamInstance& params, CKelValueStore& valueStore,
                  CKelLearnStore& learnStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument), m_learnStore(learnStore) {}

  bool process(unsigned pass) override;

 private:
  CKelLearnStore& m_learnStore;
};
