// The evaluation of scalar tracks: the points of a track are walked run by run, a run being a
// maximal stretch of consecutive points beyond the limit on the side where it started, and each
// run gives one error at its worst point.
//
// A point whose value is not a finite number counts, when it has a limit, as an exceedance
// larger than any finite one. Only the first such point of a track does: it is the worst point
// of the run it starts or lies in (the first one wins), so the track reports it once. Every
// other non-finite point is neutral: it neither starts nor ends a run and never becomes its
// worst point, so it opens no second error.

#include <algorithm>
#include <cmath>

#include "eval/EvalShopOutput.h"
#include "eval/KelEvalShop.h"
#include "store/KelValueStore.h"

namespace {

constexpr const char* kScalarTracks = "CKelEvalShop::EvaluateScalarTrackLimits()";

using point_iterator = CKelEvalShop::scalar_track_t::const_iterator;

bool HasLowerLimit(const KelStoreTrackPoint& point) {
  return (point.evalMode & QVInstrumentParam::eval_lower) != 0;
}
bool HasUpperLimit(const KelStoreTrackPoint& point) {
  return (point.evalMode & QVInstrumentParam::eval_upper) != 0;
}
bool AboveUpperLimit(const KelStoreTrackPoint& point) {
  return HasUpperLimit(point) && point.value - point.upperLimit > 0.0f;
}
bool BelowLowerLimit(const KelStoreTrackPoint& point) {
  return HasLowerLimit(point) && point.lowerLimit - point.value > 0.0f;
}

// The first point with a limit whose value is not a finite number; `last` when there is none.
point_iterator FirstNonFinitePoint(point_iterator first, point_iterator last) {
  return std::find_if(first, last, [](const auto& entry) {
    const KelStoreTrackPoint& point = entry.second;
    return (HasLowerLimit(point) || HasUpperLimit(point)) && !std::isfinite(point.value);
  });
}

struct Run {
  point_iterator worst;  // the point of the largest exceedance
  point_iterator end;    // the point that ended the run, or the end of the track
};

// The run that starts at `start`: an upper run when the start exceeds its upper limit (a
// non-finite start: when it has an upper limit), else a lower run. A point whose exceedance e
// on that side is larger than the largest so far becomes the worst point; e < 0 ends the run
// before that point; e = 0 continues it.
Run WalkRun(point_iterator start, point_iterator last, point_iterator nonFinite) {
  const bool upper =
      start == nonFinite ? HasUpperLimit(start->second) : AboveUpperLimit(start->second);
  Run run{start, last};
  bool worstIsNonFinite = false;
  float maximum = 0.0f;
  for (auto it = start; it != last; ++it) {
    if (it == nonFinite) {
      if (!worstIsNonFinite) run.worst = it;
      worstIsNonFinite = true;
      continue;
    }
    const KelStoreTrackPoint& point = it->second;
    if (!std::isfinite(point.value)) continue;
    const float exceedance =
        upper ? point.value - point.upperLimit : point.lowerLimit - point.value;
    if (exceedance > maximum) {
      maximum = exceedance;
      if (!worstIsNonFinite) run.worst = it;
    } else if (exceedance < 0.0f) {
      run.end = it;
      return run;
    }
  }
  return run;
}

struct PointError {
  float limit;
  int code;
};

// The limit a worst point is reported with, and its code: the upper limit when the point is
// above it (code + 1 for an interval point), else the lower limit when it is below it, else 0.
// A non-finite point is reported against its upper limit when it has one, else its lower one.
PointError ErrorOfPoint(const KelStoreTrackPoint& point, int code, bool nonFinite) {
  const int upperCode = point.evalMode == QVInstrumentParam::eval_interval ? code + 1 : code;
  if (nonFinite)
    return HasUpperLimit(point) ? PointError{point.upperLimit, upperCode}
                                : PointError{point.lowerLimit, code};
  PointError error{0.0f, code};
  if (HasLowerLimit(point) && point.lowerLimit > point.value) error.limit = point.lowerLimit;
  if (HasUpperLimit(point) && point.value > point.upperLimit) error = {point.upperLimit, upperCode};
  return error;
}

}  // namespace

unsigned CKelEvalShop::EvaluateScalarTrackLimits() {
  const auto& store = valueStore_.TrackScalarStore();
  unsigned errors = 0;
  for (const auto& [trackKey, pending] : store.ToValidateMap())
    errors += EvaluateScalarTrack(store.DovetarOfKey(trackKey), pending.value->second.points);
  return errors;
}

unsigned CKelEvalShop::EvaluateScalarTrack(const QClavis& key, const scalar_track_t& points) {
  if (!BeginQuantity(params_.LimCValue(), key)) return 0;
  const TrackAxis axis = TrackAxisOf(valueStore_.TrackScalarStore(), kScalarTracks, key);
  const std::optional<int> code = ErrorCodeOf(kScalarTracks, key);
  if (!code) return 0;
  // A non-finite point other than the first one is neutral: it starts no run.
  const auto startsRun = [](const auto& entry) {
    const KelStoreTrackPoint& point = entry.second;
    return std::isfinite(point.value) && (AboveUpperLimit(point) || BelowLowerLimit(point));
  };
  const point_iterator nonFinite = FirstNonFinitePoint(points.begin(), points.end());
  unsigned errors = 0;
  for (auto it = points.begin(); it != points.end();) {
    if (it != nonFinite && !startsRun(*it)) {
      ++it;
      continue;
    }
    const Run run = WalkRun(it, points.end(), nonFinite);
    const KelStoreTrackPoint& worst = run.worst->second;
    const bool worstIsNonFinite = run.worst == nonFinite;
    const PointError error = ErrorOfPoint(worst, *code, worstIsNonFinite);
    const float position = axis.PositionOf(run.worst->first);
    if (worstIsNonFinite) EvalShopOutput::NonFiniteValue(params_, key, worst.value, position);
    resultShop_.AddErrorEntry(key, error.code, worst.value, error.limit, worst.mean, position);
    ++errors;
    it = run.end;
  }
  return errors;
}
