#pragma once
// Reading the fields of one line of a measurement log, each checked for its type and range.
// The first field that does not fit sets the error "<where>: <field>: expected <what>" and
// every later read of the same line fails too, so a caller reads all fields and checks once.

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/MeasuringResult.h"

class CLogFields {
 public:
  CLogFields(const nlohmann::json& line, std::string where, std::string& error)
      : line_(line), where_(std::move(where)), error_(error) {}

  bool Ok() const { return ok_; }
  bool Has(const char* name) const { return line_.contains(name); }
  // Sets the error for `field` (the first one only) and returns false.
  bool Fail(const std::string& field, const std::string& what);

  int64_t Integer(const char* name, int64_t min, int64_t max);
  uint64_t Unsigned(const char* name);
  bool Boolean(const char* name, bool byDefault);
  std::string Text(const char* name, bool mayBeEmpty);
  // A number, or one of the texts "nan", "inf", "-inf".
  float Float(const char* name);
  SClavis Key(const char* name);
  CMeasuringUnit Unit(const char* name);
  const nlohmann::json& Array(const char* name, size_t minSize, size_t maxSize);

  // Checks of values inside arrays and objects (`field` names them in an error).
  int64_t IntegerOf(const nlohmann::json& value, const std::string& field, int64_t min,
                    int64_t max);
  float FloatOf(const nlohmann::json& value, const std::string& field);
  CMeasuringUnit UnitOf(const nlohmann::json& value, const std::string& field);

 private:
  const nlohmann::json& line_;
  std::string where_;
  std::string& error_;
  bool ok_ = true;
};
