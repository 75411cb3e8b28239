#include "host/Crc32.h"

#include <array>

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) != 0 ? (crc >> 1) ^ kPolynomial : crc >> 1;
    table[byte] = crc;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

namespace Crc32 {

uint32_t Of(const void* bytes, size_t n, uint32_t previous) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  uint32_t crc = ~previous;
  for (size_t i = 0; i < n; ++i) crc = kTable[(crc ^ p[i]) & 0xFFu] ^ (crc >> 8);
  return ~crc;
}

}  // namespace Crc32
