#include "frame/QuantityLimits.h"

#include <algorithm>

#include "host/Display.h"
#include "store/KelValueStore.h"

namespace QuantityLimits {

namespace {

// Enough learned as the shop decides it: something learned, and at least the base learns
// when the key has a learn procedure.
bool EnoughLearned(unsigned long long count, std::optional<unsigned> baseLearns) {
  return count != 0 && (!baseLearns || count >= *baseLearns);
}

// The tracked trigger of the key's parameter, -1 for a parameter that is not tracked or
// unknown.
int Trigger(const CDtParamInstance& params, const QClavis& key) {
  const auto ip = params.InstrumentParam().find(QIdx1(key.parameter()));
  return ip == params.InstrumentParam().end() ? -1 : ip->second.trigger;
}

// The key, its direction and base learns; count 0.
QuantityLimit Quantity(const CKelLearnStore& store, const QClavis& key,
                       const CDtParamInstance& params) {
  QuantityLimit quantity;
  quantity.key = key;
  const auto ip = params.InstrumentParam().find(QIdx1(key.parameter()));
  if (ip != params.InstrumentParam().end()) quantity.direction = ip->second.evalMode;
  const auto [baseLearns, found] = store.NrOfBaseLearn(key);
  if (found) quantity.baseLearns = baseLearns;
  return quantity;
}

// Widens [low, high] of `quantity` to take in `value`.
void TakeIn(QuantityLimit& quantity, float value) {
  quantity.low = quantity.low ? std::min(*quantity.low, value) : value;
  quantity.high = quantity.high ? std::max(*quantity.high, value) : value;
}

void TakeIn(QuantityLimit& quantity, const CVisDataVector& curve) {
  for (uint32_t i = 0; i < curve.size && curve.Data() != nullptr; ++i)
    TakeIn(quantity, curve.Data()[i]);
}

// The smallest count of the track's positions, and whether every position learned enough.
template <typename Track>
std::pair<unsigned long long, bool> TrackCount(const Track& track,
                                               std::optional<unsigned> baseLearns) {
  if (track.empty()) return {0, false};
  unsigned long long fewest = track.begin()->second.count;
  bool enough = true;
  for (const auto& [position, item] : track) {
    fewest = std::min<unsigned long long>(fewest, item.count);
    enough = enough && EnoughLearned(item.count, baseLearns);
  }
  return {fewest, enough};
}

// The learned track of `key` in `learned` (a table of tracks under the track key `keyMap`
// gives the key); none when either does not know it.
template <typename Table, typename KeyMap>
const typename Table::track_t* LearnedTrack(const Table& learned, const KeyMap& keyMap,
                                            const QClavis& key) {
  const int trackKey = keyMap.KeyOfDovetar(key).id();
  if (trackKey == -1) return nullptr;
  const auto track = learned.find(QIdx1(trackKey));
  return track == learned.end() ? nullptr : &track->second;
}

}  // namespace

std::vector<QuantityLimit> Scalars(const CKelLimitShop& shop, const CKelLearnStore& store,
                                   const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  const auto& records = params.LimSValue();
  for (auto record = records.begin(); record != records.end(); ++record) {
    QuantityLimit quantity = Quantity(store, record->first, params);
    const auto learned = store.LearnedSingleValue().find(record->first);
    if (learned != store.LearnedSingleValue().end()) quantity.count = learned->second.count;
    float limit = 0.0f;
    if (shop.RetrieveSValueLimit(record, limit, false)) {
      quantity.low = limit;
      quantity.source = EnoughLearned(quantity.count, quantity.baseLearns) ? "learned" : "fixed";
    }
    limits.push_back(quantity);
  }
  return limits;
}

std::vector<QuantityLimit> Curves(const CKelLimitShop& shop, const CKelLearnStore& store,
                                  const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  for (const auto& [key, record] : params.LimCValue()) {
    if (Trigger(params, key) != -1) continue;  // a scalar track
    QuantityLimit quantity = Quantity(store, key, params);
    const auto learned = store.LearnedSigCurveMap().find(key);
    if (learned != store.LearnedSigCurveMap().end()) quantity.count = learned->second.count;
    CVisDataVector curve;
    if (shop.RetrieveCurveLimit(key, curve, false) && curve.size > 0) {
      TakeIn(quantity, curve);
      quantity.source = EnoughLearned(quantity.count, quantity.baseLearns) ? "learned" : "polygon";
    }
    limits.push_back(quantity);
  }
  return limits;
}

std::vector<QuantityLimit> ScalarTracks(const CKelLimitShop& shop, const CKelValueStore& values,
                                        const CKelLearnStore& store,
                                        const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  for (const auto& [key, record] : params.LimCValue()) {
    if (Trigger(params, key) == -1) continue;  // a final curve
    QuantityLimit quantity = Quantity(store, key, params);
    const auto* track = LearnedTrack(store.LearnedScalarTrack(), values.TrackScalarStore(), key);
    bool enough = false;
    if (track != nullptr)
      std::tie(quantity.count, enough) = TrackCount(*track, quantity.baseLearns);
    CVisDataPolygon upper;
    CVisDataPolygon lower;
    if (shop.RetrieveSvTrackLimit(key, upper, lower, false) != QVInstrumentParam::eval_none) {
      for (const CVisDataPolygon* polygon : {&upper, &lower})
        for (const CVisDataPolygon::Point& point : polygon->Points())
          TakeIn(quantity, static_cast<float>(point.y));
      const int polygonId = quantity.direction == QVInstrumentParam::eval_lower
                                ? record.lowerPolygon
                                : record.upperPolygon;
      if (quantity.low) quantity.source = enough || polygonId == -1 ? "learned" : "polygon";
    }
    limits.push_back(quantity);
  }
  return limits;
}

std::vector<QuantityLimit> CurveTracks(const CKelLimitShop& shop, const CKelValueStore& values,
                                       const CKelLearnStore& store,
                                       const CDtParamInstance& params) {
  std::vector<QuantityLimit> limits;
  for (const auto& [key, record] : params.LimArea()) {
    QuantityLimit quantity = Quantity(store, key, params);
    const auto* track = LearnedTrack(store.LearnedCurveTrack(), values.TrackCurveStore(), key);
    bool enough = false;
    if (track != nullptr)
      std::tie(quantity.count, enough) = TrackCount(*track, quantity.baseLearns);
    CVisDataArray upper;
    CVisDataArray lower;
    if (shop.RetrieveCurveTrackLimit(key, upper, lower, false) != QVInstrumentParam::eval_none) {
      for (const CVisDataArray* array : {&upper, &lower})
        for (const CVisDataVector& curve : array->curves) TakeIn(quantity, curve);
      if (quantity.low) quantity.source = enough ? "learned" : "fixed";
    }
    limits.push_back(quantity);
  }
  return limits;
}

}  // namespace QuantityLimits
