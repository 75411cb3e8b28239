#include "params/Utf16Name.h"

#include "host/Utf8.h"

namespace Utf16Name {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code point of the well-formed UTF-8 sequence of `length` bytes at `text[i]`.
char32_t DecodeUtf8(std::string_view text, size_t i, size_t length) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  if (length == 1) return byte(0);
  static constexpr unsigned char kLeadMask[] = {0, 0, 0x1F, 0x0F, 0x07};
  char32_t point = byte(0) & kLeadMask[length];
  for (size_t k = 1; k < length; ++k) point = (point << 6) | (byte(k) & 0x3F);
  return point;
}

void AppendUtf16(char32_t point, std::u16string& units) {
  if (point < 0x10000) {
    units += static_cast<char16_t>(point);
    return;
  }
  point -= 0x10000;
  units += static_cast<char16_t>(0xD800 + (point >> 10));
  units += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
}

void AppendUtf8(char32_t point, std::string& text) {
  if (point < 0x80) {
    text += static_cast<char>(point);
  } else if (point < 0x800) {
    text += static_cast<char>(0xC0 | (point >> 6));
    text += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    text += static_cast<char>(0xE0 | (point >> 12));
    text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (point >> 18));
    text += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (point & 0x3F));
  }
}

}  // namespace

std::u16string FromUtf8(std::string_view name) {
  const size_t maxUnits = kMaxUnits - 1;
  std::u16string units;
  for (size_t i = 0; i < name.size() && name[i] != '\0';) {
    const size_t length = Utf8::SequenceLength(name, i);
    const char32_t point = length == 0 ? kReplacement : DecodeUtf8(name, i, length);
    std::u16string character;
    AppendUtf16(point, character);
    if (units.size() + character.size() > maxUnits) break;
    units += character;
    i += length == 0 ? 1 : length;
  }
  return units;
}

bool ToUtf8(std::u16string_view units, std::string& name) {
  std::string text;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (IsLowSurrogate(unit)) return false;
    if (!IsHighSurrogate(unit)) {
      AppendUtf8(unit, text);
      continue;
    }
    if (i + 1 == units.size() || !IsLowSurrogate(units[i + 1])) return false;
    const char32_t point = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                           (static_cast<char32_t>(units[i + 1]) - 0xDC00);
    AppendUtf8(point, text);
    ++i;
  }
  name = std::move(text);
  return true;
}

bool Write(CFile& file, std::string_view name) {
  std::u16string units = FromUtf8(name);
  units += u'\0';
  if (!WriteLE(file, static_cast<int32_t>(units.size()))) return false;
  for (const char16_t unit : units)
    if (!WriteLE(file, static_cast<uint16_t>(unit))) return false;
  return true;
}

bool Read(CFile& file, std::string& name, std::string& why) {
  int32_t count = 0;
  if (!ReadLE(file, count)) {
    why = "its name length is cut short";
    return false;
  }
  if (count < 1 || count > kMaxUnits) {
    why = "its name length " + std::to_string(count) + " is not in 1.." + std::to_string(kMaxUnits);
    return false;
  }
  std::u16string units(static_cast<size_t>(count), u'\0');
  for (char16_t& unit : units) {
    uint16_t value = 0;
    if (!ReadLE(file, value)) {
      why = "its name is cut short";
      return false;
    }
    unit = static_cast<char16_t>(value);
  }
  const std::u16string_view text(units.data(), units.size() - 1);
  if (units.back() != u'\0' || text.find(u'\0') != std::u16string_view::npos) {
    why = "its name does not end at its terminating zero";
    return false;
  }
  if (!ToUtf8(text, name)) {
    why = "its name is not well-formed UTF-16";
    return false;
  }
  return true;
}

}  // namespace Utf16Name
