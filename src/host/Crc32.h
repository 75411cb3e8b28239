#pragma once
// CRC-32 (the IEEE 802.3 polynomial, reflected, initial value and final xor 0xFFFFFFFF), the
// checksum that closes a file written in one piece: a reader that finds another checksum knows
// that bytes were changed or lost.

#include <cstddef>
#include <cstdint>

namespace Crc32 {

// The checksum of n bytes; `previous` continues a checksum over bytes that came before
// (0 for the first piece). Crc32::Of("123456789", 9) is 0xCBF43926.
uint32_t Of(const void* bytes, size_t n, uint32_t previous = 0);

}  // namespace Crc32
