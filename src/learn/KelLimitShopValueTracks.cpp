// The limits of scalar tracks: per trigger position a learned upper and lower limit by the
// limit rule, then bounded by the quantity's two polygons laid over the trigger axis.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "host/Numeric.h"
#include "host/Output.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "learn/LimitRule.h"
#include "learn/LimitShopOutput.h"
#include "learn/TrackLimitSteps.h"
#include "store/IdRange.h"
#include "store/KelValueStore.h"

using LimitShopOutput::kKeyMessageStyle;
using LimitShopOutput::kSummaryStyle;
using LimitShopOutput::WithBaseMode;

namespace {

// y := min(limit, y) or max(limit, y), written out so that a NaN polygon corner leaves the limit
// as it was and a NaN limit is replaced.
float Ceiling(float limit, float y) {
  return y < limit ? y : limit;
}
float Floor(float limit, float y) {
  return y > limit ? y : limit;
}

void ApplyKind(KelStoreTrackPoint& point, CKelLimitShop::ePolyLimit kind, bool learnedEnough,
               float y) {
  switch (kind) {
    case CKelLimitShop::upper_ceiling:
      point.upperLimit = learnedEnough ? Ceiling(point.upperLimit, y) : y;
      break;
    case CKelLimitShop::upper_floor:
      if (learnedEnough) point.upperLimit = Floor(point.upperLimit, y);
      break;
    case CKelLimitShop::lower_ceiling:
      if (learnedEnough) point.lowerLimit = Ceiling(point.lowerLimit, y);
      break;
    case CKelLimitShop::lower_floor:
      point.lowerLimit = learnedEnough ? Floor(point.lowerLimit, y) : y;
      break;
  }
}

// The low and high end of a trigger interval on its axis, whichever way the axis runs. Polygons
// are laid over the axis by these ends: a coast-down from 4,000 to 800 rpm spans 800..4,000 as a
// run-up over the same speeds does.
double LowEnd(const CTriggerStore::CInterval& interval) {
  return std::min(interval.start(), interval.stop());
}
double HighEnd(const CTriggerStore::CInterval& interval) {
  return std::max(interval.start(), interval.stop());
}

// The cell of a polygon corner. Cells grow with x on a rising axis and fall with it on a falling
// one; there a corner above the axis' low end moves one cell on, so that a segment covers the
// axis positions from its left corner up to (not including) its right corner on both kinds of
// axis, and no corner's cell is taken by two segments.
bool CornerCell(const CTriggerStore::CInterval& interval, unsigned dimension, float x,
                int64_t& cell) {
  if (!CTriggerStore::cell(interval, dimension, x, cell, true)) return false;
  if (!interval.raising() && LowEnd(interval) < x) ++cell;
  return true;
}

// Whether the learned item at a cell has a count that is neither 0 nor below minLearned. The
// points of a polygon segment come in ascending cells, so the learned track is walked side by
// side with them; a cell behind the walk (the next segment starting further left) looks the
// item up afresh.
class LearnedEnoughWalk {
 public:
  using track_t = CKelLimitShop::learned_scalar_tracks_t::track_t;

  LearnedEnoughWalk(const track_t* track, unsigned minLearned)
      : track_(track), minLearned_(minLearned) {
    if (track_ != nullptr) at_ = track_->begin();
  }

  bool At(int64_t cell) {
    if (track_ == nullptr) return false;
    // Every item before at_ lies below the previous cell asked for.
    if (at_ != track_->begin() && std::prev(at_)->first >= cell) at_ = track_->lower_bound(cell);
    while (at_ != track_->end() && at_->first < cell) ++at_;
    return at_ != track_->end() && at_->first == cell && at_->second.count != 0 &&
           at_->second.count >= minLearned_;
  }

 private:
  const track_t* track_;
  unsigned minLearned_;
  track_t::const_iterator at_{};
};

}  // namespace

bool CKelLimitShop::GenerateValueTrackLimits() {
  auto& learned = learnStore_.LearnedScalarTrack();
  const bool ok = TrackLimitSteps::LimitPendingTracks(
      valueStore_.TrackScalarStore(),
      [&](const QClavis& key, int trackKey, track_points_t& points) {
        return GenerateValueTrackLimitOfDovetar(learned, params_.IpParamAndStore(),
                                                params_.LimCValue(), params_.InstrumentParam(), key,
                                                trackKey, points);
      });
  if (!ok)
    PrWin::Output(PrWin::catWarning, kSummaryStyle,
                  "CKelLimitShop::GenerateValueTrackLimits(): Some limits couldn't be generated. "
                  "Please find details in the output window.\n");
  return ok;
}

bool CKelLimitShop::GenerateValueTrackLimitOfDovetar(
    learned_scalar_tracks_t& learned, const ips_table_t& widthTerms,
    const lim_cvalue_table_t& polygons, const CDtParamInstance::InstrumentParamTable& ip,
    const QClavis& key, int trackKey, track_points_t& points) const {
  const QClavis base = WithBaseMode(params_, key);
  const auto lim = polygons.find(base);
  if (lim == polygons.end()) return true;
  const std::string text = params_.FormatClavisText(base);
  const QVInstrumentParam* instrumentParam = nullptr;
  const QVIpParamAndStore* ips = nullptr;
  if (!TrackLimitSteps::FindRecords(ip, widthTerms, base,
                                    "CKelLimitShop::GenerateValueTrackLimitOfDovetar()", text,
                                    instrumentParam, ips))
    return false;

  CTriggerStore::CInterval interval;
  const int dimension = valueStore_.TrackScalarStore().GetTrackInterval(base, interval);
  if (dimension < 0) {
    const std::string trigger = params_.TriggerName(params_.TriggerId(base.parameter()));
    const std::string message =
        dimension == CTriggerStore::kNoDefiniteDimension
            ? "CKelLimitShop::GenerateValueTrackLimitOfDovetar(): No definite dimension tracked "
              "by trigger '" +
                  trigger + "' for quantity '" + text + "'\n"
            : "CKelLimitShop::GenerateValueTrackLimitOfDovetar(): No parameters found for "
              "trigger '" +
                  trigger + "' and quantity '" + text + "'\n";
    PrWin::Output(message, PrWin::catWarning, kKeyMessageStyle);
    return false;
  }

  const int direction = instrumentParam->evalMode;
  bool learnOk = true;
  unsigned minLearned = UINT_MAX;  // no learn procedure: no point counts as learned
  const auto [baseLearns, found] = learnStore_.NrOfBaseLearn(base);
  if (found) {
    minLearned = baseLearns;
  } else {
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateValueTrackLimitOfDovetar(): No learn procedure found "
                  "for '%s'\n",
                  text.c_str());
    learnOk = false;
  }

  ValueTrackLimits(points, base, trackKey, learned, direction, *ips);

  const auto apply = [&](int polygon, ePolyLimit kind) {
    return ApplyPolygon2Limit(points, learned, trackKey, polygon, static_cast<unsigned>(dimension),
                              interval, kind, minLearned);
  };
  const int lower = lim->second.lowerPolygon;
  const int upper = lim->second.upperPolygon;
  bool overlap = false;
  if (direction == QVInstrumentParam::eval_lower) {
    const bool first = apply(upper, lower_ceiling);
    overlap = apply(lower, lower_floor) && first;
  } else if (direction == QVInstrumentParam::eval_upper) {
    const bool first = apply(lower, upper_floor);
    overlap = apply(upper, upper_ceiling) && first;
  } else if (direction == QVInstrumentParam::eval_interval) {
    const bool first = apply(lower, lower_floor);
    overlap = apply(upper, upper_ceiling) && first;
  }
  if (!overlap)
    PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                  "CKelLimitShop::GenerateValueTrackLimitOfDovetar(): Polygon doesn't overlap "
                  "with trigger interval for '%s'\n",
                  text.c_str());
  return learnOk && overlap;
}

void CKelLimitShop::ValueTrackLimits(track_points_t& points, const QClavis& key, int trackKey,
                                     learned_scalar_tracks_t& learned, int direction,
                                     const QVIpParamAndStore& ips) const {
  auto& track = learned[QIdx1(trackKey)];
  auto from = track.cbegin();
  // The correction depends on the count alone (the key is the same for every point), and the
  // points of a track mostly share their count: it is looked up again only when the count
  // changes, not once per point.
  uint32_t correctedCount = 0;
  float correction = GetCorrFactor(correctedCount, key);
  for (auto& [position, point] : points) {
    const auto item = track.find_or_emplace(from, position);
    const float mean = item->second.mean;
    const uint32_t count = item->second.count;
    if (count != correctedCount) {
      correctedCount = count;
      correction = GetCorrFactor(count, key);
    }
    const float sigma = numeric::stddev(mean, item->second.meanSquare, correction);
    // Where nothing is learned the point's own value is the reference, so that the percentage
    // and the offset alone make the width.
    const float reference = count == 0 ? point.value : mean;
    const float width = LimitRule::Width(reference, sigma, ips);
    point.upperLimit = LimitRule::Upper(reference, width);
    point.lowerLimit = LimitRule::Lower(reference, width);
    point.evalMode = direction;
    point.mean = mean;
    from = std::next(item);
  }
}

bool CKelLimitShop::ApplyPolygon2Limit(track_points_t& points,
                                       const learned_scalar_tracks_t& learned, int trackKey,
                                       int polygonId, unsigned dimension,
                                       const CTriggerStore::CInterval& interval, ePolyLimit kind,
                                       unsigned minLearned) const {
  const auto [first, last] = Kelva::IdRange(params_.IpPolygonValues(), polygonId,
                                            [](int32_t id) { return std::make_pair(id, 0); });
  if (first == last) return true;
  const auto learnedTrack = learned.find(QIdx1(trackKey));
  LearnedEnoughWalk learnedEnough(learnedTrack == learned.end() ? nullptr : &learnedTrack->second,
                                  minLearned);

  float x0 = first->second.x;
  float y0 = first->second.y;
  const bool startsBefore = x0 < HighEnd(interval);
  for (auto corner = std::next(first); corner != last; ++corner) {
    const float x1 = corner->second.x;
    const float y1 = corner->second.y;
    int64_t c0 = 0;
    int64_t c1 = 0;
    if (CornerCell(interval, dimension, x0, c0) && CornerCell(interval, dimension, x1, c1)) {
      const float slope = (y1 - y0) / (x1 - x0);
      // On a falling axis a segment with rising x runs from the higher cell to the lower.
      const int64_t first = std::min(c0, c1);
      const int64_t end = std::max(c0, c1);
      // Both corners have a cell, so the interval is not empty and is of this dimension: the
      // points' positions need no checks.
      for (auto point = points.lower_bound(first); point != points.end() && point->first < end;
           ++point) {
        const float x = interval.CellPosition(point->first);
        const float y = (x - x0) * slope + y0;
        ApplyKind(point->second, kind, learnedEnough.At(point->first), y);
      }
    }
    x0 = x1;
    y0 = y1;
  }
  return startsBefore && x0 > LowEnd(interval);
}
