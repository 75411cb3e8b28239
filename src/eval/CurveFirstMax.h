#pragma once
// CCurveFirstMax (instrument 10100): the frequency of the first harmonic peak of a spectrum.
//
// In pass p, every spectrum S of instrument 2500 with generation p feeds the quantities K of
// the key set with S's mode, channel, location and sensor whose calculation parameter 8 is
// undefined or S's parameter. The value is the bin of numeric::FirstHarmonicDetector over S
// (threshold 0.6) times S's bin width, so 0 for an empty or flat spectrum. It is stored under
// K with S's x unit, the default context and expiry of a value record, position 0 and
// generation p + 1. K's mode must be S's own mode: a quantity of a base mode is not computed
// from the spectrum of one of its virtual modes.

#include "eval/C2ndLevelInstrument.h"
#include "eval/CandidateSeaDataSource.h"
#include "learn/KelLearnStore.h"
#include "store/KelSigLimitCurve.h"

class CCurveFirstMax : public C2ndLevelInstrument {
 public:
  static constexpr int kInstrument = 10100;

  // The learn store is handed over by the shop like to the other spectrum calculators; the
  // first peak needs no learned data.
  CCurveFirstMax(const CDtParamInstance& params, CKelValueStore& valueStore,
                 CKelLearnStore& learnStore);

  // Rebuilds the key set and forgets what the reader loaded.
  void Prepare() override;
  bool process(unsigned pass) override;

  // The x of the first harmonic peak of `curve`: the detector's bin times the bin width.
  static float FirstPeakFrequency(const KelSigLimitCurve& curve);

 private:
  // Whether quantity `key` is computed from spectrum `spectrum`.
  bool TakesSpectrum(const QClavis& key, const QClavis& spectrum);
  // The quantities of one spectrum; true when one was stored.
  bool PeaksOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve, unsigned pass);

  DataSource::CCandidateSeaDataSource<int> m_spectrumParameterReader;
};
