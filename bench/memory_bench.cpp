// What one core of this machine moves through memory, as the yardstick for the cycle's figures:
// the full cycle of the reference part reads and writes some tens of megabytes (new samples,
// learned tables, limits, history), so its time cannot go below what these loops take for the
// same bytes.
//
//   BM_ReadFloats/<MiB>:  the largest element of a float array (read only);
//   BM_CopyFloats/<MiB>:  copies one float array into another (read and write);
// at 4 MiB (within the last-level cache) and 64 MiB (beyond it). The bytes counter gives the
// rate in bytes read plus written per second.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/VectorClones.h"

namespace {

constexpr size_t kFloatsPerMiB = (1u << 20) / sizeof(float);

// Fills the array with distinct values, so that no page is left untouched before the timing.
std::vector<float> Array(size_t floats) {
  std::vector<float> array(floats);
  for (size_t i = 0; i < floats; ++i) array[i] = static_cast<float>(i % 1000);
  return array;
}

// The largest element in lanes of 16, so that the widest vectors of the machine do the reads.
// REQUIRES: n a multiple of 16.
KELVA_VECTOR_CLONES float Largest(const float* array, size_t n) {
  float lanes[16];
  for (size_t j = 0; j < 16; ++j) lanes[j] = array[j];
  for (size_t i = 0; i < n; i += 16)
    for (size_t j = 0; j < 16; ++j) lanes[j] = lanes[j] < array[i + j] ? array[i + j] : lanes[j];
  float largest = lanes[0];
  for (size_t j = 1; j < 16; ++j) largest = largest < lanes[j] ? lanes[j] : largest;
  return largest;
}

void BM_ReadFloats(benchmark::State& state) {
  const size_t floats = static_cast<size_t>(state.range(0)) * kFloatsPerMiB;
  const std::vector<float> array = Array(floats);
  for (auto _ : state) benchmark::DoNotOptimize(Largest(array.data(), floats));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(floats * sizeof(float)));
}
BENCHMARK(BM_ReadFloats)->Arg(4)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_CopyFloats(benchmark::State& state) {
  const size_t floats = static_cast<size_t>(state.range(0)) * kFloatsPerMiB;
  const std::vector<float> from = Array(floats);
  std::vector<float> to = Array(floats);
  for (auto _ : state) {
    for (size_t i = 0; i < floats; ++i) to[i] = from[i];
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(2 * floats * sizeof(float)));
}
BENCHMARK(BM_CopyFloats)->Arg(4)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace
