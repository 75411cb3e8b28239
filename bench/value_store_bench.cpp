// One part through the value store: 2,000 single values, 200 spectra of 4,096 bins, 20 scalar
// tracks of 2,000 points and 2 spectrograms of 200 × 1,024 bins are inserted, copied into a
// history section (depth 10), validated and evaluated. Reports the time per part and the
// sample bytes copied per part (history sections share samples: the goal is 0). Every part
// arrives in new sample buffers, made outside the timed part.
#include <benchmark/benchmark.h>

#include <vector>

#include "store/KelValueStore.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

KelSigCurve MakeCurve(uint32_t bins, float level) {
  std::vector<float> samples(bins);
  for (uint32_t i = 0; i < bins; ++i) samples[i] = level + static_cast<float>(i % 53) * 0.1f;
  KelSigCurve curve;
  curve.ImportData(samples.data(), bins, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  return curve;
}

// The spectra of one part, in sample buffers of their own: every part's measurements arrive
// in new buffers, so the store cannot profit from buffers it has seen before.
struct Part {
  std::vector<KelSigCurve> spectra;
  std::vector<KelSigCurve> spectrogramRows;
  explicit Part(int serial) {
    const float level = static_cast<float>(serial % 3);
    for (int i = 0; i < 200; ++i) spectra.push_back(MakeCurve(4096, 60.0f + i % 7 + level));
    for (int i = 0; i < 200; ++i) spectrogramRows.push_back(MakeCurve(1024, 50.0f + i % 5 + level));
  }
};

void RunPart(CKelValueStore& store, const Part& part, int serial) {
  store.DismissValues();
  KelStoreSValue value;
  for (int i = 0; i < 2000; ++i) {
    value.value = 80.0f + static_cast<float>((i + serial) % 11);
    store.InsertSValue(QClavis(1 + i / 500, 1, 1 + i % 4, 1 + i % 3, 100 + i, 2), value, kDb, 1);
  }
  for (int i = 0; i < 200; ++i)
    store.InsertSigCurve(QClavis(1 + i / 50, 2500, 1 + i % 4, 1, 200 + i, 2), part.spectra[i], 1);
  for (int t = 0; t < 20; ++t) {
    const QClavis key(1 + t / 5, 2001, 1, 1, 400 + t, 2);
    for (int p = 0; p < 2000; ++p)
      store.TrackScalarStore().InsertValue(key, p, 70.0f + static_cast<float>(p % 31), kDb, 22,
                                           SignalBase::expire_mode, 1);
  }
  for (int s = 0; s < 2; ++s) {
    const QClavis key(1 + s, 2100, 1, 1, 410, 2);
    for (int p = 0; p < 200; ++p)
      store.TrackCurveStore().InsertValue(key, p, part.spectrogramRows[static_cast<size_t>(p)], 1);
  }
  store.CopyToHistoryStore();
  store.validated();
  store.evaluated(Kelva::end_measurement);
  store.evaluated(Kelva::end_mode);
}

void BM_ValueStorePart(benchmark::State& state) {
  CKelValueStore store;
  store.SetHistoryDepth(10);
  int serial = 0;
  for (int warm = 0; warm < 12; ++warm, ++serial)
    RunPart(store, Part(serial), serial);  // history full
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' work, not the store's
    const Part part(serial);
    state.ResumeTiming();
    RunPart(store, part, serial++);
  }
  state.counters["sample_bytes_copied_per_part"] =
      static_cast<double>(CAlignedMemStats::BytesCopied() - copied) /
      static_cast<double>(state.iterations());
  state.counters["history_entries"] =
      static_cast<double>(store.SingleValueMapSectionHistory().size());
}
BENCHMARK(BM_ValueStorePart)->Unit(benchmark::kMillisecond);

}  // namespace
