// One part through the value store: the reference part (ReferencePart.h) is inserted, copied
// into a history section (depth 10), validated and evaluated. Reports the time per part and the
// sample bytes copied per part (history sections share samples: the goal is 0). Every part
// arrives in new sample buffers, made outside the timed part.
//
// Memory: the heap the store holds once the history is full and no part of the benchmark's own
// is left (its buffers are then the store's), against the raw samples of the history's sections
// (depth × ReferencePart::kSampleBytesPerPart, about 51 MB). The store's current values are in
// the figure: its spectra share the newest section's buffers, its single values and track points
// are its own. Blocks waiting on the free lists of the node and buffer pools are not the store's:
// they are left out of the heap held, before and after.
#include <benchmark/benchmark.h>

#include "AllocationCount.h"
#include "ReferencePart.h"
#include "host/BufferPool.h"
#include "host/NodePool.h"
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

constexpr int kHistoryDepth = 10;

// The heap held outside the pools' free lists.
int64_t HeapBytesInUse() {
  return HeapBytesHeld() - static_cast<int64_t>(BufferPool::HeldBytes() + NodePool::freeBytes);
}

void BM_ValueStorePart(benchmark::State& state) {
  const int64_t heldBefore = HeapBytesInUse();
  CKelValueStore store;
  store.SetHistoryDepth(kHistoryDepth);
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
  const double storeBytes = static_cast<double>(HeapBytesInUse() - heldBefore);
  state.counters["store_megabytes"] = storeBytes / 1e6;
  state.counters["store_bytes_per_history_sample_byte"] =
      storeBytes / (kHistoryDepth * ReferencePart::kSampleBytesPerPart);
  state.counters["history_entries"] =
      static_cast<double>(store.SingleValueMapSectionHistory().size());
}
BENCHMARK(BM_ValueStorePart)->Unit(benchmark::kMillisecond);

}  // namespace
