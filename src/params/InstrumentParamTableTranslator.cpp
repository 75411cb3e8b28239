#include "params/InstrumentParamTableTranslator.h"

#include "host/Output.h"
#include "params/Utf16Name.h"

bool CInstrumentParamTableTranslator::WriteSourceRows(CFile& file) const {
  for (const auto& [id, parameter] : params_.InstrumentParam()) {
    if (!WriteLE(file, id.id()) || !WriteLE(file, parameter.instrument) ||
        !Utf16Name::Write(file, parameter.name))
      return false;
  }
  return true;
}

bool CInstrumentParamTableTranslator::ReadRowAfterId(CFile& file, int32_t id, std::string& why) {
  QVInstrumentParam parameter;
  if (!ReadLE(file, parameter.instrument)) {
    why = "its instrument number is cut short";
    return false;
  }
  if (!Utf16Name::Read(file, parameter.name, why)) return false;
  table_.insert_or_assign(QIdx1(id), std::move(parameter));
  return true;
}

void CInstrumentParamTableTranslator::Dump() const {
  DumpBegin();
  for (const auto& [id, parameter] : table_) {
    PrWin::Output("id: " + std::to_string(id.id()) + ", Instrument: " +
                      std::to_string(parameter.instrument) + ", Name: " + parameter.name + "\n",
                  PrWin::catDebug, 0);
  }
  DumpEnd();
}
