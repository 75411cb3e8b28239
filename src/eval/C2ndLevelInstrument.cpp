#include "eval/C2ndLevelInstrument.h"

#include "host/Output.h"

void C2ndLevelInstrument::Prepare() {
  m_keySet.clear();
  for (const auto& [key, record] : m_params.IpParamAndStore())
    if (key.instrument() == m_instrument) m_keySet.insert(m_keySet.end(), key);
}

void C2ndLevelInstrument::Message(const char* text, const QClavis& key) const {
  PrWin::Output(8, 3, "%s Clavis %s\n", text, m_params.FormatClavisText(key).c_str());
}
