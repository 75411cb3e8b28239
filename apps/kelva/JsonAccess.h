#pragma once
// Reading members of JSON read from a file without trusting it: a member that is missing or of
// another type is a neutral value (NaN, -1, "", an empty array), never an exception.

#include <cmath>
#include <string>

#include <nlohmann/json.hpp>

namespace JsonAccess {

inline const nlohmann::json& Member(const nlohmann::json& object, const char* name) {
  static const nlohmann::json kNull;
  if (!object.is_object()) return kNull;
  const auto it = object.find(name);
  return it == object.end() ? kNull : *it;
}

inline double Number(const nlohmann::json& value) {
  return value.is_number() ? value.get<double>() : std::nan("");
}
inline double Number(const nlohmann::json& object, const char* name) {
  return Number(Member(object, name));
}

inline int Int(const nlohmann::json& object, const char* name, int fallback = -1) {
  const nlohmann::json& value = Member(object, name);
  return value.is_number_integer() ? value.get<int>() : fallback;
}

inline std::string Text(const nlohmann::json& object, const char* name) {
  const nlohmann::json& value = Member(object, name);
  return value.is_string() ? value.get<std::string>() : std::string();
}

inline const nlohmann::json& Array(const nlohmann::json& object, const char* name) {
  static const nlohmann::json kEmpty = nlohmann::json::array();
  const nlohmann::json& value = Member(object, name);
  return value.is_array() ? value : kEmpty;
}

}  // namespace JsonAccess
