#include "learn/KelLearnCurveTrackMachine.h"

#include "learn/LearnedValues.h"
#include "store/KelValueStore.h"

CKelLearnCurveTrack::CKelLearnCurveTrack(CKelLearnStore& store, CKelTrackCurveStore& source)
    : CKelLearnTrackMachine(store, source, "<EvLearnCurveTrack>") {}

unsigned CKelLearnCurveTrack::Learn(int mode, Kelva::sequencer_events_t event) {
  unsigned learned = 0;
  for (const auto& [trackKey, stored] : source_.ToEvaluateMap()) {
    const QClavis& key = DovetarOfKey(trackKey);
    if (key.mode() != mode || !source_.evaluation_matches(trackKey, event)) continue;
    auto [n, hasProcedure] = store_.NrToLearn(key);
    if (!hasProcedure) continue;
    if (n == 0) {
      table_.erase(trackKey);
      continue;
    }
    auto [tcFloat, hasTimeConstant] = store_.ExpTc(key);
    if (!hasTimeConstant) continue;
    const long tc = WholeTimeConstant(tcFloat);
    table_t::track_t& track = table_[trackKey];
    auto cursor = track.begin();
    for (const auto& [position, curve] : stored->second.points) {
      cursor = track.find_or_emplace(cursor, position);
      KelLearnCurve& item = cursor->second;
      if (item.active != 0 && item.count == 0) {
        item.InitNewLearn(static_cast<unsigned>(n));
        item.Average().ZeroData(curve);
        item.SqAverage().ZeroData(curve);
      }
      float f = 0.0f;
      if (item.NextFactor(tc, f)) {
        item.Learn(curve.Curve(), f);
        ++learned;
      }
      ++cursor;
    }
  }
  return learned;
}

void CKelLearnCurveTrack::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  CKelTrackCurveStore& target = valueStore.TrackCurveStore();
  if (storeIsEmpty) {
    for (const auto& [trackKey, track] : table_) {
      const QClavis& key = DovetarOfKey(trackKey);
      for (const auto& [position, item] : track)
        target.InsertValue(key, position, item.Average(), 0) = LearnedValues::LimitCurveOf(item);
    }
    return;
  }
  for (auto& [targetKey, stored] : target.ValueMap()) {
    auto learned = table_.find(KeyOfDovetar(target.DovetarOfKey(targetKey)));
    if (learned == table_.end()) {
      stored.points.clear();
      continue;
    }
    LearnedValues::UpdateSideBySide(
        stored.points, learned->second,
        [](KelSigLimitCurve& curve, const KelLearnCurve& item) {
          LearnedValues::ShowLearned(curve, item);
        },
        [&stored](auto it) { return stored.points.erase(it); });
  }
}
