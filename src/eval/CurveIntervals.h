#pragma once
// CCurveIntervals: hats — the minimum, maximum or energetic sum of a spectrum over bands. Two
// objects run: instrument 1001 makes the hats of the spectra of instrument 2500, instrument
// 1070 those of instrument 2700.
//
// In pass p, every spectrum S of the final curve store with generation p and this object's
// spectrum instrument feeds the hats H of the key set with S's base mode and S's channel:
// H is skipped unless Kelva::SpectralHatMatches gives H to S (which also passes over a hat whose
// calculation parameter 8 names another spectrum parameter). The single value comes from
// CKelSpecRange::SingleValueOfSpectrum with the interpretation of H's QVIpSvOfSpec record; when
// it succeeds it is stored under H with S's mode, with the value and position found, the
// curve's context, expiry and y unit, and generation p + 1. CKelSpecRange reports the hats whose
// bands it cannot use; such a hat gives no value.

#include "eval/C2ndLevelInstrument.h"
#include "store/KelSigLimitCurve.h"

class CKelSpecRange;

class CCurveIntervals : public C2ndLevelInstrument {
 public:
  // `instrument`: 1001 or 1070 (Kelva::kHatInstrument, Kelva::kHatOf2700Instrument).
  CCurveIntervals(const CDtParamInstance& params, CKelValueStore& valueStore, int instrument);

  bool process(unsigned pass) override;

 private:
  // The spectrum instrument whose hats this object makes: 2700 for 1070, else 2500.
  int SpectrumInstrument() const;
  // The QVIpSvOfSpec record of hat `hat` when the hat is computed from spectrum `spectrum`
  // (Kelva::SpectralHatMatches), else null.
  const QVIpSvOfSpec* HatOfSpectrum(const QClavis& hat, const QClavis& spectrum) const;
  // The hats of one spectrum; true when one was stored.
  bool HatsOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve, CKelSpecRange& range,
                      unsigned pass);
};
