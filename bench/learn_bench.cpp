// Learning one part: the reference part (ReferencePart.h) is learned by a learn store that
// learns everything (spectrograms included) forever with time constant 10, as the evaluation
// cycle does at the end of each mode: Learn(mode, end_measurement) for the single values,
// spectra and spectrograms, Learn(mode, end_mode) for the scalar tracks, for modes 1 to 4.
//
// Timed: exactly those learn calls. Not timed: the part's arrival (new sample buffers, insert,
// validation) and the dismissal of the previous part. Every item exists before timing starts
// (warm-up parts), so the figure is the steady state of a running line.
//
// Counters: values learned per part (the expected count is checked), sample buffers allocated
// per part while learning (the goal is 0), and the memory the learn store holds for the
// reference part (LearnStoreMemory.h): learned samples and an estimate of the overhead.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "LearnStoreMemory.h"
#include "ReferencePart.h"
#include "ReferencePlan.h"
#include "host/ParamSet.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace {

constexpr int kForever = 1;
constexpr float kTimeConstant = 10.0f;
constexpr int kWarmUpParts = 3;
using ReferencePart::kValuesPerPart;
using ReferencePlan::LearnPart;

// Every quantity of the reference part learns by its own learn parameter (the lookup a plan
// without a default learn procedure makes), all with the same never-ending procedure.
bool InstallPlan() {
  using namespace ReferencePart;
  TestPlan::Builder plan("learn benchmark");
  for (int mode = 1; mode <= kModes; ++mode) plan.Mode(mode, "Mode " + std::to_string(mode));
  AddPartDefinitions(plan);
  plan.LearnProcedure(kForever, -1, 0, kTimeConstant);
  for (int t = 0; t < kScalarTracks; ++t)
    plan.Parameter(ScalarTrackKey(t).parameter(), 2001, "Order " + std::to_string(t));
  plan.Parameter(SpectrogramKey(0).parameter(), 2100, "Spectrogram");
  auto learns = [&plan](const QClavis& key) {
    plan.Set().ipLearnParameter[key] = QVIpLearnParameter{kForever};
  };
  for (int i = 0; i < kSingleValues; ++i) learns(SingleValueKey(i));
  for (int i = 0; i < kSpectra; ++i) learns(SpectrumKey(i));
  for (int t = 0; t < kScalarTracks; ++t) learns(ScalarTrackKey(t));
  for (int s = 0; s < kSpectrograms; ++s) learns(SpectrogramKey(s));
  return plan.Install();
}

// The part's values waiting for evaluation, as the sequencer has them after validation.
void Arrive(CKelValueStore& values, const ReferencePart::Spectra& part, int serial) {
  values.DismissValues();
  ReferencePart::Insert(values, part, serial);
  values.validated();
}

void BM_LearnPart(benchmark::State& state) {
  if (!InstallPlan()) {
    state.SkipWithError("the benchmark's plan was refused");
    return;
  }
  CKelValueStore values;
  CKelLearnStore store(values, -1);
  store.LearnSpectrograms(true);
  int serial = 0;
  std::unique_ptr<ReferencePart::Spectra> part;
  for (; serial < kWarmUpParts; ++serial) {
    part = std::make_unique<ReferencePart::Spectra>(serial);
    Arrive(values, *part, serial);
    LearnPart(store);
  }
  uint64_t learned = 0;
  uint64_t allocated = 0;
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' and the value store's work, not the learn store's
    values.DismissValues();
    part.reset();  // the previous part's buffers go before the new ones come
    part = std::make_unique<ReferencePart::Spectra>(serial);
    Arrive(values, *part, serial++);
    const uint64_t allocationsBefore = CAlignedMemStats::Allocations();
    state.ResumeTiming();
    learned += LearnPart(store);
    allocated += CAlignedMemStats::Allocations() - allocationsBefore;
  }
  const double parts = static_cast<double>(state.iterations());
  if (static_cast<double>(learned) != kValuesPerPart * parts) {
    state.SkipWithError("a part did not learn every value");
    return;
  }
  state.counters["values_learned_per_part"] = static_cast<double>(learned) / parts;
  state.counters["sample_buffers_allocated_per_part"] = static_cast<double>(allocated) / parts;
  const LearnStoreMemory::Tally memory = LearnStoreMemory::Bytes(store);
  state.counters["learn_store_sample_bytes"] = static_cast<double>(memory.sampleBytes);
  state.counters["learn_store_bytes"] = static_cast<double>(memory.Total());
  ParamDatabase::Reset();
}
BENCHMARK(BM_LearnPart)->Unit(benchmark::kMillisecond);

}  // namespace
