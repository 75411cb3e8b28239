#pragma once
// Trains made of fuzzed bytes. The input is read as wagons, one after the other: a byte that
// picks the wagon type (its value modulo the number of types), a little-endian uint16 byte
// count, and that many bytes of marshalled data (fewer when the input ends first).

#include <cstddef>
#include <cstdint>

#include "host/Railway.h"

namespace Fuzz {

// The marshalling ids of every wagon type the railway knows, in a fixed order.
extern const uint32_t kWagonIds[];
extern const size_t kWagonTypes;

CTrain TrainOf(const uint8_t* data, size_t size);

}  // namespace Fuzz
