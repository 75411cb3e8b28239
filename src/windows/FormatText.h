#pragma once
// printf formatting into a std::string, for the texts the windows compose from printf formats.

#include <cstdarg>
#include <cstdio>
#include <string>

namespace Kelva {

inline std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline std::string FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (needed > 0) {
    text.resize(static_cast<size_t>(needed));
    std::vsnprintf(text.data(), text.size() + 1, format, args);
  }
  va_end(args);
  return text;
}

}  // namespace Kelva
