// The limits of one scalar or curve track on demand, for the display: the stored limits, or
// limits made from what was learned.

#include <algorithm>

#include "host/Display.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "learn/LimitShopOutput.h"
#include "store/KelValueStore.h"

namespace {

// Where the limits of a track are shown: its track key, limit direction and trigger axis.
struct DisplayAxis {
  int trackKey = -1;
  int direction = QVInstrumentParam::eval_none;
  CTriggerStore::CInterval interval;
  unsigned dimension = 0;
};

// False when the key has no record in `limits` (looked up under the key itself), no track key
// in the store, no instrument parameter, or no trigger axis in its base mode.
template <typename Store, typename LimitTable>
bool FindDisplayAxis(const CDtParamInstance& params, const Store& store, const LimitTable& limits,
                     const QClavis& key, DisplayAxis& axis) {
  if (limits.count(key) == 0) return false;
  axis.trackKey = store.KeyOfDovetar(key).id();
  if (axis.trackKey == -1) return false;
  const auto ip = params.InstrumentParam().find(QIdx1(key.parameter()));
  if (ip == params.InstrumentParam().end()) return false;
  axis.direction = ip->second.evalMode;
  const int dimension =
      store.GetTrackInterval(LimitShopOutput::WithBaseMode(params, key), axis.interval);
  if (dimension < 0) return false;
  axis.dimension = static_cast<unsigned>(dimension);
  return true;
}

// A stored track whose limits were generated: every point carries an evaluation mode (the limit
// generation sets it on every point it limits).
bool HasLimits(const CKelLimitShop::track_points_t& points) {
  return !points.empty() && std::all_of(points.begin(), points.end(), [](const auto& point) {
    return point.second.evalMode != QVInstrumentParam::eval_none;
  });
}

// Both limits of every point over the trigger axis.
void FillPolygons(const CKelLimitShop::track_points_t& points,
                  const CTriggerStore::CInterval& interval, unsigned dimension,
                  CVisDataPolygon& upper, CVisDataPolygon& lower) {
  for (const auto& [cell, point] : points) {
    float x = 0.0f;
    CTriggerStore::position(interval, cell, dimension, x);
    upper.AddPoint(x, point.upperLimit);
    lower.AddPoint(x, point.lowerLimit);
  }
  upper.PolygonCompleted(1);
  lower.PolygonCompleted(1);
}

// A stored curve track whose limits were generated: every curve carries a limit state.
bool HasLimits(const CKelLimitShop::track_curves_t& curves) {
  return !curves.empty() && std::all_of(curves.begin(), curves.end(), [](const auto& curve) {
    return curve.second.LimitState() != QVInstrumentParam::eval_none;
  });
}

// The limit curve of every position, with its axis value.
void FillArray(const CKelLimitShop::track_curves_t& curves,
               const CTriggerStore::CInterval& interval, unsigned dimension, CVisDataArray& out) {
  for (const auto& [cell, curve] : curves) {
    CVisDataVector limit;
    curve.CopyLimitToCurve(&limit);
    float x = 0.0f;
    CTriggerStore::position(interval, cell, dimension, x);
    out.curves.push_back(limit);
    out.positions.push_back(x);
  }
}

}  // namespace

int CKelLimitShop::RetrieveSvTrackLimit(const QClavis& key, CVisDataPolygon& upper,
                                        CVisDataPolygon& lower, bool preferStored) const {
  upper.StartPolygon(64);
  lower.StartPolygon(64);
  const auto& store = valueStore_.TrackScalarStore();
  DisplayAxis axis;
  if (!FindDisplayAxis(params_, store, params_.LimCValue(), key, axis))
    return QVInstrumentParam::eval_none;
  const int trackKey = axis.trackKey;
  const int direction = axis.direction;

  if (preferStored) {
    const auto* stored = store.FindTrack(key);
    if (stored != nullptr && HasLimits(stored->points)) {
      FillPolygons(stored->points, axis.interval, axis.dimension, upper, lower);
      return direction;
    }
  }

  // One point per learned position, its learned mean as value.
  auto& learned = learnStore_.LearnedScalarTrack();
  track_points_t points;
  const auto learnedTrack = learned.find(QIdx1(trackKey));
  if (learnedTrack != learned.end()) {
    for (const auto& [cell, item] : learnedTrack->second) {
      KelStoreTrackPoint point(item.mean);
      point.evalMode = direction;
      points.insert_or_assign(cell, point);
    }
  }
  if (!points.empty())
    GenerateValueTrackLimitOfDovetar(learned, params_.IpParamAndStore(), params_.LimCValue(),
                                     params_.InstrumentParam(), key, trackKey, points);
  FillPolygons(points, axis.interval, axis.dimension, upper, lower);
  return direction;
}

int CKelLimitShop::RetrieveCurveTrackLimit(const QClavis& key, CVisDataArray& upper,
                                           CVisDataArray& lower, bool preferStored) const {
  upper = CVisDataArray();
  lower = CVisDataArray();
  const auto& store = valueStore_.TrackCurveStore();
  DisplayAxis axis;
  if (!FindDisplayAxis(params_, store, params_.LimArea(), key, axis))
    return QVInstrumentParam::eval_none;
  const int trackKey = axis.trackKey;
  const int direction = axis.direction;
  // A curve track has one limit: the upper or the lower one.
  CVisDataArray* out = direction == QVInstrumentParam::eval_upper   ? &upper
                       : direction == QVInstrumentParam::eval_lower ? &lower
                                                                    : nullptr;

  if (preferStored) {
    const auto* stored = store.FindTrack(key);
    if (stored != nullptr && HasLimits(stored->points)) {
      if (out != nullptr) FillArray(stored->points, axis.interval, axis.dimension, *out);
      return direction;
    }
  }

  // One limit curve per learned position that has a learned average, made on that average.
  auto& learned = learnStore_.LearnedCurveTrack();
  track_curves_t curves;
  const auto learnedTrack = learned.find(QIdx1(trackKey));
  if (learnedTrack != learned.end()) {
    for (const auto& [cell, item] : learnedTrack->second)
      if (item.Average().size() != 0)
        curves.insert_or_assign(cell, KelSigLimitCurve(item.Average()));
  }
  if (!curves.empty())
    GenerateCurveTrackLimitOfDovetar(learned, params_.IpParamAndStore(), params_.LimArea(),
                                     params_.InstrumentParam(), key, trackKey, curves);
  if (out != nullptr) FillArray(curves, axis.interval, axis.dimension, *out);
  return direction;
}
