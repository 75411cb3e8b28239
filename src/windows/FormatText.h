#pragma once
// printf formatting into a std::string, for the texts the windows compose from printf formats.

#include <string>

namespace Kelva {

// The formatted text; "" when the format cannot be formatted.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace Kelva
