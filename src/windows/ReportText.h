#pragma once
// printf formatting into a std::string, for the report's header and body lines.

#include <string>

namespace ReportText {

// The formatted text; "" when the format cannot be formatted.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ReportText
