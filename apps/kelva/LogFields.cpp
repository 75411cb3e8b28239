#include "LogFields.h"

#include <cmath>
#include <limits>

namespace {

const nlohmann::json kNull;

}  // namespace

bool CLogFields::Fail(const std::string& field, const std::string& what) {
  if (ok_) error_ = where_ + ": " + field + ": " + what;
  ok_ = false;
  return false;
}

int64_t CLogFields::IntegerOf(const nlohmann::json& value, const std::string& field, int64_t min,
                              int64_t max) {
  if (!ok_) return 0;
  const std::string range = "an integer from " + std::to_string(min) + " to " + std::to_string(max);
  if (value.is_number_unsigned()) {
    const uint64_t v = value.get<uint64_t>();
    if (v <= static_cast<uint64_t>(max) && static_cast<int64_t>(v) >= min)
      return static_cast<int64_t>(v);
  } else if (value.is_number_integer()) {
    const int64_t v = value.get<int64_t>();
    if (v >= min && v <= max) return v;
  }
  Fail(field, "expected " + range);
  return 0;
}

int64_t CLogFields::Integer(const char* name, int64_t min, int64_t max) {
  return IntegerOf(line_.contains(name) ? line_[name] : kNull, name, min, max);
}

uint64_t CLogFields::Unsigned(const char* name) {
  if (!ok_) return 0;
  if (line_.contains(name) && line_[name].is_number_unsigned()) return line_[name].get<uint64_t>();
  if (line_.contains(name) && line_[name].is_number_integer() && line_[name].get<int64_t>() >= 0)
    return static_cast<uint64_t>(line_[name].get<int64_t>());
  Fail(name, "expected an integer of 0 or more");
  return 0;
}

bool CLogFields::Boolean(const char* name, bool byDefault) {
  if (!ok_ || !line_.contains(name)) return byDefault;
  if (line_[name].is_boolean()) return line_[name].get<bool>();
  Fail(name, "expected true or false");
  return byDefault;
}

std::string CLogFields::Text(const char* name, bool mayBeEmpty) {
  if (!ok_) return {};
  if (line_.contains(name) && line_[name].is_string()) {
    std::string text = line_[name].get<std::string>();
    if (mayBeEmpty || !text.empty()) return text;
  }
  Fail(name, mayBeEmpty ? "expected a text" : "expected a text that is not empty");
  return {};
}

float CLogFields::FloatOf(const nlohmann::json& value, const std::string& field) {
  if (!ok_) return 0.0f;
  if (value.is_number()) {
    const double v = value.get<double>();
    if (std::fabs(v) <= std::numeric_limits<float>::max()) return static_cast<float>(v);
  } else if (value.is_string()) {
    const std::string text = value.get<std::string>();
    if (text == "nan") return std::numeric_limits<float>::quiet_NaN();
    if (text == "inf") return std::numeric_limits<float>::infinity();
    if (text == "-inf") return -std::numeric_limits<float>::infinity();
  }
  Fail(field, "expected a number of float range, or \"nan\", \"inf\", \"-inf\"");
  return 0.0f;
}

float CLogFields::Float(const char* name) {
  return FloatOf(line_.contains(name) ? line_[name] : kNull, name);
}

const nlohmann::json& CLogFields::Array(const char* name, size_t minSize, size_t maxSize) {
  if (!ok_) return kNull;
  if (line_.contains(name) && line_[name].is_array() && line_[name].size() >= minSize &&
      line_[name].size() <= maxSize)
    return line_[name];
  Fail(name, minSize == maxSize ? "expected an array of " + std::to_string(minSize)
                                : "expected an array of " + std::to_string(minSize) + " to " +
                                      std::to_string(maxSize) + " entries");
  return kNull;
}

SClavis CLogFields::Key(const char* name) {
  const nlohmann::json& key = Array(name, 6, 6);
  SClavis clavis;
  if (!ok_) return clavis;
  int32_t* fields[] = {&clavis.mode,     &clavis.instrument, &clavis.channel,
                       &clavis.location, &clavis.parameter,  &clavis.sensor};
  for (size_t i = 0; i < 6; ++i)
    *fields[i] = static_cast<int32_t>(
        IntegerOf(key[i], std::string(name) + "[" + std::to_string(i) + "]", INT32_MIN, INT32_MAX));
  return clavis;
}

CMeasuringUnit CLogFields::UnitOf(const nlohmann::json& value, const std::string& field) {
  if (!ok_) return {};
  if (!value.is_array() || value.size() != 4) {
    Fail(field, "expected [common unit, exponent, factor, flags]");
    return {};
  }
  const auto common = IntegerOf(value[0], field + "[0]", 0, CMeasuringUnit::cuLastCommonUnit);
  const auto exponent = IntegerOf(value[1], field + "[1]", INT32_MIN, INT32_MAX);
  const float factor = FloatOf(value[2], field + "[2]");
  const auto flags = IntegerOf(value[3], field + "[3]", 0, CMeasuringUnit::flagsKnown);
  if (ok_ && !(std::isfinite(factor) && factor > 0.0f))
    Fail(field + "[2]", "expected a finite factor above 0");
  return CMeasuringUnit(static_cast<int32_t>(common), static_cast<int32_t>(exponent), factor,
                        static_cast<uint32_t>(flags));
}

CMeasuringUnit CLogFields::Unit(const char* name) {
  return UnitOf(line_.contains(name) ? line_[name] : kNull, name);
}
