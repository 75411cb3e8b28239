#include "learn/KelLearnSigCurveMachine.h"

#include <iterator>

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
  CKelLearnProcedureWalk procedures = store_.LearnProcedureWalk();
  CExpAverFacMemo factors;
  // Evaluation list and learn table are both ordered by key (see CKelLearnSValue::Learn).
  auto next = table_.end();
  auto [first, last] = Kelva::ModeRange(source_.ToEvaluateMap(), mode);
  for (; first != last; ++first) {
    if (!source_.evaluation_matches(*first, event)) continue;
    const QClavis& key = first->first;
    const KelSigLimitCurve& curve = first->second->second;
    auto slot = table_.try_emplace(next, key);
    next = std::next(slot);
    KelLearnCurve& item = slot->second;
    const QVLearnProcedures* procedure = procedures.Find(key);
    if (item.active != 0 && !GoesOn(item, curve)) {
      if (procedure == nullptr) continue;
      item.InitNewLearn(static_cast<unsigned>(procedure->numberToLearn));
      item.Average().ZeroData(curve);
      item.SqAverage().ZeroData(curve);
    }
    learned += Update(procedure, item, curve, factors);
  }
  return learned;
}

unsigned CKelLearnSigCurve::Update(const QVLearnProcedures* procedure, KelLearnCurve& item,
                                   const KelSigLimitCurve& curve, CExpAverFacMemo& factors) {
  if (item.active == 0 || procedure == nullptr) return 0;
  float f = 0.0f;
  if (!item.NextFactor(WholeTimeConstant(procedure->timeConstant), f, factors)) return 0;
  // A curve that does not fit counts as offered: the item then starts anew with the next one.
  item.Learn(curve.Curve(), f);
  return 1;
}

void CKelLearnSigCurve::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  FillFinalStore(valueStore.FinalCurveStore(), storeIsEmpty);
}
