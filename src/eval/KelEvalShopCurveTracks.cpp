// The evaluation of curve tracks: the spectra of a track are compared bin by bin with their
// limit curves through the track's exceedance vector (CurveTrackExceedance.h), which gives one
// error per region of adjacent bins × consecutive spectra that exceeded the limit.
//
// The vector has as many entries as the first spectrum of the track that has data has bins. A
// spectrum without data, or with another number of bins, is not compared (one warning line
// each); the other spectra are evaluated as if it had not been recorded.
//
// A curve value that is not a finite number is a violation: the track reports the first one
// (first spectrum in track order, then first bin) as one error of its own, with one warning
// line. In the region search every non-finite bin counts as not exceeding, so no region is
// ever reported at a non-finite bin and no bin and spectrum is reported twice; a region with a
// non-finite bin inside is split there.

#include "eval/CurveTrackExceedance.h"
#include "eval/EvalShopOutput.h"
#include "eval/KelEvalShop.h"
#include "host/Numeric.h"
#include "store/KelValueStore.h"

namespace {

constexpr const char* kCurveTracks = "CKelEvalShop::EvaluateCurveTrackLimits()";

// The number of bins of the first spectrum that has data; 0 when none has.
unsigned TrackBins(const CKelEvalShop::curve_track_t& spectra) {
  for (const auto& [cell, spectrum] : spectra)
    if (spectrum.size() != 0) return spectrum.size();
  return 0;
}

bool HasLimitDirection(const KelSigLimitCurve& spectrum) {
  return spectrum.LimitState() == QVInstrumentParam::eval_lower ||
         spectrum.LimitState() == QVInstrumentParam::eval_upper;
}

}  // namespace

unsigned CKelEvalShop::EvaluateCurveTrackLimits() {
  const auto& store = valueStore_.TrackCurveStore();
  unsigned errors = 0;
  for (const auto& [trackKey, pending] : store.ToValidateMap())
    errors += EvaluateCurveTrack(store.DovetarOfKey(trackKey), pending.value->second.points);
  return errors;
}

unsigned CKelEvalShop::EvaluateCurveTrack(const QClavis& key, const curve_track_t& spectra) {
  if (!BeginQuantity(params_.LimArea(), key)) return 0;
  const TrackAxis axis = TrackAxisOf(valueStore_.TrackCurveStore(), kCurveTracks, key);
  const std::optional<int> code = ErrorCodeOf(kCurveTracks, key);
  if (!code) return 0;
  if (spectra.empty() || spectra.begin()->second.LimitState() == QVInstrumentParam::eval_none)
    return 0;
  CCurveTrackExceedance exceedance(spectra, TrackBins(spectra));
  unsigned errors = CheckSpectra(key, *code, spectra, exceedance, axis);
  for (auto it = spectra.begin(); exceedance.SearchRegions(it);)
    errors += ReportRegions(key, *code, exceedance, axis);
  return errors;
}

unsigned CKelEvalShop::CheckSpectra(const QClavis& key, int code, const curve_track_t& spectra,
                                    const CCurveTrackExceedance& exceedance,
                                    const TrackAxis& axis) {
  const auto trackBins = static_cast<unsigned>(exceedance.Entries().size());
  bool nonFiniteReported = false;
  for (const auto& [cell, curve] : spectra) {
    if (curve.size() == 0) {
      EvalShopOutput::SpectrumWithoutData(params_, kCurveTracks, key, axis.PositionOf(cell));
    } else if (!exceedance.Comparable(curve)) {
      EvalShopOutput::SpectrumOfOtherLength(params_, kCurveTracks, key, axis.PositionOf(cell),
                                            curve.size(), trackBins);
    } else if (!nonFiniteReported && HasLimitDirection(curve)) {
      const size_t bin = DVL::FirstNonFinite(curve.CurveData(), curve.size());
      if (bin == curve.size()) continue;
      const float value = curve.CurveData()[bin];
      const float position = axis.PositionOf(cell);
      EvalShopOutput::NonFiniteValue(params_, key, value, position);
      resultShop_.AddErrorEntry(key, code, value, curve.LimitData()[bin], 0.0f, position);
      nonFiniteReported = true;
    }
  }
  return nonFiniteReported ? 1 : 0;
}

unsigned CKelEvalShop::ReportRegions(const QClavis& key, int code,
                                     CCurveTrackExceedance& exceedance, const TrackAxis& axis) {
  unsigned errors = 0;
  for (const auto& entry : exceedance.Entries()) {
    if (entry.report == 0) continue;
    // The item and bin of a flagged entry always name a compared spectrum and a bin within it.
    const KelSigLimitCurve& spectrum = entry.item->second;
    const unsigned bin = entry.indexOfMaximum;
    resultShop_.AddErrorEntry(key, code, spectrum.CurveData()[bin], spectrum.LimitData()[bin], 0.0f,
                              axis.PositionOf(entry.item->first));
    ++errors;
  }
  exceedance.ClearReports();
  return errors;
}
