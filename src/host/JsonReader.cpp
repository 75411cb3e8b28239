#include "host/JsonReader.h"

#include <cfloat>
#include <cmath>
#include <set>

namespace {

using json = nlohmann::json;

// Follows the parser through the document so that a refusal during parsing can name its place,
// and refuses a field name given twice in one object.
class PlaceTracker {
 public:
  bool OnEvent(json::parse_event_t event, const json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        frames_.push_back(Frame{event == json::parse_event_t::array_start, ChildPath(), {}, {}});
        break;
      case json::parse_event_t::key:
        NameField(parsed.get<std::string>());
        break;
      case json::parse_event_t::value:
        ChildDone();
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        ChildDone();
        break;
    }
    return true;
  }

  // The place the parser is at: the value being read, else the innermost open container.
  std::string Current() const {
    if (frames_.empty()) return "/";
    const Frame& top = frames_.back();
    if (top.isArray || top.pendingField) return ChildPath();
    return top.path.empty() ? "/" : top.path;
  }

 private:
  struct Frame {
    bool isArray = false;
    std::string path;
    std::set<std::string> names;  // the field names given so far (objects)
    std::string field;            // the field whose value comes next (objects)
    bool pendingField = false;
    size_t index = 0;  // the index of the next element (arrays)
  };

  std::string ChildPath() const {
    if (frames_.empty()) return "";
    const Frame& top = frames_.back();
    return top.path + "/" + (top.isArray ? std::to_string(top.index) : top.field);
  }

  void NameField(const std::string& name) {
    Frame& top = frames_.back();
    top.field = name;
    top.pendingField = true;
    if (!top.names.insert(name).second)
      throw JsonRefusal{ChildPath(), "a field name not given before in this object (\"" + name +
                                         "\" is given twice)"};
  }

  void ChildDone() {
    if (frames_.empty()) return;
    Frame& top = frames_.back();
    if (top.isArray)
      ++top.index;
    else
      top.pendingField = false;
  }

  std::vector<Frame> frames_;
};

// The parser's description quotes what it last read, which may be any bytes: those outside
// printable ASCII are written as <XX>, so the message is always clean text.
std::string Printable(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else {
      out += '<';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0f];
      out += '>';
    }
  }
  return out;
}

}  // namespace

bool ParseJson(const std::string& text, json& document, JsonRefusal& refusal) {
  PlaceTracker places;
  try {
    document = json::parse(text, [&places](int /*depth*/, json::parse_event_t event, json& parsed) {
      return places.OnEvent(event, parsed);
    });
    return true;
  } catch (const JsonRefusal& repeated) {
    refusal = repeated;
  } catch (const json::parse_error& e) {
    refusal = {places.Current(),
               "valid JSON (byte " + std::to_string(e.byte) + ": " + Printable(e.what()) + ")"};
  } catch (const json::out_of_range&) {
    // The parser's one range error: a number that overflows a double (1e999).
    refusal = {places.Current(), "a number within the range of a double"};
  } catch (const json::exception& e) {
    refusal = {places.Current(), "valid JSON (" + Printable(e.what()) + ")"};
  }
  return false;
}

const char* JsonTypeName(const json& value) {
  switch (value.type()) {
    case json::value_t::null:
      return "null";
    case json::value_t::boolean:
      return "a boolean";
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
      return "an integer";
    case json::value_t::number_float:
      return "a number with a fraction";
    case json::value_t::string:
      return "a text";
    case json::value_t::array:
      return "an array";
    case json::value_t::object:
      return "an object";
    default:
      return "something else";
  }
}

void JsonNode::Fail(const std::string& expected) const {
  throw JsonRefusal{path_.empty() ? "/" : path_, expected};
}

void JsonNode::FailFound(const std::string& expected) const {
  Fail(expected + ", found " + JsonTypeName(value_));
}

void JsonNode::ExpectObject(std::initializer_list<const char*> known) const {
  if (!value_.is_object()) FailFound("an object");
  for (const auto& item : value_.items()) {
    if (item.key() == "comment") continue;
    bool found = false;
    for (const char* name : known) found = found || item.key() == name;
    if (!found)
      JsonNode(item.value(), path_ + "/" + item.key())
          .Fail("a known field (see docs/test-plan.md), not \"" + item.key() + "\"");
  }
}

bool JsonNode::Has(const char* field) const {
  return value_.is_object() && value_.contains(field);
}

JsonNode JsonNode::Field(const char* field) const {
  if (!value_.is_object()) FailFound("an object");
  if (!value_.contains(field)) Fail(std::string("the field \"") + field + "\"");
  return JsonNode(value_.at(field), path_ + "/" + field);
}

std::vector<JsonNode> JsonNode::Items() const {
  if (!value_.is_array()) FailFound("an array");
  std::vector<JsonNode> items;
  for (size_t i = 0; i < value_.size(); ++i)
    items.emplace_back(value_[i], path_ + "/" + std::to_string(i));
  return items;
}

int32_t JsonNode::Int() const {
  return static_cast<int32_t>(IntIn(INT32_MIN, INT32_MAX, "an integer of 32 bits"));
}

int64_t JsonNode::IntIn(int64_t low, int64_t high, const std::string& expected) const {
  if (!value_.is_number_integer()) FailFound("an integer");
  // An unsigned value above INT64_MAX is above every bound a caller can give.
  if (value_.is_number_unsigned() && value_.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX))
    Fail(expected);
  const auto value = value_.get<int64_t>();
  if (value < low || value > high) Fail(expected);
  return value;
}

double JsonNode::Number() const {
  if (!value_.is_number()) FailFound("a number");
  return value_.get<double>();
}

double JsonNode::FloatRangeNumber() const {
  const double value = Number();
  if (!(std::fabs(value) <= static_cast<double>(FLT_MAX)))
    Fail("a number within the range of a float");
  return value;
}

float JsonNode::Float() const {
  return static_cast<float>(FloatRangeNumber());
}

bool JsonNode::Bool() const {
  if (!value_.is_boolean()) FailFound("true or false");
  return value_.get<bool>();
}

std::string JsonNode::Text() const {
  if (!value_.is_string()) FailFound("a text");
  return value_.get<std::string>();
}

int32_t JsonNode::Int(const char* field, int32_t fallback) const {
  return Has(field) ? Field(field).Int() : fallback;
}

float JsonNode::Float(const char* field, float fallback) const {
  return Has(field) ? Field(field).Float() : fallback;
}

bool JsonNode::Bool(const char* field, bool fallback) const {
  return Has(field) ? Field(field).Bool() : fallback;
}

std::string JsonNode::Text(const char* field, const std::string& fallback) const {
  return Has(field) ? Field(field).Text() : fallback;
}
