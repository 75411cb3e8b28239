// The vector routines of spectral evaluation on a spectrum of 4,096 bins (the size of the
// reference part's spectra): the largest difference to a limit, the walk over the regions
// where the spectrum goes over it (four regions, each a few bins wide, as a part with some
// tonal peaks over its limit shows), and the sum of squares a band level is made from.
//
// Timed: the routine alone, on data that stays in the first-level cache. Counter: bins per
// second.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "host/AlignedMem.h"
#include "host/Numeric.h"

namespace {

constexpr size_t kBins = 4096;
constexpr float kLimit = 40.0f;

// A spectrum below the limit everywhere but at four peaks of seven bins, the highest in the
// middle.
void FillSpectrum(float* spectrum, float* limit) {
  for (size_t i = 0; i < kBins; ++i) {
    spectrum[i] = 10.0f + static_cast<float>(i % 97) * 0.25f;
    limit[i] = kLimit;
  }
  for (size_t peak : {300u, 1100u, 2500u, 3900u})
    for (size_t k = 0; k < 7; ++k)
      spectrum[peak + k] = kLimit + 1.0f + static_cast<float>(k < 4 ? k : 6 - k);
}

void BM_MaxDifference(benchmark::State& state) {
  CAlignedMem<float> spectrum(kBins), limit(kBins);
  FillSpectrum(spectrum.data(), limit.data());
  for (auto _ : state) {
    unsigned index = 0;
    benchmark::DoNotOptimize(DVL::MaxDifference(spectrum.data(), limit.data(), kBins, index));
    benchmark::DoNotOptimize(index);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_MaxDifference);

// The caller's whole loop: every region found and reported at its worst bin.
void BM_LocalMaxDifferencePosition(benchmark::State& state) {
  CAlignedMem<float> spectrum(kBins), limit(kBins);
  FillSpectrum(spectrum.data(), limit.data());
  for (auto _ : state) {
    unsigned next = 0, position = 0, regions = 0;
    for (unsigned start = 0; DVL::LocalMaxDifferencePosition(spectrum.data(), limit.data(), kBins,
                                                             start, next, position);
         start = next)
      ++regions;
    benchmark::DoNotOptimize(regions);
    benchmark::DoNotOptimize(position);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_LocalMaxDifferencePosition);

void BM_VectorSqrSum(benchmark::State& state) {
  CAlignedMem<float> spectrum(kBins), limit(kBins);
  FillSpectrum(spectrum.data(), limit.data());
  for (auto _ : state) benchmark::DoNotOptimize(DVL::VectorSqrSum(spectrum.data(), kBins));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_VectorSqrSum);

}  // namespace
