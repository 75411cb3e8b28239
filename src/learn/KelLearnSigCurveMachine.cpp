#include "learn/KelLearnSigCurveMachine.h"

#include "learn/LearnedValues.h"
#include "store/IdRange.h"
#include "store/KelValueStore.h"

CKelLearnSigCurve::CKelLearnSigCurve(CKelLearnStore& store, CKelFinalCurveStore& source)
    : CKelLearnFinalMachine(store, "<EvLearnCurveUpperLimit>"), source_(source) {}

bool CKelLearnSigCurve::GoesOn(const KelLearnCurve& item, const KelSigLimitCurve& curve) {
  return item.count != 0 && item.Average().size() == curve.size() &&
         item.Average().delta(0) == curve.description().Delta(0);
}

unsigned CKelLearnSigCurve::Learn(int mode, Kelva::sequencer_events_t event) {
  unsigned learned = 0;
  auto [first, last] = Kelva::ModeRange(source_.ToEvaluateMap(), mode);
  for (; first != last; ++first) {
    const QClavis& key = first->first;
    if (!source_.evaluation_matches(key, event)) continue;
    const KelSigLimitCurve& curve = first->second->second;
    KelLearnCurve& item = table_[key];
    if (item.active != 0 && !GoesOn(item, curve)) {
      auto [n, found] = store_.NrToLearn(key);
      if (!found) continue;
      item.InitNewLearn(static_cast<unsigned>(n));
      item.Average().ZeroData(curve);
      item.SqAverage().ZeroData(curve);
    }
    learned += Update(key, item, curve);
  }
  return learned;
}

unsigned CKelLearnSigCurve::Update(const QClavis& key, KelLearnCurve& item,
                                   const KelSigLimitCurve& curve) const {
  if (item.active == 0) return 0;
  auto [tc, found] = store_.ExpTc(key);
  if (!found) return 0;
  float f = 0.0f;
  if (!item.NextFactor(WholeTimeConstant(tc), f)) return 0;
  // A curve that does not fit counts as offered: the item then starts anew with the next one.
  item.Learn(curve.Curve(), f);
  return 1;
}

void CKelLearnSigCurve::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  CKelFinalCurveStore& target = valueStore.FinalCurveStore();
  if (storeIsEmpty) {
    for (const auto& [key, item] : table_)
      target.ValueMap().insert_or_assign(key, LearnedValues::LimitCurveOf(item));
    return;
  }
  LearnedValues::UpdateSideBySide(
      target.ValueMap(), table_,
      [](KelSigLimitCurve& curve, const KelLearnCurve& item) {
        LearnedValues::ShowLearned(curve, item);
      },
      [&target](auto it) { return target.EraseValue(it); });
}
