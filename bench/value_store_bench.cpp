// One part through the value store: the reference part (ReferencePart.h) is inserted, copied
// into a history section (depth 10), validated and evaluated. Reports the time per part and the
// sample bytes copied per part (history sections share samples: the goal is 0). Every part
// arrives in new sample buffers, made outside the timed part.
#include <benchmark/benchmark.h>

#include "ReferencePart.h"
#include "store/KelValueStore.h"

namespace {

void RunPart(CKelValueStore& store, const ReferencePart::Spectra& part, int serial) {
  store.DismissValues();
  ReferencePart::Insert(store, part, serial);
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
    RunPart(store, ReferencePart::Spectra(serial), serial);  // history full
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' work, not the store's
    const ReferencePart::Spectra part(serial);
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
