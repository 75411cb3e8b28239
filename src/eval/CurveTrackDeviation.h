#pragma once
// CCurveTrackDeviation (instrument 2800): a calculator over curve tracks (spectrograms) whose
// computation is not defined for this system. It is registered with the instrument shop so
// that its quantities have an owner and its key set is kept, but it computes nothing:
// process() returns false.

#include "eval/C2ndLevelInstrument.h"
#include "learn/KelLearnStore.h"

class CCurveTrackDeviation : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 2800;

  CCurveTrackDeviation(const CDtParamInstance& params, CKelValueStore& valueStore,
                       CKelLearnStore& learnStore)
      : C2ndLevelInstrument(params, valueStore, kInstrument), m_learnStore(learnStore) {}

  // Computes nothing (see above).
  bool process(unsigned pass) override;

 private:
  [[maybe_unused]] CKelLearnStore& m_learnStore;
};
