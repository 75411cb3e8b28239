#include "host/Utf8.h"

#include <algorithm>

namespace Utf8 {
namespace {

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

size_t SequenceLength(std::string_view text, size_t i) {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = at(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length || at(1) < low || at(1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (!IsContinuation(at(k))) return 0;
  return length;
}

size_t Boundary(std::string_view text, size_t limit) {
  size_t cut = std::min(limit, text.size());
  while (cut > 0 && cut < text.size() && IsContinuation(static_cast<unsigned char>(text[cut])))
    --cut;
  return cut;
}

}  // namespace Utf8
