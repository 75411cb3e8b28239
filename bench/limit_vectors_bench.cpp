// The vector routines that combine limit curves, on a spectrum of 4,096 bins (the size of the
// reference part's spectra): the element-wise maximum, the one-pass sideways widening of peaks,
// and laying one polygon segment over the whole curve.
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

void Fill(float* v, float base) {
  for (size_t i = 0; i < kBins; ++i) v[i] = base + static_cast<float>(i % 97) * 0.25f;
}

void BM_MaximizeVectors(benchmark::State& state) {
  CAlignedMem<float> dst(kBins), src(kBins);
  Fill(dst.data(), 10.0f);
  Fill(src.data(), 12.0f);
  for (auto _ : state) {
    DVL::MaximizeVectors(dst.data(), src.data(), kBins);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_MaximizeVectors);

// The whole widening of a spectrum's peaks by the argument's points each side: 3 (the
// reference part's chimney in the limit and evaluation benchmarks), 20 (the default width of 1
// at the reference part's x step of 0.05, as in the full cycle) and 50 (the most there is).
void BM_MaximizeOverWindow(benchmark::State& state) {
  const auto points = static_cast<unsigned>(state.range(0));
  CAlignedMem<float> dst(kBins), src(kBins);
  Fill(src.data(), 12.0f);
  for (auto _ : state) {
    DVL::MaximizeOverWindow(dst.data(), src.data(), kBins, points, points);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_MaximizeOverWindow)->Arg(3)->Arg(20)->Arg(50);

void BM_MinimizeVectorAndPolygon(benchmark::State& state) {
  CAlignedMem<float> v(kBins);
  Fill(v.data(), 10.0f);
  for (auto _ : state) {
    DVL::MinimizeVectorAndPolygon(v.data(), 0, static_cast<int>(kBins) - 1, 40.0f, 20.0f);
    benchmark::DoNotOptimize(v.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kBins);
}
BENCHMARK(BM_MinimizeVectorAndPolygon);

}  // namespace
