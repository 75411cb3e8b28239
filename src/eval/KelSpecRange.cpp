#include "eval/KelSpecRange.h"

#include <cmath>
#include <limits>
#include <string>

#include "host/Numeric.h"
#include "host/Output.h"

namespace {

// IndexRange results.
constexpr int kBandInSpectrum = 0;
constexpr int kBandOutside = 1;
// Parameter errors: warnings in the operator style.
constexpr int kParameterErrorStyle = 3;
// ln(10) / 10: exp(x · kDecibelToNeper) = 10^(x / 10).
constexpr double kDecibelToNeper = 0.2302585;
// A band to bin range that does not fit the spectrum; the host never gives one.
bool OutsideOf(const CDtSpecInterval::IndexInterval& bins, uint32_t binCount) {
  return bins.first > bins.last || bins.last >= binCount;
}

enum class SingleValueKind { minimum, maximum, sum, unknown };

SingleValueKind KindOf(int interpretation) {
  switch (interpretation) {
    case 1:
    case 5:
      return SingleValueKind::minimum;
    case 2:
    case 6:
      return SingleValueKind::maximum;
    case 4:
    case 8:
      return SingleValueKind::sum;
    default:
      return SingleValueKind::unknown;  // 3 and 7 among them: not implemented
  }
}

// The extreme of the bands seen so far and its bin; a later band replaces it only when its
// own extreme is strictly beyond, so on ties the earlier band wins.
struct BandExtreme {
  bool largest;
  float value;
  long bin = -1;

  void Take(const float* data, uint32_t first, uint32_t last) {
    unsigned index = 0;
    const size_t n = last - first + 1;
    const float candidate = largest ? DVL::VectorMaxIdx(data + first, n, index)
                                    : DVL::VectorMinIdx(data + first, n, index);
    if (largest ? candidate > value : candidate < value) {
      value = candidate;
      bin = static_cast<long>(first) + static_cast<long>(index);
    }
  }
};

// The sum over the bands: energetic for a level, else the root of the sum of squares. The
// energetic terms are taken relative to the first bin of the spectrum, which keeps the sum of
// large levels in range.
struct BandSum {
  bool energetic;
  double reference = 1.0;
  double sum = 0.0;

  void Take(const float* data, uint32_t first, uint32_t last) {
    if (!energetic) {
      sum += DVL::VectorSqrSum(data + first, last - first + 1);
      return;
    }
    for (uint32_t i = first; i <= last; ++i) sum += std::exp(data[i] * kDecibelToNeper) / reference;
  }
  float Value() const {
    return energetic ? static_cast<float>(std::log(sum * reference) / kDecibelToNeper)
                     : static_cast<float>(std::sqrt(sum));
  }
};

}  // namespace

bool CKelSpecRange::BandWalk(const QClavis& hat, const QClavis& spectrum, uint32_t binCount,
                             float binWidth, const CMeasuringUnit& xUnit,
                             const BandWalkRules& rules, const BandVisitor& visit) {
  interval_.LoadTransformParams(hat.mode(), hat.location(), hat.channel());
  const auto [first, end] = params_.SpecIntervalRange(hat.parameter());
  bool computed = true;
  for (auto band = first; band != end; ++band) {
    if (rules.pureDefinitionsOnly &&
        band->second.definition.domain() != QVSpecIntervalEntry::Definition::domain_pure) {
      ParameterError(rules.operation, "not a pure order/frequency definition", hat, spectrum);
      continue;
    }
    CDtSpecInterval::IndexInterval bins;
    const int found = interval_.IndexRange(band->second, bins, binCount, binWidth, xUnit);
    if (found == kBandOutside) continue;
    if (found != kBandInSpectrum) {
      ParameterError(rules.operation, "unable to calculate band width", hat, spectrum);
      computed = false;
      if (rules.stopAtBandWidthError) return false;
      continue;
    }
    if (OutsideOf(bins, binCount)) continue;
    visit(bins.first, bins.last);
  }
  return computed;
}

bool CKelSpecRange::SingleValueOfSpectrum(const QClavis& hat, const QClavis& spectrum,
                                          int interpretation, const KelSigLimitCurve& curve,
                                          float& value, float& position) {
  const SingleValueKind kind = KindOf(interpretation);
  if (kind == SingleValueKind::unknown) {
    PrWin::Output(PrWin::catWarning, kParameterErrorStyle,
                  "Interval interpretation %d not yet implemented in "
                  "CKelSpecRange::SingleValueOfSpectrum\n",
                  interpretation);
    return false;
  }
  const CDescription& description = curve.description();
  const float* data = curve.CurveData();
  const float binWidth = description.Delta(0);
  const BandWalkRules rules{"SingleValueOfSpectrum", false, true};
  bool anyBand = false;
  long bin = -1;
  float found = 0.0f;
  if (kind == SingleValueKind::sum) {
    BandSum sum{description.YUnit().is_log()};
    if (sum.energetic && curve.size() > 0) sum.reference = std::exp(data[0] * kDecibelToNeper);
    const auto add = [&](uint32_t first, uint32_t last) {
      sum.Take(data, first, last);
      anyBand = true;
    };
    if (!BandWalk(hat, spectrum, curve.size(), binWidth, description.XUnit(0), rules, add))
      return false;
    found = sum.Value();
    if (anyBand) bin = 0;
  } else {
    const bool largest = kind == SingleValueKind::maximum;
    const float max = std::numeric_limits<float>::max();
    BandExtreme extreme{largest, largest ? -max : max};
    const auto take = [&](uint32_t first, uint32_t last) {
      extreme.Take(data, first, last);
      anyBand = true;
    };
    if (!BandWalk(hat, spectrum, curve.size(), binWidth, description.XUnit(0), rules, take))
      return false;
    found = extreme.value;
    bin = extreme.bin;
  }
  value = found;
  position = static_cast<float>(static_cast<double>(bin) * binWidth);
  return anyBand;
}

uint32_t CKelSpecRange::ApplyECOnSpectralErcVector(const QClavis& hat, const QClavis& spectrum,
                                                   int* codes, int* instruments, uint32_t binCount,
                                                   float binWidth, int errorCode,
                                                   const CMeasuringUnit& xUnit) {
  uint32_t written = 0;
  const auto write = [&](uint32_t first, uint32_t last) {
    for (uint32_t bin = first; bin <= last; ++bin) {
      codes[bin] = errorCode;
      instruments[bin] = hat.instrument();
    }
    written += last - first + 1;
  };
  const BandWalkRules rules{"ApplyECOnSpectralErcVector", true, false};
  BandWalk(hat, spectrum, binCount, binWidth, xUnit, rules, write);
  return written;
}

void CKelSpecRange::ApplyHatOnSpectralLimit(const QClavis& hat, const QClavis& spectrum,
                                            KelSigLimitCurve& curve, float value) {
  const CDescription& description = curve.description();
  const auto set = [&](uint32_t first, uint32_t last) {
    DVL::SetConstant(curve.LimitData() + first, value, last - first + 1);
  };
  const BandWalkRules rules{"ApplyHatOnSpectralLimit", false, true};
  BandWalk(hat, spectrum, curve.size(), description.Delta(0), description.XUnit(0), rules, set);
}

void CKelSpecRange::ParameterError(const char* operation, const char* problem, const QClavis& hat,
                                   const QClavis& spectrum) const {
  const std::string text = std::string("Parameter error in CKelSpecRange::") + operation + ":\n" +
                           problem + " for hat '" + params_.FormatClavisText(hat) +
                           "' and signal location '" + params_.LocationName(spectrum.location()) +
                           "'.\n";
  PrWin::Output(text, PrWin::catWarning, kParameterErrorStyle);
}
