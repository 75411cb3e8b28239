#include "JsonLine.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>

namespace {

constexpr int kMaxDepth = 64;

// Zero bytes behind the copy of a line: more than the longest literal and an eight-character
// scan starting at the end read.
constexpr size_t kPadding = 16;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// 10^0 to 10^22: the powers of ten a double holds exactly.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Of the eight characters at `at`, those that are a quote, a backslash or below 0x20 have the
// top bit of their byte set in the result; the lowest set bit marks the first of them (higher
// ones may be set wrongly by a borrow, never lower ones).
static_assert(std::endian::native == std::endian::little, "the first character is the low byte");
uint64_t QuoteBackslashOrControl(const char* at) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHigh = 0x8080808080808080u;
  uint64_t x = 0;
  std::memcpy(&x, at, 8);
  const auto zeroByte = [](uint64_t v) { return (v - kOnes) & ~v & kHigh; };
  return zeroByte(x ^ (kOnes * '"')) | zeroByte(x ^ (kOnes * '\\')) |
         ((x - kOnes * 0x20) & ~x & kHigh);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

void CJsonLine::GrowNodes() {
  nodes_.resize(std::max<size_t>(64, nodes_.size() * 2));
}

void CJsonLine::SkipSpace() {
  while (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n') ++p_;
}

bool CJsonLine::Parse(std::string_view line) {
  // The copy ends in zero bytes, which no token goes on with: the scanning loops stop there
  // without checking the end, and the end is checked once a token is complete.
  if (copy_.size() < line.size() + kPadding) copy_.resize(line.size() + kPadding);
  std::memcpy(copy_.data(), line.data(), line.size());
  std::memset(copy_.data() + line.size(), 0, kPadding);
  p_ = copy_.data();
  end_ = p_ + line.size();
  used_ = 0;
  unescapedUsed_ = 0;
  NewNode();
  SkipSpace();
  if (!Value(0, 0)) return false;
  SkipSpace();
  return p_ == end_ && nodes_[0].type == tObject;
}

bool CJsonLine::Literal(std::string_view word) {
  // Reading past the end stays within the padding, whose zeros match no letter.
  if (std::memcmp(p_, word.data(), word.size()) != 0) return false;
  p_ += word.size();
  return p_ <= end_;
}

bool CJsonLine::String(std::string_view& out) {
  const char* const start = ++p_;  // after the opening quote
  // Names and short texts: eight characters at a time up to the first quote, backslash or
  // control character (the padding's zeros end the scan at the end of the line).
  const char* q = start;
  for (int i = 0; i < 4; ++i, q += 8) {
    const uint64_t found = QuoteBackslashOrControl(q);
    if (found == 0) continue;
    q += std::countr_zero(found) / 8;
    if (*q != '"') break;
    out = std::string_view(start, static_cast<size_t>(q - start));
    p_ = q + 1;
    return q < end_;
  }
  // Long texts without escapes: the span up to the next quote is found with memchr and checked
  // in one pass (a plain loop the compiler vectorises).
  const void* found = std::memchr(start, '"', static_cast<size_t>(end_ - start));
  if (found == nullptr) return false;
  const auto* quote = static_cast<const char*>(found);
  uint8_t special = 0;
  for (const char* c = start; c < quote; ++c) {
    const auto byte = static_cast<uint8_t>(*c);
    special |= static_cast<uint8_t>((byte < 0x20) | (byte == '\\'));
  }
  if (special == 0) {
    out = std::string_view(start, static_cast<size_t>(quote - start));
    p_ = quote + 1;
    return true;
  }
  while (*p_ != '\\') {
    if (static_cast<unsigned char>(*p_) < 0x20) return false;
    ++p_;
  }
  if (unescapedUsed_ == unescaped_.size()) unescaped_.emplace_back();
  std::string& text = unescaped_[unescapedUsed_++];
  text.assign(start, static_cast<size_t>(p_ - start));
  while (p_ < end_) {
    const char c = *p_++;
    if (c == '"') {
      out = text;
      return true;
    }
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (p_ >= end_) return false;
    const char e = *p_++;
    switch (e) {
      case '"':
      case '\\':
      case '/':
        text += e;
        break;
      case 'b':
        text += '\b';
        break;
      case 'f':
        text += '\f';
        break;
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case 't':
        text += '\t';
        break;
      case 'u': {
        const auto hex4 = [this](uint32_t& code) {
          if (end_ - p_ < 4) return false;
          code = 0;
          for (int i = 0; i < 4; ++i) {
            const int h = HexValue(*p_++);
            if (h < 0) return false;
            code = code * 16 + static_cast<uint32_t>(h);
          }
          return true;
        };
        uint32_t code = 0;
        if (!hex4(code)) return false;
        if (code >= 0xD800 && code <= 0xDBFF) {  // a surrogate pair
          uint32_t low = 0;
          if (!Literal("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
          return false;
        }
        AppendUtf8(text, code);
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

bool ScanJsonNumber(const char*& at, const char* end, SJsonNumber& number) {
  const char* const begin = at;
  const char* p = begin;
  const auto digitAt = [&p, end] { return p < end && IsDigit(*p); };
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  if (!digitAt()) return false;
  // The digits are gathered into an integer mantissa as they are scanned, so that integers and
  // the usual short decimals need no second pass over their text. The mantissa holds them all
  // while there are at most 19.
  uint64_t mantissa = 0;
  const char* const integerStart = p;
  if (*p == '0') {
    ++p;
  } else {
    for (; digitAt(); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  }
  const auto integerDigits = static_cast<size_t>(p - integerStart);
  size_t fractionDigits = 0;
  if (p < end && *p == '.') {
    ++p;
    if (!digitAt()) return false;
    const char* const fractionStart = p;
    for (; digitAt(); ++p) mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    fractionDigits = static_cast<size_t>(p - fractionStart);
  }
  const bool hasExponent = p < end && (*p == 'e' || *p == 'E');
  int exponent = 0;
  if (hasExponent) {
    ++p;
    const bool negativeExponent = p < end && *p == '-';
    if (p < end && (*p == '+' || *p == '-')) ++p;
    if (!digitAt()) return false;
    for (; digitAt(); ++p)
      if (exponent < 10000) exponent = exponent * 10 + (*p - '0');
    if (negativeExponent) exponent = -exponent;
  }
  at = p;
  number = SJsonNumber{};
  number.negative = negative;
  number.isInteger = fractionDigits == 0 && !hasExponent;
  if (number.isInteger) {
    number.fitsInt64 = integerDigits <= 18;  // below 10^18: within int64_t either sign
    if (number.fitsInt64) {
      number.integer = negative ? -static_cast<int64_t>(mantissa) : static_cast<int64_t>(mantissa);
    } else {
      const auto [last, error] = std::from_chars(begin, p, number.integer);
      number.fitsInt64 = error == std::errc() && last == p;
    }
    return true;
  }
  // A mantissa of at most 53 bits times or over an exactly held power of ten is rounded once,
  // and so correctly: the same double a full conversion of the text gives.
  const int power = exponent - static_cast<int>(fractionDigits);
  number.exactDouble = integerDigits + fractionDigits <= 19 && mantissa <= (uint64_t{1} << 53) &&
                       power >= -22 && power <= 22;
  if (number.exactDouble) {
    const double value = static_cast<double>(mantissa);
    number.number = power < 0 ? value / kPowersOfTen[-power] : value * kPowersOfTen[power];
    if (negative) number.number = -number.number;
  }
  return true;
}

bool CJsonLine::Number(Node& node) {
  const char* const begin = p_;
  if (!ScanJsonNumber(p_, end_, node.number)) return false;
  node.type = tNumber;
  node.text = std::string_view(begin, static_cast<size_t>(p_ - begin));
  return true;
}

bool CJsonLine::Value(uint32_t index, int depth) {
  const char c = *p_;
  if (c == '"') {
    std::string_view text;
    if (!String(text)) return false;
    nodes_[index].type = tString;
    nodes_[index].text = text;
    return true;
  }
  if (c == '-' || IsDigit(c)) return Number(nodes_[index]);
  if (c == '{' || c == '[') return Container(index, c == '{', depth);
  if (c == 't' || c == 'f') {
    nodes_[index].type = tBool;
    nodes_[index].boolean = c == 't';
    return Literal(c == 't' ? "true" : "false");
  }
  return c == 'n' && Literal("null");
}

bool CJsonLine::Container(uint32_t index, bool object, int depth) {
  const char close = object ? '}' : ']';
  nodes_[index].type = object ? tObject : tArray;
  ++p_;
  SkipSpace();
  if (*p_ == close) return ++p_ <= end_;
  if (depth >= kMaxDepth) return false;  // its values would lie deeper than allowed
  uint32_t previous = 0;
  uint32_t count = 0;
  for (;;) {
    std::string_view name;
    if (object) {
      if (*p_ != '"' || !String(name)) return false;
      SkipSpace();
      if (*p_ != ':') return false;
      ++p_;
      SkipSpace();
    }
    const uint32_t child = NewNode();
    nodes_[child].name = name;
    if (previous == 0)
      nodes_[index].first = child;
    else
      nodes_[previous].next = child;
    nodes_[index].count = ++count;
    previous = child;
    if (!Value(child, depth + 1)) return false;
    SkipSpace();
    if (*p_ == ',') {
      ++p_;
      SkipSpace();
      continue;
    }
    if (*p_ != close || p_ >= end_) return false;
    ++p_;
    return true;
  }
}

const CJsonLine::Node* CJsonLine::Member(const Node& object, std::string_view name) const {
  if (object.type != tObject) return nullptr;
  const Node* found = nullptr;
  uint32_t i = object.first;
  for (uint32_t n = 0; n < object.count; ++n, i = nodes_[i].next)
    if (nodes_[i].name == name) found = &nodes_[i];  // the last one counts, as in most readers
  return found;
}

const CJsonLine::Node& CJsonLine::Child(const Node& node, uint32_t index) const {
  uint32_t i = node.first;
  for (uint32_t n = 0; n < index; ++n) i = nodes_[i].next;
  return nodes_[i];
}

std::vector<const CJsonLine::Node*> CJsonLine::Children(const Node& node) const {
  std::vector<const Node*> children;
  uint32_t i = node.first;
  for (uint32_t n = 0; n < node.count; ++n, i = nodes_[i].next) children.push_back(&nodes_[i]);
  return children;
}

bool CJsonLine::ToInt64(const Node& node, int64_t& value) {
  if (node.type != tNumber || !node.number.fitsInt64) return false;
  value = node.number.integer;
  return true;
}

bool CJsonLine::ToUint64(const Node& node, uint64_t& value) {
  if (node.type != tNumber || !node.number.isInteger || node.number.negative) return false;
  if (node.number.fitsInt64) {
    value = static_cast<uint64_t>(node.number.integer);
    return true;
  }
  const auto [end, error] =
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
  return error == std::errc() && end == node.text.data() + node.text.size();
}

bool CJsonLine::ToDouble(const Node& node, double& value) {
  if (node.type != tNumber) return false;
  if (node.number.CheapDouble(value)) return true;
  const auto [end, error] =
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
  return error == std::errc() && end == node.text.data() + node.text.size();
}
