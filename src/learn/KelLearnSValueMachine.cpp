#include "learn/KelLearnSValueMachine.h"

#include "host/Numeric.h"
#include "learn/LearnedValues.h"
#include "store/IdRange.h"
#include "store/KelValueStore.h"

CKelLearnSValue::CKelLearnSValue(CKelLearnStore& store, CKelFinalScalarStore& source)
    : CKelLearnFinalMachine(store, "<EvLearnSValue>"), source_(source) {}

unsigned CKelLearnSValue::Learn(int mode, Kelva::sequencer_events_t event) {
  unsigned learned = 0;
  auto [first, last] = Kelva::ModeRange(source_.ToEvaluateMap(), mode);
  for (; first != last; ++first) {
    const QClavis& key = first->first;
    if (!source_.evaluation_matches(key, event)) continue;
    KelLearnSValue& item = table_[key];
    if (item.count == 0 && item.active != 0) {
      auto [n, found] = store_.NrToLearn(key);
      if (!found) continue;
      item.InitNewLearn(static_cast<unsigned>(n));
    }
    learned += Update(key, item, first->second->second.value);
  }
  return learned;
}

unsigned CKelLearnSValue::Update(const QClavis& key, KelLearnSValue& item, float x) const {
  if (item.active == 0) return 0;
  auto [tc, found] = store_.ExpTc(key);
  if (!found) return 0;
  return item.LearnValue(x, WholeTimeConstant(tc)) ? 1 : 0;
}

void CKelLearnSValue::FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const {
  CKelFinalScalarStore& target = valueStore.FinalScalarStore();
  if (storeIsEmpty) {
    for (const auto& [key, item] : table_)
      target.ValueMap().insert_or_assign(key, LearnedValues::StoredValue(item));
    return;
  }
  LearnedValues::UpdateSideBySide(
      target.ValueMap(), table_,
      [](KelStoreSValue& value, const KelLearnSValue& item) {
        LearnedValues::ShowLearned(value, item);
      },
      [&target](auto it) { return target.EraseValue(it); });
}
