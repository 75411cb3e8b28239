#include "eval/SvCalc.h"

#include "eval/SourceGeneration.h"

namespace {

// An operand: its stored value (null when missing) and its generation (0 when it was not
// received in the current evaluation step).
struct Operand {
  const KelStoreSValue* value = nullptr;
  unsigned generation = 0;
};

Operand FindOperand(const CKelValueStore& store, const QClavis& key) {
  const auto& values = store.SingleValueMap();
  auto it = values.find(key);
  if (it == values.end()) return {};
  return {&it->second, SourceGeneration::OfSValue(store, key)};
}

}  // namespace

bool CSvCalc::process(unsigned pass) {
  bool produced = false;
  for (const QClavis& key : m_keySet) {
    if (!LoadOperands(key)) continue;
    if (m_operation < 1 || m_operation > 7) {
      Message("CSvCalc::process(): Calculation not supported for", key);
      continue;
    }
    const QClavis keyA = OperandKey(key, m_operandA);
    const QClavis keyB = OperandKey(key, m_operandB);
    const Operand a = FindOperand(m_valueStore, keyA);
    const Operand b = FindOperand(m_valueStore, keyB);
    if (a.value == nullptr || b.value == nullptr) continue;
    if (a.generation == 0 && b.generation == 0) continue;
    if (a.generation != pass && b.generation != pass) continue;

    KelStoreSValue result;
    result.value = Apply(m_operation, a.value->value, b.value->value);
    result.position = 0.0f;
    result.context = a.value->context | b.value->context;
    result.expire = a.value->expire;
    m_valueStore.InsertSValue(
        key, result, ResultUnit(m_operation, m_valueStore.GetMeasuringUnit(keyA)), pass + 1);
    produced = true;
  }
  return produced;
}
