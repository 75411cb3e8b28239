// Costs of the value records on the hot paths of the stores: sharing a spectrum into a history
// section, the first write after sharing, and the learn step's weighted sums.
#include <benchmark/benchmark.h>

#include <vector>

#include "store/KelSigCurve.h"
#include "store/KelSigLimitCurve.h"

namespace {

KelSigCurve Spectrum(uint32_t bins) {
  std::vector<float> samples(bins);
  for (uint32_t i = 0; i < bins; ++i) samples[i] = 60.0f + static_cast<float>(i % 97) * 0.25f;
  KelSigCurve curve;
  curve.ImportData(
      samples.data(), bins, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder),
      CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog));
  return curve;
}

void BM_ShareLimitCurve(benchmark::State& state) {
  const KelSigLimitCurve current(Spectrum(static_cast<uint32_t>(state.range(0))));
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  for (auto _ : state) {
    KelSigLimitCurve section = current;
    benchmark::DoNotOptimize(section);
  }
  state.counters["bytes_copied"] = static_cast<double>(CAlignedMemStats::BytesCopied() - copied);
}
BENCHMARK(BM_ShareLimitCurve)->Arg(4096);

void BM_FirstWriteAfterShare(benchmark::State& state) {
  const KelSigCurve original = Spectrum(static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    KelSigCurve copy = original;
    copy.data()[0] = 1.0f;
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 4);
}
BENCHMARK(BM_FirstWriteAfterShare)->Arg(4096);

void BM_LearnStep(benchmark::State& state) {
  const KelSigCurve measured = Spectrum(static_cast<uint32_t>(state.range(0)));
  KelSigCurve mean = measured;
  KelSigCurve meanSquare = measured;
  mean.touch();
  meanSquare.touch();
  for (auto _ : state) {
    mean.AddData(measured, 0.98f);
    meanSquare.AddSquaredData(measured, 0.98f);
    benchmark::DoNotOptimize(mean.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LearnStep)->Arg(4096);

}  // namespace
