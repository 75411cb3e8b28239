#pragma once
// Reading JSON input that names its places. Test plans and their simulation section are read
// through here, so every refusal says where in the file it is (a JSON pointer such as
// "/quantities/3/key") and what was expected there, and the JSON parser's own exceptions
// never leave this file.
//
// ParseJson refuses, besides text that is not JSON: a number beyond the range of a double
// (1e999) and an object that gives one field name twice (the parser would keep the last value
// silently). JsonNode reads one value with its pointer and throws JsonRefusal when the value is
// not what the caller asks for; readers catch JsonRefusal once, at the top.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Where a JSON input is refused and what was expected there. `at` is a JSON pointer ("/" for
// the whole document).
struct JsonRefusal {
  std::string at;
  std::string expected;
};

// Parses `text` into `document`. False with `refusal` set when the text is not one JSON
// document, holds a number beyond the range of a double, or repeats a field name inside one
// object; `document` is then unspecified.
bool ParseJson(const std::string& text, nlohmann::json& document, JsonRefusal& refusal);

// "null", "a boolean", "an integer", "a number with a fraction", "a text", "an array",
// "an object".
const char* JsonTypeName(const nlohmann::json& value);

// A value of a JSON document with its pointer. Holds a reference into the document, which
// must outlive the node. Every reader throws JsonRefusal naming this node's place.
class JsonNode {
 public:
  JsonNode(const nlohmann::json& value, std::string path) : value_(value), path_(std::move(path)) {}

  const std::string& Path() const { return path_; }
  const nlohmann::json& Value() const { return value_; }

  [[noreturn]] void Fail(const std::string& expected) const;
  // Fails with "<expected>, found <type of this value>".
  [[noreturn]] void FailFound(const std::string& expected) const;

  // REQUIRES: an object whose fields are all among `known` ("comment" is always allowed).
  void ExpectObject(std::initializer_list<const char*> known) const;
  bool Has(const char* field) const;
  // A required field; fails at this node when it is missing.
  JsonNode Field(const char* field) const;
  // The elements of an array, each with its index in the pointer.
  std::vector<JsonNode> Items() const;

  // A JSON integer of 32 bits (1.0 and "1" are refused).
  int32_t Int() const;
  // A JSON integer from `low` to `high`; otherwise fails with `expected`.
  int64_t IntIn(int64_t low, int64_t high, const std::string& expected) const;
  // A number (integer or with a fraction); always finite, ParseJson refuses anything else.
  double Number() const;
  // A number within the range of a float (its magnitude at most FLT_MAX), kept as a double.
  double FloatRangeNumber() const;
  // A number within the range of a float, as a float.
  float Float() const;
  bool Bool() const;
  std::string Text() const;

  // Optional fields: `fallback` when the field is absent, else read as above.
  int32_t Int(const char* field, int32_t fallback) const;
  float Float(const char* field, float fallback) const;
  bool Bool(const char* field, bool fallback) const;
  std::string Text(const char* field, const std::string& fallback) const;

 private:
  const nlohmann::json& value_;
  std::string path_;
};

// Remembers where each id or key was first given, to refuse a second one with the place of
// the first.
template <typename Key>
class JsonUnique {
 public:
  explicit JsonUnique(const char* what) : what_(what) {}
  void Add(const Key& key, const JsonNode& at) {
    auto [it, inserted] = seen_.emplace(key, at.Path());
    if (!inserted)
      at.Fail(std::string(what_) + " not given before (the same one is at " + it->second + ")");
  }

 private:
  const char* what_;
  std::map<Key, std::string> seen_;
};
