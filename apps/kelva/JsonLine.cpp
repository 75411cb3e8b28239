#include "JsonLine.h"

#include <charconv>
#include <cstring>

namespace {

constexpr int kMaxDepth = 64;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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

uint32_t CJsonLine::NewNode() {
  nodes_.emplace_back();
  return static_cast<uint32_t>(nodes_.size() - 1);
}

void CJsonLine::SkipSpace() {
  while (at_ < line_.size() &&
         (line_[at_] == ' ' || line_[at_] == '\t' || line_[at_] == '\r' || line_[at_] == '\n'))
    ++at_;
}

bool CJsonLine::Parse(std::string_view line) {
  line_ = line;
  at_ = 0;
  nodes_.clear();
  unescapedUsed_ = 0;
  NewNode();
  SkipSpace();
  if (!Value(0, 0)) return false;
  SkipSpace();
  return at_ == line_.size() && nodes_[0].type == tObject;
}

bool CJsonLine::Literal(std::string_view word) {
  if (line_.substr(at_, word.size()) != word) return false;
  at_ += word.size();
  return true;
}

bool CJsonLine::String(std::string_view& out) {
  ++at_;  // the opening quote
  const size_t start = at_;
  // The plain case: no escape before the closing quote. The span up to the next quote is
  // checked in one pass (a plain loop the compiler vectorises).
  const void* quote = std::memchr(line_.data() + start, '"', line_.size() - start);
  if (quote == nullptr) return false;
  const size_t end = static_cast<size_t>(static_cast<const char*>(quote) - line_.data());
  const auto* bytes = reinterpret_cast<const uint8_t*>(line_.data());
  uint8_t special = 0;
  for (size_t i = start; i < end; ++i)
    special |= static_cast<uint8_t>((bytes[i] < 0x20) | (bytes[i] == '\\'));
  if (special == 0) {
    out = line_.substr(start, end - start);
    at_ = end + 1;
    return true;
  }
  while (line_[at_] != '\\') {
    if (static_cast<unsigned char>(line_[at_]) < 0x20) return false;
    ++at_;
  }
  if (unescapedUsed_ == unescaped_.size()) unescaped_.emplace_back();
  std::string& text = unescaped_[unescapedUsed_++];
  text.assign(line_.substr(start, at_ - start));
  while (at_ < line_.size()) {
    const char c = line_[at_++];
    if (c == '"') {
      out = text;
      return true;
    }
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (at_ >= line_.size()) return false;
    const char e = line_[at_++];
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
          if (at_ + 4 > line_.size()) return false;
          code = 0;
          for (int i = 0; i < 4; ++i) {
            const int h = HexValue(line_[at_++]);
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

bool CJsonLine::Number(Node& node) {
  const size_t start = at_;
  if (at_ < line_.size() && line_[at_] == '-') ++at_;
  if (at_ >= line_.size() || !IsDigit(line_[at_])) return false;
  if (line_[at_] == '0') {
    ++at_;
  } else {
    while (at_ < line_.size() && IsDigit(line_[at_])) ++at_;
  }
  node.isInteger = true;
  if (at_ < line_.size() && line_[at_] == '.') {
    node.isInteger = false;
    ++at_;
    if (at_ >= line_.size() || !IsDigit(line_[at_])) return false;
    while (at_ < line_.size() && IsDigit(line_[at_])) ++at_;
  }
  if (at_ < line_.size() && (line_[at_] == 'e' || line_[at_] == 'E')) {
    node.isInteger = false;
    ++at_;
    if (at_ < line_.size() && (line_[at_] == '+' || line_[at_] == '-')) ++at_;
    if (at_ >= line_.size() || !IsDigit(line_[at_])) return false;
    while (at_ < line_.size() && IsDigit(line_[at_])) ++at_;
  }
  node.type = tNumber;
  node.text = line_.substr(start, at_ - start);
  return true;
}

bool CJsonLine::Value(uint32_t index, int depth) {
  if (depth > kMaxDepth || at_ >= line_.size()) return false;
  const char c = line_[at_];
  if (c == '"') {
    nodes_[index].type = tString;
    std::string_view text;
    if (!String(text)) return false;
    nodes_[index].text = text;
    return true;
  }
  if (c == 't' || c == 'f') {
    nodes_[index].type = tBool;
    nodes_[index].boolean = c == 't';
    return Literal(c == 't' ? "true" : "false");
  }
  if (c == 'n') return Literal("null");
  if (c == '-' || IsDigit(c)) return Number(nodes_[index]);
  if (c != '{' && c != '[') return false;
  const bool object = c == '{';
  const char close = object ? '}' : ']';
  nodes_[index].type = object ? tObject : tArray;
  ++at_;
  SkipSpace();
  if (at_ < line_.size() && line_[at_] == close) {
    ++at_;
    return true;
  }
  uint32_t previous = 0;
  for (;;) {
    std::string_view name;
    if (object) {
      if (at_ >= line_.size() || line_[at_] != '"' || !String(name)) return false;
      SkipSpace();
      if (at_ >= line_.size() || line_[at_] != ':') return false;
      ++at_;
      SkipSpace();
    }
    const uint32_t child = NewNode();
    nodes_[child].name = name;
    if (previous == 0)
      nodes_[index].first = child;
    else
      nodes_[previous].next = child;
    ++nodes_[index].count;
    previous = child;
    if (!Value(child, depth + 1)) return false;
    SkipSpace();
    if (at_ >= line_.size()) return false;
    if (line_[at_] == ',') {
      ++at_;
      SkipSpace();
      continue;
    }
    if (line_[at_] != close) return false;
    ++at_;
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
  if (node.type != tNumber || !node.isInteger) return false;
  const auto [end, error] =
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
  return error == std::errc() && end == node.text.data() + node.text.size();
}

bool CJsonLine::ToUint64(const Node& node, uint64_t& value) {
  if (node.type != tNumber || !node.isInteger || node.text[0] == '-') return false;
  const auto [end, error] =
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
  return error == std::errc() && end == node.text.data() + node.text.size();
}

bool CJsonLine::ToDouble(const Node& node, double& value) {
  if (node.type != tNumber) return false;
  const auto [end, error] =
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
  return error == std::errc() && end == node.text.data() + node.text.size();
}
