#include "frame/IdentifierTablesDescriber.h"

#include "host/JsonText.h"

namespace IdentifierTablesDescriber {

namespace {

// The four name tables in index order: the word of one row and the JSON member of the table.
struct NameTable {
  CDovetarTranslator::table_index_t index;
  const char* row;
  const char* member;
};
const NameTable kNameTables[] = {{CDovetarTranslator::tiMode, "mode", "modes"},
                                 {CDovetarTranslator::tiInstrument, "instrument", "instruments"},
                                 {CDovetarTranslator::tiChannel, "channel", "channels"},
                                 {CDovetarTranslator::tiLocation, "location", "locations"}};

std::string Count(size_t n, const std::string& one) {
  return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

}  // namespace

std::string Text(const CDovetarTranslator& tables) {
  std::string head = "identifier tables: ";
  std::string rows;
  for (const NameTable& table : kNameTables) {
    const auto& names = tables.NameTable(table.index).Table();
    head += Count(names.size(), table.row) + ", ";
    for (const auto& [id, name] : names)
      rows +=
          std::string("  ") + table.row + " " + std::to_string(id.id()) + ": " + name.name + "\n";
  }
  const auto& parameters = tables.InstrumentParamTable().Table();
  head += Count(parameters.size(), "instrument parameter") + "\n";
  for (const auto& [id, parameter] : parameters)
    rows += "  parameter " + std::to_string(id.id()) + " (instrument " +
            std::to_string(parameter.instrument) + "): " + parameter.name + "\n";
  return head + rows;
}

std::string JsonMember(const CDovetarTranslator& tables) {
  std::string json = "\"identifierTables\":{";
  for (const NameTable& table : kNameTables) {
    json += JsonText::Quoted(table.member) + ":[";
    bool first = true;
    for (const auto& [id, name] : tables.NameTable(table.index).Table()) {
      json += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(id.id()) +
              ",\"name\":" + JsonText::Quoted(name.name) + "}";
      first = false;
    }
    json += "],";
  }
  json += "\"instrumentParameters\":[";
  bool first = true;
  for (const auto& [id, parameter] : tables.InstrumentParamTable().Table()) {
    json += std::string(first ? "" : ",") + "{\"id\":" + std::to_string(id.id()) +
            ",\"instrument\":" + std::to_string(parameter.instrument) +
            ",\"name\":" + JsonText::Quoted(parameter.name) + "}";
    first = false;
  }
  return json + "]}";
}

}  // namespace IdentifierTablesDescriber
