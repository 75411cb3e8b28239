#pragma once
// CKelSpecRange: turns the bands of a hat into bin ranges of a spectrum (through the host's
// CDtSpecInterval, with the transform parameters of the hat's mode, location and channel) and
// works on those bins. Today it lays a hat's limit over a limit curve; the single values of
// spectra and the error codes of hats follow with the spectral evaluation.

#include "host/Params.h"
#include "host/SpecInterval.h"
#include "store/KelSigLimitCurve.h"
#include "store/Keys.h"

class CKelSpecRange {
 public:
  // The parameter view must outlive the range.
  explicit CKelSpecRange(const CDtParamInstance& params) : params_(params), interval_(params) {}

  // Sets the limit of `curve` (the spectrum `spectrum`) to `value` over every band of hat
  // `hat`; a band outside the spectrum is skipped. A band whose bins cannot be computed stops
  // the work with a message (bands before it stay applied).
  void ApplyHatOnSpectralLimit(const QClavis& hat, const QClavis& spectrum, KelSigLimitCurve& curve,
                               float value);

 private:
  void BandWidthMessage(const char* operation, const QClavis& hat, const QClavis& spectrum) const;

  const CDtParamInstance& params_;
  CDtSpecInterval interval_;
};
