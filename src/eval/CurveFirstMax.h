#pragma once
// CCurveFirstMax: the frequency of the first harmonic peak of a spectrum.

#include "eval/C2ndLevelInstrument.h"
#include "learn/KelLearnStore.h"

class CCurveFirstMax : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10100;

  CCurveFirstMax(const CDtParamInstance& params, CKelValueStore& valueStore,
                 CKelLearnStore& learnStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument), m_learnStore(learnStore) {}

  bool process(unsigned pass) override;

 private:
  CKelLearnStore& m_learnStore;
};
