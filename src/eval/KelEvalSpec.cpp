#include "eval/KelEvalSpec.h"

#include "eval/EvalShopOutput.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "host/InstrumentParam.h"
#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnStore.h"
#include "learn/LimitShopOutput.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

namespace {

// Per-key warnings in the plain style.
constexpr int kKeyMessageStyle = 1;

using LimitShopOutput::WithBaseMode;

bool HasDirection(int32_t mode) {
  return mode == QVInstrumentParam::eval_lower || mode == QVInstrumentParam::eval_upper;
}

// The difference a − b that is over the limit where it is positive: curve − limit against an
// upper limit, limit − curve against a lower one.
struct ComparedCurves {
  const float* a;
  const float* b;
};

ComparedCurves Compared(int32_t mode, const float* measured, const float* limit) {
  if (mode == QVInstrumentParam::eval_upper) return {measured, limit};
  return {limit, measured};
}

float BinPosition(uint32_t bin, float binWidth) {
  return static_cast<float>(static_cast<double>(bin) * binWidth);
}

// The measured curve with each non-finite bin replaced by its limit, so that the region search
// sees such a bin exactly on the limit.
std::vector<float> WithNonFiniteOnLimit(const KelSigLimitCurve& curve) {
  const float* measured = curve.CurveData();
  const float* limit = curve.LimitData();
  std::vector<float> bins(measured, measured + curve.size());
  for (size_t i = 0; i < bins.size(); ++i)
    if (!std::isfinite(bins[i])) bins[i] = limit[i];
  return bins;
}

}  // namespace

CKelEvalSpec::CKelEvalSpec(CDtParamInstance& params, CKelValueStore& valueStore,
                           CResultShop& resultShop, CKelLearnStore& learnStore)
    : params_(params),
      valueStore_(valueStore),
      resultShop_(resultShop),
      learnStore_(learnStore),
      errorVectors_("SpectralErrorVectors") {}

unsigned CKelEvalSpec::EvaluateSpectra() {
  unsigned errors = 0;
  for (auto& [key, pending] : valueStore_.FinalCurveStore().ToValidateMap()) {
    KelSigLimitCurve& curve = pending.value->second;
    // Before the limit checks: a repeated measurement loses its earlier errors even when it is
    // not evaluated now.
    if (resultShop_.MeasurementRepetitionClearsErrors()) resultShop_.DeleteErrorEntry(key);
    if (curve.LimitState() == QVInstrumentParam::eval_none) continue;
    const auto limit = params_.LimCValue().find(WithBaseMode(params_, key));
    if (limit == params_.LimCValue().end() || limit->second.evaluate != 1) continue;
    if (!IsEvaluable(curve, key)) continue;
    if (HasDirection(curve.LimitState()) && !GoesOverLimit(curve, RecordLimitDistance(curve)))
      continue;
    errors += EvaluateBins(curve, key);
  }
  return errors;
}

unsigned CKelEvalSpec::EvaluateSpectrum(KelSigLimitCurve& curve, const QClavis& key) {
  if (!IsEvaluable(curve, key)) return 0;
  return EvaluateBins(curve, key);
}

bool CKelEvalSpec::IsEvaluable(const KelSigLimitCurve& curve, const QClavis& key) const {
  if (curve.size() == 0 || curve.CurveData() == nullptr || curve.LimitData() == nullptr) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelEvalSpec::EvaluateSpectrum(): the limit curve of '%s' holds no data; the "
                  "spectrum is not evaluated\n",
                  params_.FormatClavisText(key).c_str());
    return false;
  }
  if (curve.description().Size(0) != curve.size()) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelEvalSpec::EvaluateSpectrum(): the limit curve of '%s' holds %u bins, its x "
                  "axis %u; the spectrum is not evaluated\n",
                  params_.FormatClavisText(key).c_str(), curve.size(), curve.description().Size(0));
    return false;
  }
  return true;
}

float CKelEvalSpec::RecordLimitDistance(KelSigLimitCurve& curve) const {
  const auto [a, b] = Compared(curve.LimitState(), curve.CurveData(), curve.LimitData());
  unsigned index = 0;
  const float difference = DVL::MaxDifference(a, b, curve.size(), index);
  curve.SetMinLimDist(-difference, index);
  return difference;
}

bool CKelEvalSpec::GoesOverLimit(const KelSigLimitCurve& curve, float largestDifference) const {
  // A NaN difference is over the limit, and so is a non-finite measured bin whatever its
  // difference (−inf against an upper limit does not show in the largest difference).
  if (!(largestDifference <= 0)) return true;
  return DVL::FirstNonFinite(curve.CurveData(), curve.size()) < curve.size();
}

unsigned CKelEvalSpec::EvaluateBins(const KelSigLimitCurve& curve, const QClavis& key) {
  const int32_t mode = curve.LimitState();
  if (mode == QVInstrumentParam::eval_none) return 0;
  if (!HasDirection(mode)) {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelEvalSpec::EvaluateSpectrum(): evaluation mode %d is not evaluated for "
                  "spectra ('%s')\n",
                  mode, params_.FormatClavisText(key).c_str());
    return 0;
  }
  const CKelSpecErrorVector* errors = SpectralErrorVector(curve, key);
  if (errors == nullptr) return 0;

  const uint32_t n = curve.size();
  unsigned count = 0;
  const float* measured = curve.CurveData();
  std::vector<float> finiteOnly;
  const size_t nonFinite = DVL::FirstNonFinite(measured, n);
  if (nonFinite < n) {
    count += ReportNonFiniteBin(curve, key, *errors, static_cast<uint32_t>(nonFinite));
    finiteOnly = WithNonFiniteOnLimit(curve);
    measured = finiteOnly.data();
  }
  const auto [a, b] = Compared(mode, measured, curve.LimitData());
  unsigned next = 0;
  unsigned worst = 0;
  for (unsigned start = 0; DVL::LocalMaxDifferencePosition(a, b, n, start, next, worst);
       start = next) {
    if (worst >= n) break;  // never from the host
    const int instrument = errors->Instrument(worst);
    if (instrument != kSpectrumInstrument && instrument != kSpectrum2700Instrument) continue;
    ReportBin(curve, key, *errors, worst);
    ++count;
  }
  return count;
}

unsigned CKelEvalSpec::ReportNonFiniteBin(const KelSigLimitCurve& curve, const QClavis& key,
                                          const CKelSpecErrorVector& errors, uint32_t bin) {
  ReportBin(curve, key, errors, bin);
  const float position = BinPosition(bin, curve.description().Delta(0));
  EvalShopOutput::NonFiniteValue(params_, key, curve.CurveData()[bin], position);
  return 1;
}

void CKelEvalSpec::ReportBin(const KelSigLimitCurve& curve, const QClavis& key,
                             const CKelSpecErrorVector& errors, uint32_t bin) {
  const float binWidth = curve.description().Delta(0);
  const float value = curve.CurveData()[bin];
  float mean = value;
  LearnedAverageAt(key, bin, curve.size(), binWidth, mean);
  QClavis reported = key;
  reported.set_instrument(errors.Instrument(bin));
  resultShop_.AddErrorEntry(reported, errors.ErrorCode(bin), value, curve.LimitData()[bin], mean,
                            BinPosition(bin, binWidth));
}

const CKelSpecErrorVector* CKelEvalSpec::SpectralErrorVector(const KelSigLimitCurve& curve,
                                                             const QClavis& key) {
  const QClavis base = WithBaseMode(params_, key);
  const uint32_t binCount = curve.size();
  const float binWidth = curve.description().Delta(0);
  const auto stored = errorVectors_.find(base);
  if (stored != errorVectors_.end() && stored->second.Fits(binCount, binWidth))
    return &stored->second;
  CKelSpecErrorVector built(binCount, binWidth);
  if (!built.ApplyHatsToErrorVector(params_, base, curve.description().XUnit(0))) {
    if (stored != errorVectors_.end()) errorVectors_.erase(stored);
    return nullptr;
  }
  return &errorVectors_.insert_or_assign(base, built).first->second;
}

bool CKelEvalSpec::LearnedAverageAt(const QClavis& key, uint32_t bin, uint32_t binCount,
                                    float binWidth, float& value) const {
  const auto& learned = std::as_const(learnStore_).LearnedSigCurveMap();
  const auto entry = learned.find(key);
  if (entry == learned.end() || entry->second.count == 0) return false;
  const KelSigCurve& average = entry->second.Average();
  if (average.size() != binCount || average.delta(0) != binWidth || bin >= binCount ||
      average.data() == nullptr)
    return false;
  value = average.data()[bin];
  return true;
}

void CKelEvalSpec::ResetSpectralErrorVectors() {
  errorVectors_.clear();
}
