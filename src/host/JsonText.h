#pragma once
// Writing JSON text without a JSON library in the caller: the library's modules render their
// JSON output through here, so every text is escaped the same way. Text that is not valid
// UTF-8 is written with U+FFFD in place of the bad bytes, as in every JSON output of the
// program.

#include <string>

namespace JsonText {

// `text` as a JSON string, quotes included: "Run-up \"2nd\" gear" for Run-up "2nd" gear.
std::string Quoted(const std::string& text);

}  // namespace JsonText
