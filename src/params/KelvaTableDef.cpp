#include "params/KelvaTableDef.h"

#include <charconv>
#include <climits>
#include <stdexcept>

#include "host/Output.h"

namespace KelvaTableDef {
namespace {

// Parses with `convert` (a std::sto* call returning the value and the characters used); on
// success stores the value and removes the characters from the text.
template <typename Field, typename Convert>
bool Read(std::string& text, Field& field, Convert convert) {
  if (text.empty()) return true;
  try {
    size_t used = 0;
    const Field value = convert(text, &used);
    field = value;
    text.erase(0, used);
    return true;
  } catch (const std::exception& error) {
    PrWin::Output(PrWin::catWarning,
                  "Error converting parameter sea to parameter tables: '%s' for substring '%s'\n",
                  error.what(), text.c_str());
    return false;
  }
}

}  // namespace

bool ReadField(std::string& text, int& field) {
  return Read(text, field,
              [](const std::string& t, size_t* used) { return std::stoi(t, used, 10); });
}

bool ReadField(std::string& text, unsigned int& field) {
  return Read(text, field, [](const std::string& t, size_t* used) {
    const unsigned long value = std::stoul(t, used, 10);
    if (value > UINT_MAX) throw std::out_of_range("stoul");
    return static_cast<unsigned int>(value);
  });
}

bool ReadField(std::string& text, long& field) {
  return Read(text, field, [](const std::string& t, size_t* used) {
    return static_cast<long>(std::stoll(t, used, 10));
  });
}

bool ReadField(std::string& text, long long& field) {
  return Read(text, field,
              [](const std::string& t, size_t* used) { return std::stoll(t, used, 10); });
}

bool ReadField(std::string& text, float& field) {
  return Read(text, field, [](const std::string& t, size_t* used) { return std::stof(t, used); });
}

std::string FieldText(long long value) {
  return std::to_string(value);
}

std::string FieldText(unsigned long long value) {
  return std::to_string(value);
}

std::string FieldText(float value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

std::string FieldText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

}  // namespace KelvaTableDef
