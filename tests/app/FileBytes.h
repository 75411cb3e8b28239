#pragma once
// Making binary files byte by byte in tests, after the layouts docs/file-formats.md gives.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

// Appends `value` in little-endian byte order.
template <typename T>
void PutLE(std::string& bytes, T value) {
  uint8_t raw[sizeof(T)];
  std::memcpy(raw, &value, sizeof(T));
  for (size_t i = 0; i < sizeof(T); ++i)
    bytes +=
        static_cast<char>(raw[std::endian::native == std::endian::little ? i : sizeof(T) - 1 - i]);
}
