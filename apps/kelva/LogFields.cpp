#include "LogFields.h"

#include <cmath>
#include <limits>

namespace {

constexpr size_t kFieldCount = static_cast<size_t>(LogField::count);

// The names of the fields, in the order of `LogField` (sorted, so that the names with the same
// first letter stand together).
constexpr std::array<std::string_view, kFieldCount> kNames = {
    "channels",  "cycleMs",  "event", "expiry",   "injected", "input",   "key",
    "log",       "measured", "mode",  "platform", "result",   "samples", "serial",
    "setPoints", "slice",    "synch", "tick",     "time",     "trigger", "type",
    "unit",      "version",  "x",     "y"};

// For each first letter, the index of the first name that starts with it (kFieldCount: none).
constexpr std::array<uint8_t, 128> FirstOfLetter() {
  std::array<uint8_t, 128> first{};
  for (auto& index : first) index = kFieldCount;
  for (size_t i = kFieldCount; i-- > 0;)
    first[static_cast<uint8_t>(kNames[i][0])] = static_cast<uint8_t>(i);
  return first;
}
constexpr std::array<uint8_t, 128> kFirstOfLetter = FirstOfLetter();

// The field named `name`, or kFieldCount when the log knows no such field.
size_t FieldNamed(std::string_view name) {
  if (name.empty() || static_cast<unsigned char>(name[0]) >= 128) return kFieldCount;
  for (size_t i = kFirstOfLetter[static_cast<uint8_t>(name[0])];
       i < kFieldCount && kNames[i][0] == name[0]; ++i)
    if (kNames[i] == name) return i;
  return kFieldCount;
}

}  // namespace

CLogFields::CLogFields(const CJsonLine& json, const std::string& file, uint64_t line,
                       std::string& error)
    : json_(json), file_(file), line_(line), error_(error) {
  const Node& root = json.Root();
  uint32_t at = root.first;
  for (uint32_t n = 0; n < root.count; ++n, at = json.At(at).next) {
    const size_t field = FieldNamed(json.At(at).name);
    if (field < kFieldCount) members_[field] = &json.At(at);
  }
}

std::string_view CLogFields::Name(LogField field) {
  return kNames[static_cast<size_t>(field)];
}

bool CLogFields::Fail(std::string_view field, const std::string& what, int index) {
  if (ok_) {
    error_ = file_ + ":" + std::to_string(line_) + ": " + std::string(field);
    if (index >= 0) error_ += "[" + std::to_string(index) + "]";
    error_ += ": " + what;
  }
  ok_ = false;
  return false;
}

int64_t CLogFields::IntegerOf(const Node* value, std::string_view field, int index, int64_t min,
                              int64_t max) {
  if (!ok_) return 0;
  int64_t v = 0;
  if (value != nullptr && CJsonLine::ToInt64(*value, v) && v >= min && v <= max) return v;
  Fail(field, "expected an integer from " + std::to_string(min) + " to " + std::to_string(max),
       index);
  return 0;
}

int64_t CLogFields::Integer(LogField field, int64_t min, int64_t max) {
  return IntegerOf(Get(field), Name(field), -1, min, max);
}

uint64_t CLogFields::Unsigned(LogField field) {
  if (!ok_) return 0;
  uint64_t value = 0;
  const Node* node = Get(field);
  if (node != nullptr && CJsonLine::ToUint64(*node, value)) return value;
  Fail(field, "expected an integer of 0 or more");
  return 0;
}

bool CLogFields::Boolean(LogField field, bool byDefault) {
  const Node* node = Get(field);
  if (!ok_ || node == nullptr) return byDefault;
  if (node->type == CJsonLine::tBool) return node->boolean;
  Fail(field, "expected true or false");
  return byDefault;
}

std::string_view CLogFields::Text(LogField field, bool mayBeEmpty) {
  if (!ok_) return {};
  const Node* node = Get(field);
  if (node != nullptr && node->type == CJsonLine::tString && (mayBeEmpty || !node->text.empty()))
    return node->text;
  Fail(field, mayBeEmpty ? "expected a text" : "expected a text that is not empty");
  return {};
}

float CLogFields::FloatOf(const Node* value, std::string_view field, int index) {
  if (!ok_) return 0.0f;
  double v = 0.0;
  if (value != nullptr && CJsonLine::ToDouble(*value, v) &&
      std::fabs(v) <= std::numeric_limits<float>::max())
    return static_cast<float>(v);
  if (value != nullptr && value->type == CJsonLine::tString) {
    if (value->text == "nan") return std::numeric_limits<float>::quiet_NaN();
    if (value->text == "inf") return std::numeric_limits<float>::infinity();
    if (value->text == "-inf") return -std::numeric_limits<float>::infinity();
  }
  Fail(field, "expected a number of float range, or \"nan\", \"inf\", \"-inf\"", index);
  return 0.0f;
}

float CLogFields::Float(LogField field) {
  return FloatOf(Get(field), Name(field), -1);
}

const CLogFields::Node* CLogFields::Array(LogField field, size_t minSize, size_t maxSize) {
  if (!ok_) return nullptr;
  const Node* node = Get(field);
  if (node != nullptr && node->type == CJsonLine::tArray && node->count >= minSize &&
      node->count <= maxSize)
    return node;
  Fail(field, minSize == maxSize ? "expected an array of " + std::to_string(minSize)
                                 : "expected an array of " + std::to_string(minSize) + " to " +
                                       std::to_string(maxSize) + " entries");
  return nullptr;
}

SClavis CLogFields::Key(LogField field) {
  SClavis clavis;
  const Node* key = Array(field, 6, 6);
  if (key == nullptr) return clavis;
  int32_t* fields[] = {&clavis.mode,     &clavis.instrument, &clavis.channel,
                       &clavis.location, &clavis.parameter,  &clavis.sensor};
  uint32_t at = key->first;
  for (int i = 0; i < 6; ++i, at = json_.At(at).next)
    *fields[i] =
        static_cast<int32_t>(IntegerOf(&json_.At(at), Name(field), i, INT32_MIN, INT32_MAX));
  return clavis;
}

CMeasuringUnit CLogFields::UnitOf(const Node* value, std::string_view field) {
  if (!ok_) return {};
  if (value == nullptr || value->type != CJsonLine::tArray || value->count != 4) {
    Fail(field, "expected [common unit, exponent, factor, flags]");
    return {};
  }
  const Node* parts[4];
  uint32_t at = value->first;
  for (int i = 0; i < 4; ++i, at = json_.At(at).next) parts[i] = &json_.At(at);
  const auto common = IntegerOf(parts[0], field, 0, 0, CMeasuringUnit::cuLastCommonUnit);
  const auto exponent = IntegerOf(parts[1], field, 1, INT32_MIN, INT32_MAX);
  const float factor = FloatOf(parts[2], field, 2);
  const auto flags = IntegerOf(parts[3], field, 3, 0, CMeasuringUnit::flagsKnown);
  if (ok_ && !(std::isfinite(factor) && factor > 0.0f))
    Fail(field, "expected a finite factor above 0", 2);
  return CMeasuringUnit(static_cast<int32_t>(common), static_cast<int32_t>(exponent), factor,
                        static_cast<uint32_t>(flags));
}

CMeasuringUnit CLogFields::Unit(LogField field) {
  return UnitOf(Get(field), Name(field));
}
