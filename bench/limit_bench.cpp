// Limit generation for one part: the limit shop sets the limits of every value of the reference
// part (ReferencePart.h) as the evaluation cycle does before it compares values with limits:
//   - 2,000 single values with a LimSValue record each;
//   - 200 spectra of 4,096 bins with a LimCValue record each: the learned limit widened by
//     kChimneyPoints points to either side and held between a lower and an upper polygon;
//   - 20 scalar tracks of 2,000 points with a LimCValue record each (two polygons);
//   - 2 spectrograms of 200 × 1,024 bins with a LimArea record each.
// Every quantity learns with a procedure of two base learns; warm-up parts are learned first,
// so the learned limits apply (not the bounds of a quantity still learning).
//
// Timed: exactly CKelLimitShop::GenerateLimits() for the part. Not timed: the part's arrival
// in new sample buffers (made for every part, so that no buffer of a previous part is reused)
// and the dismissal of the previous part.
//
// Counters: values limited per part (the expected count is checked) and messages the shop
// wrote (the goal is 0: a message means a plan record is missing and the figure is wrong).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ReferencePart.h"
#include "ReferencePlan.h"
#include "host/Output.h"
#include "host/ParamSet.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "store/KelValueStore.h"

namespace {

using namespace ReferencePlan;

void BM_GenerateLimits(benchmark::State& state) {
  if (!InstallPlan("limit benchmark", LimitTerms{})) {
    state.SkipWithError("the benchmark's plan was refused");
    return;
  }
  SetChimneyWidth(static_cast<float>(kChimneyPoints) * kSpectrumStep);
  PrWin::CaptureSink output;
  CKelValueStore values;
  CKelLearnStore store(values, -1);
  store.LearnSpectrograms(true);
  store.ReadChimneyWidths();
  CKelLimitShop shop(values, store);
  int serial = 0;
  std::unique_ptr<ReferencePart::Spectra> part;
  for (; serial < kWarmUpParts; ++serial) {
    part = std::make_unique<ReferencePart::Spectra>(serial);
    Arrive(values, *part, serial);
    shop.GenerateLimits();
    values.validated();
    LearnPart(store);
  }
  output.Clear();
  double limited = 0;
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' and the value store's work, not the shop's
    values.DismissValues();
    part.reset();  // the previous part's buffers go before the new ones come
    part = std::make_unique<ReferencePart::Spectra>(serial);
    Arrive(values, *part, serial++);
    state.ResumeTiming();
    shop.GenerateLimits();
    state.PauseTiming();
    limited += LimitedValues(values);
    state.ResumeTiming();
  }
  const double parts = static_cast<double>(state.iterations());
  // Learned, a single value's limit lies below its allowed maximum of 200.
  const bool learned = values.SingleValueMap().at(ReferencePart::SingleValueKey(0)).limit < 200.0f;
  state.counters["values_limited_per_part"] = limited / parts;
  state.counters["shop_messages"] = static_cast<double>(output.Lines().size());
  CSeaBase::ApplicationSea()->RemoveEntry("LimitCurveExpansionWidth-Default");
  ParamDatabase::Reset();
  // The first message names what the plan lacks.
  const std::string message = output.Lines().empty() ? "" : output.Lines().front().text;
  if (limited != kLimitsPerPart * parts) {
    const std::string error =
        "a part's values were not all limited: " + std::to_string(limited / parts) + " per part. " +
        message;
    state.SkipWithError(error.c_str());
  } else if (!learned) {
    state.SkipWithError("the learned limits did not apply");
  } else if (!message.empty()) {
    const std::string error = "the limit shop wrote messages: " + message;
    state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_GenerateLimits)->Unit(benchmark::kMillisecond);

}  // namespace
