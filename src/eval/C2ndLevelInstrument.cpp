#include "eval/C2ndLevelInstrument.h"

#include "host/Output.h"
#include "host/ParamSet.h"

void C2ndLevelInstrument::Prepare() {
  // The tables change only with the plan: every part of a plan finds the same keys.
  const uint64_t plan = ParamDatabase::Generation();
  if (m_keySetPlan == plan) return;
  m_keySetPlan = plan;
  m_keySet.clear();
  for (const auto& [key, record] : m_params.IpParamAndStore())
    if (key.instrument() == m_instrument) m_keySet.insert(m_keySet.end(), key);
}

void C2ndLevelInstrument::Message(const char* text, const QClavis& key) const {
  PrWin::Output(8, 3, "%s Clavis %s\n", text, m_params.FormatClavisText(key).c_str());
}
