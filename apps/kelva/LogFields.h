#pragma once
// Reading the fields of one line of a measurement log, each checked for its type and range.
// The first field that does not fit sets the error "<file>:<line>: <field>: expected <what>"
// and every later read of the same line fails too, so a caller reads all fields and checks
// once. Nothing is allocated unless a field is refused.
//
// The line's members are sorted into a table of the fields the log knows in one pass when the
// reader is made, so each read below is one lookup; members the log does not know are ignored,
// and of a member given twice the last one counts.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "JsonLine.h"
#include "host/MeasuringResult.h"

// The fields of a log line, in the order of their names.
enum class LogField : uint8_t {
  channels,
  cycleMs,
  event,
  expiry,
  injected,
  input,
  key,
  log,
  measured,
  mode,
  platform,
  result,
  samples,
  serial,
  setPoints,
  slice,
  synch,
  tick,
  time,
  trigger,
  type,
  unit,
  version,
  x,
  y,
  count
};

class CLogFields {
 public:
  using Node = CJsonLine::Node;

  CLogFields(const CJsonLine& json, const std::string& file, uint64_t line, std::string& error);

  // The name of a field as it stands in the log.
  static std::string_view Name(LogField field);

  bool Ok() const { return ok_; }
  const CJsonLine& Json() const { return json_; }
  // The member `field` of the line, or null.
  const Node* Get(LogField field) const { return members_[static_cast<size_t>(field)]; }
  bool Has(LogField field) const { return Get(field) != nullptr; }
  // Sets the error for `field` (index >= 0: "field[index]"), the first one only; false.
  bool Fail(std::string_view field, const std::string& what, int index = -1);
  bool Fail(LogField field, const std::string& what) { return Fail(Name(field), what); }

  int64_t Integer(LogField field, int64_t min, int64_t max);
  uint64_t Unsigned(LogField field);
  bool Boolean(LogField field, bool byDefault);
  std::string_view Text(LogField field, bool mayBeEmpty);
  // A number, or one of the texts "nan", "inf", "-inf".
  float Float(LogField field);
  SClavis Key(LogField field);
  CMeasuringUnit Unit(LogField field);
  // The array `field` with minSize to maxSize entries, or null (and the error set).
  const Node* Array(LogField field, size_t minSize, size_t maxSize);

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
  std::array<const Node*, static_cast<size_t>(LogField::count)> members_{};
};
