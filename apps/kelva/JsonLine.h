#pragma once
// A strict JSON parser for one line of a measurement log, made for speed: it keeps the values
// as views into the line (texts without escapes are not copied), reuses its storage from line
// to line, and allocates nothing in the steady state. It accepts exactly RFC 8259 JSON with
// an object at the top; anything else is refused.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class CJsonLine {
 public:
  enum type_t : uint8_t { tNull, tBool, tNumber, tString, tArray, tObject };

  // One value. A number keeps its text, a text its characters without quotes and escapes, an
  // array or object the index of its first child and the number of children (an object's
  // children are its members' values, each with its name).
  struct Node {
    type_t type = tNull;
    bool isInteger = false;  // a number without fraction and exponent
    bool boolean = false;
    std::string_view text;  // number, string; the member name is in `name`
    std::string_view name;  // for members of an object
    uint32_t first = 0;     // children: nodes_[first .. first + count), linked by `next`
    uint32_t count = 0;
    uint32_t next = 0;  // the next sibling (0: none; node 0 is the root)
  };

  // Parses `line` (which must outlive the parsed values). False when it is not one JSON object.
  bool Parse(std::string_view line);

  const Node& Root() const { return nodes_[0]; }
  const Node& At(uint32_t index) const { return nodes_[index]; }
  // The member `name` of an object node, or null.
  const Node* Member(const Node& object, std::string_view name) const;
  // The children of an array (or the values of an object), in order.
  std::vector<const Node*> Children(const Node& node) const;
  // The i-th child (i < count), walking the sibling links.
  const Node& Child(const Node& node, uint32_t i) const;

  // Numbers: false when the node is not a number that fits.
  static bool ToInt64(const Node& node, int64_t& value);
  static bool ToUint64(const Node& node, uint64_t& value);
  static bool ToDouble(const Node& node, double& value);

 private:
  bool Value(uint32_t index, int depth);
  bool String(std::string_view& out);
  bool Number(Node& node);
  bool Literal(std::string_view word);
  void SkipSpace();
  uint32_t NewNode();

  std::string_view line_;
  size_t at_ = 0;
  std::vector<Node> nodes_;
  std::deque<std::string> unescaped_;  // texts with escapes, decoded (stable addresses)
  size_t unescapedUsed_ = 0;
};
