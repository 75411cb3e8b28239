#include "learn/KelLearnSValueMachine.h"

#include <iterator>

#include "host/Numeric.h"
#include "learn/LearnedValues.h"
#include "store/IdRange.h"
#include "store/KelValueStore.h"

CKelLearnSValue::CKelLearnSValue(CKelLearnStore& store, CKelFinalScalarStore& source)
    : CKelLearnFinalMachine(store, "<EvLearnSValue>"), source_(source) {}

unsigned CKelLearnSValue::Learn(int mode, Kelva::sequencer_events_t event) {
  unsigned learned = 0;
  CKelLearnProcedureWalk procedures = store_.LearnProcedureWalk();
  CExpAverFacMemo factors;
  // The evaluation list and the learn table are both ordered by key: the item of each key is
  // found (or made) next to the one before.
  auto next = table_.end();
  auto [first, last] = Kelva::ModeRange(source_.ToEvaluateMap(), mode);
  for (; first != last; ++first) {
    if (!source_.evaluation_matches(*first, event)) continue;
    const QClavis& key = first->first;
    auto slot = table_.try_emplace(next, key);
    next = std::next(slot);
    KelLearnSValue& item = slot->second;
    const QVLearnProcedures* procedure = procedures.Find(key);
    if (item.count == 0 && item.active != 0) {
      if (procedure == nullptr) continue;
      item.InitNewLearn(static_cast<unsigned>(procedure->numberToLearn));
    }
    learned += Update(procedure, item, first->second->second.value, factors);
  }
  return learned;
}

unsigned CKelLearnSValue::Update(const QVLearnProcedures* procedure, KelLearnSValue& item, float x,
                                 CExpAverFacMemo& factors) {
  if (item.active == 0 || procedure == nullptr) return 0;
  float f = 0.0f;
  if (!item.NextFactor(WholeTimeConstant(procedure->timeConstant), f, factors)) return 0;
  item.Update(x, f);
  return 1;
}

void CKelLearnSValue::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  FillFinalStore(valueStore.FinalScalarStore(), storeIsEmpty);
}
