#pragma once
// A strict JSON parser for one line of a measurement log, made for speed: it keeps the values
// as views into its own copy of the line (texts without escapes are not copied again), valid
// until the next line is parsed; it reuses its storage from line to line and allocates nothing
// in the steady state. It accepts exactly RFC 8259 JSON with
// an object at the top; anything else is refused.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// What the scan of one JSON number found: whether it is an integer, and its value where that is
// cheap to get exactly (otherwise the caller converts the text).
struct SJsonNumber {
  bool isInteger = false;    // no fraction and no exponent
  bool fitsInt64 = false;    // an integer within int64_t: `integer` holds it
  bool exactDouble = false;  // a number that is not an integer: `number` holds its double
  bool negative = false;     // written with a minus sign
  union {
    int64_t integer = 0;
    double number;
  };

  // The number's double when it is had without converting the text: a decimal with
  // `exactDouble`, or an integer of at most 53 bits (not "-0", whose double is negative).
  bool CheapDouble(double& value) const {
    if (exactDouble) {
      value = number;
      return true;
    }
    if (!fitsInt64 || integer < -(int64_t{1} << 53) || integer > (int64_t{1} << 53) ||
        (integer == 0 && negative))
      return false;
    value = static_cast<double>(integer);
    return true;
  }
};

// Scans the JSON number (RFC 8259) that starts at `p`; on success `p` is behind it. False when
// no number starts there.
bool ScanJsonNumber(const char*& p, const char* end, SJsonNumber& number);

class CJsonLine {
 public:
  enum type_t : uint8_t { tNull, tBool, tNumber, tString, tArray, tObject };

  // One value. A number keeps its text, a text its characters without quotes and escapes, an
  // array or object the index of its first child and the number of children (an object's
  // children are its members' values, each with its name).
  struct Node {
    type_t type = tNull;
    bool boolean = false;
    uint32_t first = 0;  // children: the first, linked by `next`
    uint32_t count = 0;
    uint32_t next = 0;      // the next sibling (0: none; node 0 is the root)
    std::string_view text;  // number, string; the member name is in `name`
    std::string_view name;  // for members of an object
    SJsonNumber number;     // for a number
  };
  static_assert(sizeof(Node) == 64, "a node fills one cache line");

  // Parses `line`. False when it is not one JSON object.
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
  bool Container(uint32_t index, bool object, int depth);
  bool String(std::string_view& out);
  bool Number(Node& node);
  bool Literal(std::string_view word);
  void SkipSpace();
  uint32_t NewNode() {
    if (used_ == nodes_.size()) GrowNodes();
    nodes_[used_] = Node{};
    return used_++;
  }
  void GrowNodes();

  std::vector<char> copy_;     // the line, then zero bytes
  const char* p_ = nullptr;    // the next character to read
  const char* end_ = nullptr;  // the end of the line within copy_
  std::vector<Node> nodes_;    // nodes_[0 .. used_) hold the line's values
  uint32_t used_ = 0;
  std::deque<std::string> unescaped_;  // texts with escapes, decoded (stable addresses)
  size_t unescapedUsed_ = 0;
};
