#include "Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of each character; 64 for a character outside the alphabet.
constexpr std::array<uint8_t, 256> DecodeTable() {
  std::array<uint8_t, 256> table{};
  for (auto& value : table) value = 64;
  for (uint8_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = i;
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = DecodeTable();

static_assert(sizeof(float) == 4);
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "floats are taken in the host's order");

uint32_t LittleEndianBits(float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, 4);
  return bits;
}

}  // namespace

std::string Base64::EncodeFloats(const float* samples, size_t count) {
  const size_t bytes = count * 4;
  std::vector<uint8_t> raw(bytes);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t bits = LittleEndianBits(samples[i]);
    for (int b = 0; b < 4; ++b) raw[i * 4 + b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  std::string text;
  text.reserve((bytes + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= bytes; i += 3) {
    const uint32_t v = (uint32_t{raw[i]} << 16) | (uint32_t{raw[i + 1]} << 8) | raw[i + 2];
    text += kAlphabet[v >> 18];
    text += kAlphabet[(v >> 12) & 63];
    text += kAlphabet[(v >> 6) & 63];
    text += kAlphabet[v & 63];
  }
  if (bytes - i == 1) {
    const uint32_t v = uint32_t{raw[i]} << 16;
    text += kAlphabet[v >> 18];
    text += kAlphabet[(v >> 12) & 63];
    text += "==";
  } else if (bytes - i == 2) {
    const uint32_t v = (uint32_t{raw[i]} << 16) | (uint32_t{raw[i + 1]} << 8);
    text += kAlphabet[v >> 18];
    text += kAlphabet[(v >> 12) & 63];
    text += kAlphabet[(v >> 6) & 63];
    text += '=';
  }
  return text;
}

bool Base64::DecodeFloats(std::string_view text, std::vector<float>& samples) {
  if (text.size() % 4 != 0) return false;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
  const size_t bytes = text.size() / 4 * 3 - padding;
  if (bytes % 4 != 0) return false;
  samples.resize(bytes / 4);
  // The floats' bytes are written in place: the host is little-endian, as the log.
  auto* out = reinterpret_cast<uint8_t*>(samples.data());
  const auto* in = reinterpret_cast<const uint8_t*>(text.data());
  const size_t whole = padding == 0 ? text.size() : text.size() - 4;  // groups without padding
  uint32_t invalid = 0;
  size_t o = 0;
  for (size_t i = 0; i < whole; i += 4, o += 3) {
    const uint32_t a = kDecode[in[i]], b = kDecode[in[i + 1]], c = kDecode[in[i + 2]],
                   d = kDecode[in[i + 3]];
    invalid |= (a | b | c | d) & 64;
    const uint32_t v = (a << 18) | (b << 12) | (c << 6) | d;
    out[o] = static_cast<uint8_t>(v >> 16);
    out[o + 1] = static_cast<uint8_t>(v >> 8);
    out[o + 2] = static_cast<uint8_t>(v);
  }
  if (padding > 0) {
    const size_t i = text.size() - 4;
    const uint32_t a = kDecode[in[i]], b = kDecode[in[i + 1]];
    const uint32_t c = padding == 1 ? kDecode[in[i + 2]] : 0;
    invalid |= (a | b | c) & 64;
    if (padding == 2 && in[i + 2] != '=') return false;
    const uint32_t v = (a << 18) | (b << 12) | (c << 6);
    out[o++] = static_cast<uint8_t>(v >> 16);
    if (padding == 1) out[o++] = static_cast<uint8_t>(v >> 8);
  }
  return invalid == 0;
}
