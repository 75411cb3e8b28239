#pragma once
// CKelEvalShop: compares the measured values of the current candidate with their limits and
// enters one error into the result shop for every violation. The sequencer calls Evaluate once
// per evaluation step, after the limit shop has written the limits, and adds the number of
// errors returned to its own count.
//
// Only entries on the to-validate lists of the value store are visited, whatever their
// validation tag; a stored value is never changed. For every visited quantity K:
//   a. its limit record (LimSValue, LimCValue or LimArea, by kind) is looked up under K with
//      its base mode, where the limit shop found the record it made K's limits from (a virtual
//      mode has no records of its own); without one, or with an evaluation switch other than
//      exactly 1, K is skipped silently;
//   b. with "measurement repetition clears errors", K's earlier errors are deleted;
//   c. the error code comes from the IpParamAndStore record under K with its mode replaced by
//      its base mode (virtual modes share the parameters of their base mode). Without such a
//      record K is not evaluated: one warning line names K and no error is entered for it (its
//      earlier errors are still deleted by b).
//
// A measured value that is not a finite number (NaN, +inf, -inf) is always a violation of an
// evaluated quantity, reported once per quantity and evaluation with one warning line
// (EvalShopOutput.h). Messages go to the output window; nothing is thrown. Used from the
// sequencer's thread only; no locks.

#include <cstdint>
#include <memory>
#include <optional>

#include "eval/EvalShopOutput.h"
#include "host/Params.h"
#include "host/TriggerStore.h"
#include "learn/LimitShopOutput.h"
#include "result/ResultShop.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelStoreTrackPoint.h"
#include "store/Keys.h"
#include "store/TrackPointMap.h"

class CKelValueStore;
class CKelTrackStoreBase;
class CCurveTrackExceedance;
class CKelLearnStore;
class CKelEvalSpec;

class CKelEvalShop {
 public:
  using scalar_track_t = CTrackPointMap<KelStoreTrackPoint>;
  using curve_track_t = CTrackPointMap<KelSigLimitCurve>;

  // Every reference must outlive the shop.
  CKelEvalShop(CDtParamInstance& params, CKelValueStore& valueStore, CResultShop& resultShop,
               CKelLearnStore& learnStore);
  ~CKelEvalShop();
  CKelEvalShop(const CKelEvalShop&) = delete;
  CKelEvalShop& operator=(const CKelEvalShop&) = delete;

  // Evaluates final single values, scalar tracks, final spectra (through the spectral
  // evaluator) and curve tracks, in this order; the number of errors entered.
  unsigned Evaluate();
  // Empties the spectral evaluator's error vectors; the sequencer calls it for every new
  // candidate.
  void ResetSpectralErrorVectors();
  const CKelEvalSpec& SpectralEvaluator() const { return *spectral_; }

  // Final single values against their one limit: d = limit − value for a stored mode of 2
  // (upper), d = value − limit for any other mode but 0; d < 0 is a violation, so a value equal
  // to its limit passes. An error carries the stored value, limit, mean and position.
  unsigned EvaluateSingleValues();

  // Scalar tracks point by point against their upper and/or lower limit (bits 1 and 0 of a
  // point's mode). Each maximal run of consecutive violating points gives one error, at its
  // worst point; an interval point (mode 3) above its upper limit reports code + 1.
  // (KelEvalShopScalarTracks.cpp)
  unsigned EvaluateScalarTrackLimits();

  // Curve tracks (spectra over a trigger axis) bin by bin against the limit curve of each
  // spectrum. One error per region of adjacent bins × consecutive spectra that exceeded, at its
  // largest exceedance, once the region has closed or the track has ended.
  // (KelEvalShopCurveTracks.cpp)
  unsigned EvaluateCurveTrackLimits();

 private:
  // Steps a and b: whether K is evaluated (its record in `limits` exists and its switch is 1);
  // deletes K's earlier errors when repetition clears them.
  template <typename LimitTable>
  bool BeginQuantity(const LimitTable& limits, const QClavis& key);
  // Steps a and b with K's limit record already looked up (`limit`, `end` when missing).
  template <typename LimitIterator>
  bool BeginQuantity(LimitIterator limit, LimitIterator end, const QClavis& key);
  // Step c: K's error code; empty, after a warning naming `operation` and K, when the
  // IpParamAndStore record is missing.
  std::optional<int> ErrorCodeOf(const char* operation, const QClavis& key) const;
  // Step c with K's IpParamAndStore record already looked up (`record`, the table's end when
  // missing).
  template <typename RecordIterator>
  std::optional<int> ErrorCodeOf(const char* operation, const QClavis& key,
                                 RecordIterator record) const;
  // The trigger axis of a track: its interval and the dimension the interval belongs to.
  struct TrackAxis {
    CTriggerStore::CInterval interval;
    unsigned dimension = 0;
    // The trigger-axis position of a track cell: 0 when the interval cannot convert it.
    float PositionOf(int64_t cell) const;
  };
  // The trigger axis of a track quantity (from `store`). A trigger without interval parameters
  // is reported (naming `operation`) and gives an empty interval, so that every position comes
  // out as 0.
  TrackAxis TrackAxisOf(const CKelTrackStoreBase& store, const char* operation,
                        const QClavis& key) const;

  // One scalar track (quantity K): the number of errors entered.
  unsigned EvaluateScalarTrack(const QClavis& key, const scalar_track_t& points);
  // One curve track (quantity K): the number of errors entered.
  unsigned EvaluateCurveTrack(const QClavis& key, const curve_track_t& spectra);
  // Warns about the spectra of a curve track that `exceedance` does not compare, and enters
  // the error of its first non-finite bin; the number of errors entered (0 or 1).
  unsigned CheckSpectra(const QClavis& key, int code, const curve_track_t& spectra,
                        const CCurveTrackExceedance& exceedance, const TrackAxis& axis);
  // Enters one error per flagged entry of `exceedance` and clears the flags; the number.
  unsigned ReportRegions(const QClavis& key, int code, CCurveTrackExceedance& exceedance,
                         const TrackAxis& axis);

  CDtParamInstance& params_;
  CKelValueStore& valueStore_;
  CResultShop& resultShop_;
  CKelLearnStore& learnStore_;
  std::unique_ptr<CKelEvalSpec> spectral_;
};

template <typename LimitTable>
bool CKelEvalShop::BeginQuantity(const LimitTable& limits, const QClavis& key) {
  return BeginQuantity(limits.find(LimitShopOutput::WithBaseMode(params_, key)), limits.end(), key);
}

template <typename LimitIterator>
bool CKelEvalShop::BeginQuantity(LimitIterator limit, LimitIterator end, const QClavis& key) {
  if (limit == end || limit->second.evaluate != 1) return false;
  if (resultShop_.MeasurementRepetitionClearsErrors()) resultShop_.DeleteErrorEntry(key);
  return true;
}

template <typename RecordIterator>
std::optional<int> CKelEvalShop::ErrorCodeOf(const char* operation, const QClavis& key,
                                             RecordIterator record) const {
  if (record == params_.IpParamAndStore().end()) {
    EvalShopOutput::NoErrorCode(params_, operation, key);
    return std::nullopt;
  }
  return record->second.errorCode;
}
