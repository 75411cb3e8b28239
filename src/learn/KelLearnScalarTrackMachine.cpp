#include "learn/KelLearnScalarTrackMachine.h"

#include <algorithm>
#include <limits>

#include "host/Output.h"
#include "learn/LearnedValues.h"
#include "store/KelValueStore.h"

CKelLearnScalarTrack::CKelLearnScalarTrack(CKelLearnStore& store, CKelTrackScalarStore& source)
    : CKelLearnTrackMachine(store, source, "<EvLearnTrack>") {}

CKelLearnScalarTrack::learn_mode_t CKelLearnScalarTrack::LearnModeOf(const QClavis& key) const {
  if (key.instrument() != kExtremeValueInstrument) return lm_average;
  const auto& parameters = params_.InstrumentParam();
  auto parameter = parameters.find(QIdx1(key.parameter()));
  if (parameter == parameters.end()) {
    // The parameter database gives every parameter a record; without one the direction of the
    // limit is unknown and the track is learned as an average.
    PrWin::Output(8, 1,
                  "CKelLearnScalarTrack::Learn(): instrument parameter %d has no record; its "
                  "track is learned as an average\n",
                  key.parameter());
    return lm_average;
  }
  return parameter->second.evalMode == QVInstrumentParam::eval_lower ? lm_minimum : lm_maximum;
}

unsigned CKelLearnScalarTrack::Learn(int mode, Kelva::sequencer_events_t event) {
  unsigned learned = 0;
  for (const auto& [trackKey, stored] : source_.ToEvaluateMap()) {
    const QClavis& key = DovetarOfKey(trackKey);
    if (key.mode() != mode || !source_.evaluation_matches(trackKey, event)) continue;
    auto [n, hasProcedure] = store_.NrToLearn(key);
    if (!hasProcedure) continue;
    auto [tcFloat, hasTimeConstant] = store_.ExpTc(key);
    if (!hasTimeConstant) continue;
    const long tc = WholeTimeConstant(tcFloat);
    const learn_mode_t learnMode = LearnModeOf(key);
    table_t::track_t& track = table_[trackKey];
    auto cursor = track.begin();
    for (const auto& [position, point] : stored->second.points) {
      cursor = track.find_or_emplace(cursor, position);
      KelLearnSValue& item = cursor->second;
      if (item.active != 0 && item.count == 0) {
        item.InitNewLearn(static_cast<unsigned>(n));
        if (learnMode == lm_minimum) item.mean = std::numeric_limits<float>::max();
        if (learnMode == lm_maximum) item.mean = -std::numeric_limits<float>::max();
      }
      learned += UpdateLearn(point.value, item, tc, learnMode);
      ++cursor;
    }
  }
  return learned;
}

unsigned CKelLearnScalarTrack::UpdateLearn(float x, KelLearnSValue& item, long tc,
                                           learn_mode_t mode) {
  float f = 0.0f;
  if (!item.NextFactor(tc, f)) return 0;
  switch (mode) {
    case lm_minimum:
      item.mean = std::min(item.mean, x);
      item.meanSquare = 0.0f;
      break;
    case lm_maximum:
      item.mean = std::max(item.mean, x);
      item.meanSquare = 0.0f;
      break;
    default:
      item.Update(x, f);
      break;
  }
  return 1;
}

void CKelLearnScalarTrack::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  CKelTrackScalarStore& target = valueStore.TrackScalarStore();
  if (storeIsEmpty) {
    for (const auto& [trackKey, track] : table_) {
      const QClavis& key = DovetarOfKey(trackKey);
      for (const auto& [position, item] : track) {
        KelStoreTrackPoint& point = target.InsertValue(key, position, 0.0f, CMeasuringUnit(), 0,
                                                       SignalBase::expire_candidate, 0);
        LearnedValues::ShowLearned(point, item);
      }
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
        [](KelStoreTrackPoint& point, const KelLearnSValue& item) {
          LearnedValues::ShowLearned(point, item);
        },
        [&stored](auto it) { return stored.points.erase(it); });
  }
}

bool CKelLearnScalarTrack::GeneratePolygon(const QClavis& key, CVisDataPolygon* polygon,
                                           int what) const {
  polygon->StartPolygon(64);
  polygon->xUnit = CMeasuringUnit();
  polygon->yUnit = CMeasuringUnit();
  auto learned = table_.find(KeyOfDovetar(key));
  if (learned == table_.end()) return false;
  CTriggerStore::CInterval interval;
  const int dimension = source_.GetTrackInterval(key, interval);
  if (dimension < 0) return false;
  for (const auto& [position, item] : learned->second) {
    float x = 0.0f;
    CTriggerStore::position(interval, position, static_cast<unsigned>(dimension), x);
    float y = item.mean;
    if (what == 1) y = item.meanSquare - item.mean * item.mean;
    if (what == 2) y = static_cast<float>(item.count);
    polygon->AddPoint(x, y);
  }
  return true;
}
