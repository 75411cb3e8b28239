#pragma once
// Reading the fields of one line of a measurement log, each checked for its type and range.
// The first field that does not fit sets the error "<file>:<line>: <field>: expected <what>"
// and every later read of the same line fails too, so a caller reads all fields and checks
// once. Nothing is allocated unless a field is refused.

#include <cstdint>
#include <string>
#include <string_view>

#include "JsonLine.h"
#include "host/MeasuringResult.h"

class CLogFields {
 public:
  using Node = CJsonLine::Node;

  CLogFields(const CJsonLine& json, const std::string& file, uint64_t line, std::string& error)
      : json_(json), file_(file), line_(line), error_(error) {}

  bool Ok() const { return ok_; }
  const CJsonLine& Json() const { return json_; }
  // The member `name` of the line, or null.
  const Node* Get(std::string_view name) const { return json_.Member(json_.Root(), name); }
  bool Has(std::string_view name) const { return Get(name) != nullptr; }
  // Sets the error for `field` (index >= 0: "field[index]"), the first one only; false.
  bool Fail(std::string_view field, const std::string& what, int index = -1);

  int64_t Integer(std::string_view name, int64_t min, int64_t max);
  uint64_t Unsigned(std::string_view name);
  bool Boolean(std::string_view name, bool byDefault);
  std::string_view Text(std::string_view name, bool mayBeEmpty);
  // A number, or one of the texts "nan", "inf", "-inf".
  float Float(std::string_view name);
  SClavis Key(std::string_view name);
  CMeasuringUnit Unit(std::string_view name);
  // The array `name` with minSize to maxSize entries, or null (and the error set).
  const Node* Array(std::string_view name, size_t minSize, size_t maxSize);

  // Checks of values inside arrays and objects (`field` and `index` name them in an error;
  // a null value is a missing one).
  int64_t IntegerOf(const Node* value, std::string_view field, int index, int64_t min, int64_t max);
  float FloatOf(const Node* value, std::string_view field, int index);
  CMeasuringUnit UnitOf(const Node* value, std::string_view field);

 private:
  const CJsonLine& json_;
  const std::string& file_;
  uint64_t line_;
  std::string& error_;
  bool ok_ = true;
};
