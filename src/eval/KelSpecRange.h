#pragma once
// CKelSpecRange: turns the bands of a hat into bin ranges of a spectrum (through the host's
// CDtSpecInterval, with the transform parameters of the hat's mode, location and channel) and
// works on those bins: the single value of a spectrum over a hat (minimum, maximum or sum of
// its bands), the hat's error code written into the error vector of the spectrum, and the
// hat's limit laid over a limit curve. All three walk the bands the same way (BandWalk).
//
// Parameter errors are written to the output window (category 8, style 3); the message names
// the hat and the location of the spectrum.

#include <cstdint>
#include <functional>

#include "host/MeasuringUnit.h"
#include "host/Params.h"
#include "host/SpecInterval.h"
#include "store/KelSigLimitCurve.h"
#include "store/Keys.h"

class CKelSpecRange {
 public:
  // The parameter view must outlive the range.
  explicit CKelSpecRange(const CDtParamInstance& params) : params_(params), interval_(params) {}

  // The single value of spectrum `curve` (key `spectrum`) over the bands of hat `hat`:
  //   interpretation 1/5: the smallest bin (an earlier band wins a tie),
  //   2/6: the largest bin (likewise), both with the position of that bin;
  //   4/8: the sum of the bins of all bands, energetic (10·log10 Σ 10^(x/10)) for a level
  //   in dB, else the root of the sum of squares; position 0.
  // Other interpretations are not implemented: a message, false, outputs unchanged. A band
  // whose bins cannot be computed stops the work with a message, outputs unchanged, false.
  // Otherwise `value` is written and `position` = bin × bin width, where the bin is −1 when no
  // band lies on the spectrum; true when at least one band did.
  bool SingleValueOfSpectrum(const QClavis& hat, const QClavis& spectrum, int interpretation,
                             const KelSigLimitCurve& curve, float& value, float& position);

  // Writes `errorCode` and the hat's instrument into `codes` and `instruments` (bin-count
  // elements each, a spectrum of x step `binWidth` in `xUnit`) over every band of `hat`. A
  // band that is not a pure order or frequency definition, or whose bins cannot be computed,
  // is passed over with a message; the other bands are still applied. Returns the number of
  // bins written (a bin of two bands counts twice).
  uint32_t ApplyECOnSpectralErcVector(
      const QClavis& hat, const QClavis& spectrum, int* codes, int* instruments, uint32_t binCount,
      float binWidth, int errorCode,
      const CMeasuringUnit& xUnit = CMeasuringUnit(CMeasuringUnit::cuOrder));

  // Sets the limit of `curve` (the spectrum `spectrum`) to `value` over every band of hat
  // `hat`; a band outside the spectrum is skipped. A band whose bins cannot be computed stops
  // the work with a message (bands before it stay applied).
  void ApplyHatOnSpectralLimit(const QClavis& hat, const QClavis& spectrum, KelSigLimitCurve& curve,
                               float value);

 private:
  // How a walk treats the bands it cannot use.
  struct BandWalkRules {
    const char* operation;      // the member named in messages
    bool pureDefinitionsOnly;   // a band of another domain is passed over with a message
    bool stopAtBandWidthError;  // else the band is passed over and the walk goes on
  };
  using BandVisitor = std::function<void(uint32_t first, uint32_t last)>;

  // Calls visit(first, last) for every band of `hat` that lies on a spectrum of `binCount`
  // bins at x step `binWidth` in `xUnit`, in band order. Returns false when some band's bins
  // could not be computed.
  bool BandWalk(const QClavis& hat, const QClavis& spectrum, uint32_t binCount, float binWidth,
                const CMeasuringUnit& xUnit, const BandWalkRules& rules, const BandVisitor& visit);

  // "Parameter error in CKelSpecRange::<operation>:\n<problem> for hat '<hat>' and signal
  // location '<location>'.\n"
  void ParameterError(const char* operation, const char* problem, const QClavis& hat,
                      const QClavis& spectrum) const;

  const CDtParamInstance& params_;
  CDtSpecInterval interval_;
};
