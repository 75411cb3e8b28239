#pragma once
// The identifier tables a learn file was written with (CDovetarTranslator's own tables after a
// read), described for a person or a program. They hold the names that were valid when the
// learned data was saved, so they come from the file itself, never from the installed plan.

#include <string>

#include "params/DovetarTranslator.h"

namespace IdentifierTablesDescriber {

// "identifier tables: 7 modes, 11 instruments, 4 channels, 3 locations, 20 instrument
// parameters\n", then one line per row in table order and id order: "  mode 1: <name>\n",
// "  instrument 1: ...", "  channel ...", "  location ...", "  parameter 100 (instrument 1):
// <name>\n".
std::string Text(const CDovetarTranslator& tables);

// `"identifierTables":{"modes":[{"id":1,"name":"..."}],"instruments":[...],"channels":[...],
// "locations":[...],"instrumentParameters":[{"id":100,"instrument":1,"name":"..."}]}`.
std::string JsonMember(const CDovetarTranslator& tables);

}  // namespace IdentifierTablesDescriber
