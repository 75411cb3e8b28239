#include "params/DovetarIdNameTableTranslator.h"

#include "host/Output.h"
#include "params/Utf16Name.h"

bool CDovetarIdNameTableTranslator::WriteSourceRows(CFile& file) const {
  for (const auto& [id, name] : Source()) {
    if (!WriteLE(file, id.id()) || !Utf16Name::Write(file, name.name)) return false;
  }
  return true;
}

bool CDovetarIdNameTableTranslator::ReadRowAfterId(CFile& file, int32_t id, std::string& why) {
  QIdxName name;
  if (!Utf16Name::Read(file, name.name, why)) return false;
  table_.insert_or_assign(QIdx1(id), std::move(name));
  return true;
}

void CDovetarIdNameTableTranslator::Dump() const {
  DumpBegin();
  for (const auto& [id, name] : table_) {
    PrWin::Output("id: " + std::to_string(id.id()) + ", Name: " + name.name + "\n", PrWin::catDebug,
                  0);
  }
  DumpEnd();
}
