#pragma once
// Text forms of parameter records. A record is an ordered tuple of fields; reading consumes a
// text from its start, one field after the other, and writing puts the fields back as text
// separated by blanks.
//
// Field kinds: int (std::stoi rules), unsigned int (std::stoul rules, within 32 bits), 64-bit
// integer (std::stoll rules) and float (std::stof rules), all base 10.

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>

namespace KelvaTableDef {

// Reads one field from the start of `text` and removes the characters used. An empty text
// leaves the field unchanged and succeeds. A failed conversion outputs (category 8)
// "Error converting parameter sea to parameter tables: '<error>' for substring '<text>'\n"
// and returns false with text and field unchanged.
bool ReadField(std::string& text, int& field);
bool ReadField(std::string& text, unsigned int& field);
bool ReadField(std::string& text, long& field);
bool ReadField(std::string& text, long long& field);
bool ReadField(std::string& text, float& field);

// Reads the fields in order; stops at the first failing field (earlier fields keep what they
// read). True when every field succeeded.
template <typename... T>
bool ReadTuple(std::string& text, const std::tuple<T&...>& fields) {
  return std::apply([&text](auto&... field) { return (ReadField(text, field) && ...); }, fields);
}

// One field as text: integers in decimal, floats in their shortest exact form.
std::string FieldText(long long value);
std::string FieldText(unsigned long long value);
std::string FieldText(float value);
std::string FieldText(double value);

template <typename T>
std::string AnyFieldText(const T& value) {
  if constexpr (std::is_enum_v<T>) {
    return AnyFieldText(static_cast<std::underlying_type_t<T>>(value));
  } else if constexpr (std::is_floating_point_v<T>) {
    return FieldText(value);
  } else if constexpr (std::is_signed_v<T>) {
    return FieldText(static_cast<long long>(value));
  } else {
    return FieldText(static_cast<unsigned long long>(value));
  }
}

// The fields of a tuple as text, separated by blanks ("12 3.5 7").
template <typename... T>
std::string WriteTuple(const std::tuple<T&...>& fields) {
  std::string text;
  std::apply(
      [&text](const auto&... field) {
        ((text += (text.empty() ? "" : " ") + AnyFieldText(field)), ...);
      },
      fields);
  return text;
}

template <typename R>
concept HasTuple = requires(const R& record) {
  record.tuple();
};

// The diagnostic text of a record: its tuple's fields, or the number itself for a plain
// number; records without a text form show "-".
template <typename R>
std::string RecordText(const R& record) {
  if constexpr (HasTuple<R>) {
    return WriteTuple(record.tuple());
  } else if constexpr (std::is_arithmetic_v<R> || std::is_enum_v<R>) {
    return AnyFieldText(record);
  } else {
    return "-";
  }
}

}  // namespace KelvaTableDef
