#include "eval/KelSpecRange.h"

#include <string>

#include "host/Numeric.h"
#include "host/Output.h"

namespace {

// IndexRange results.
constexpr int kBandInSpectrum = 0;
constexpr int kBandOutside = 1;
// Parameter errors: warnings in the operator style.
constexpr int kParameterErrorStyle = 3;

}  // namespace

void CKelSpecRange::ApplyHatOnSpectralLimit(const QClavis& hat, const QClavis& spectrum,
                                            KelSigLimitCurve& curve, float value) {
  interval_.LoadTransformParams(hat.mode(), hat.location(), hat.channel());
  const auto [first, end] = params_.SpecIntervalRange(hat.parameter());
  const CDescription& description = curve.description();
  for (auto band = first; band != end; ++band) {
    CDtSpecInterval::IndexInterval bins;
    const int found = interval_.IndexRange(band->second, bins, curve.size(), description.Delta(0),
                                           description.XUnit(0));
    if (found == kBandOutside) continue;
    if (found != kBandInSpectrum) {
      BandWidthMessage("ApplyHatOnSpectralLimit", hat, spectrum);
      return;
    }
    if (bins.first > bins.last || bins.last >= curve.size()) continue;  // never from the host
    DVL::SetConstant(curve.LimitData() + bins.first, value, bins.last - bins.first + 1);
  }
}

void CKelSpecRange::BandWidthMessage(const char* operation, const QClavis& hat,
                                     const QClavis& spectrum) const {
  const std::string text = std::string("Parameter error in CKelSpecRange::") + operation +
                           ":\nunable to calculate band width for hat '" +
                           params_.FormatClavisText(hat) + "' and signal location '" +
                           params_.LocationName(spectrum.location()) + "'.\n";
  PrWin::Output(text, PrWin::catWarning, kParameterErrorStyle);
}
