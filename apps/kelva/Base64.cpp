#include "Base64.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of each character, shifted to its place in a group of four characters (24
// bits); a character outside the alphabet has bit 31 set.
constexpr uint32_t kInvalid = 0x80000000u;
constexpr std::array<uint32_t, 256> DecodeTable(int shift) {
  std::array<uint32_t, 256> table{};
  for (auto& value : table) value = kInvalid;
  for (uint32_t i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = i << shift;
  return table;
}
constexpr std::array<uint32_t, 256> kDecode0 = DecodeTable(18), kDecode1 = DecodeTable(12),
                                    kDecode2 = DecodeTable(6), kDecode3 = DecodeTable(0);

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
    const uint32_t v =
        kDecode0[in[i]] | kDecode1[in[i + 1]] | kDecode2[in[i + 2]] | kDecode3[in[i + 3]];
    invalid |= v;
    out[o] = static_cast<uint8_t>(v >> 16);
    out[o + 1] = static_cast<uint8_t>(v >> 8);
    out[o + 2] = static_cast<uint8_t>(v);
  }
  if (padding > 0) {
    const size_t i = text.size() - 4;
    if (padding == 2 && in[i + 2] != '=') return false;
    const uint32_t v =
        kDecode0[in[i]] | kDecode1[in[i + 1]] | (padding == 1 ? kDecode2[in[i + 2]] : 0);
    invalid |= v;
    out[o++] = static_cast<uint8_t>(v >> 16);
    if (padding == 1) out[o++] = static_cast<uint8_t>(v >> 8);
  }
  invalid &= kInvalid;
  return invalid == 0;
}
