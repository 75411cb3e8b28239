// Derived quantities of one part: the instrument shop's pass loop over the reference part
// (ReferencePart.h) with ten derived quantities for each calculator of a family:
//   1 spectra → single values: hats (band maxima), first harmonic peaks, deviations from a
//     polygon (type 3, summed exceedance), each of one of the first ten spectra;
//   2 tracks → single values: interval maxima (1,000–2,000 rpm), polygon statistics (mode 5,
//     RMS deviation) and regression slopes, each of one of the first ten order tracks;
//   3 arithmetic: differences of two single values, differences of two order tracks;
//   4 tracks → tracks: single integrations of order tracks into velocity tracks.
// Argument 0 runs all four families together (90 derived quantities).
//
// Timed: exactly CKelInstrumentShop::Run() for the part (every pass, until a pass finds nothing
// new). Not timed: the dismissal of the previous part and the part's arrival in new sample
// buffers, with validation tag 1 as the intake station gives it.
//
// Counter: derived quantities per part, checked for every part against the family's count.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "ReferencePart.h"
#include "ReferencePlan.h"
#include "eval/KelInstrumentShop.h"
#include "host/Output.h"
#include "host/Params.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace {

using namespace ReferencePlan;
using ReferencePart::ScalarTrackKey;
using ReferencePart::SingleValueKey;
using ReferencePart::SpectrumKey;

constexpr int kPerCalculator = 10;
constexpr int kFamilies = 4;

void Calc(TestPlan::Builder& plan, int parameter, int number, const std::string& value) {
  plan.Set().ipCalcParameter[QIdx2(parameter, number)] = QVIpCalcParameter{value, ""};
}

// A derived quantity of `instrument` with the key fields of `like`.
QClavis Derive(TestPlan::Builder& plan, const QClavis& like, int instrument, int parameter,
               int trigger = -1) {
  plan.Parameter(parameter, instrument, "Derived " + std::to_string(parameter),
                 QVInstrumentParam::eval_upper, trigger);
  QClavis key = like;
  key.set_instrument(instrument);
  key.set_parameter(parameter);
  plan.Quantity(key, -1);
  return key;
}

void AddBand(TestPlan::Builder& plan, int parameter, float low, float high) {
  QVSpecIntervalEntry band;
  band.definition.low = low;
  band.definition.high = high;
  plan.Set().specIntervals[QIdx2(parameter, 0)] = band;
  plan.Set().ipSvOfSpec[QIdx1(parameter)] = QVIpSvOfSpec{2, "O", -1};
}

void AddSpectrumFamily(TestPlan::Builder& plan) {
  plan.Instrument(1001, "Hat", 1).Instrument(10100, "First maximum", 1);
  plan.Instrument(10101, "Spectrum deviation", 1);
  for (int i = 0; i < kPerCalculator; ++i) {
    const QClavis spectrum = SpectrumKey(i);
    const std::string source = std::to_string(spectrum.parameter());
    const int hat = Derive(plan, spectrum, 1001, 3000 + i).parameter();
    Calc(plan, hat, 8, source);
    AddBand(plan, hat, 10.0f + static_cast<float>(i), 12.0f + static_cast<float>(i));
    Calc(plan, Derive(plan, spectrum, 10100, 3100 + i).parameter(), 8, source);
    const int deviation = Derive(plan, spectrum, 10101, 3200 + i).parameter();
    Calc(plan, deviation, 9, "3");
    Calc(plan, deviation, 10, std::to_string(kSpectrumUpperPolygon));
    Calc(plan, deviation, 14, "0");
    Calc(plan, deviation, 15, "0");
  }
}

void AddTrackFamily(TestPlan::Builder& plan) {
  plan.Instrument(10000, "Track interval", 1).Instrument(10001, "Track polygon", 1);
  plan.Instrument(16000, "Track regression", 1);
  for (int t = 0; t < kPerCalculator; ++t) {
    const QClavis track = ScalarTrackKey(t);
    const std::string source = std::to_string(track.parameter());
    const int interval = Derive(plan, track, 10000, 4000 + t).parameter();
    for (const auto& [number, value] : {std::pair{0, "2"}, {5, "1000"}, {6, "2000"}, {7, "2001"}})
      Calc(plan, interval, number, value);
    Calc(plan, interval, 8, source);
    const int polygon = Derive(plan, track, 10001, 4100 + t).parameter();
    Calc(plan, polygon, 8, source);
    Calc(plan, polygon, 9, "5");
    Calc(plan, polygon, 10, std::to_string(kTrackUpperPolygon));
    const int regression = Derive(plan, track, 16000, 4200 + t).parameter();
    Calc(plan, regression, 8, source);
    Calc(plan, regression, 17, "1");
  }
}

void AddArithmeticFamily(TestPlan::Builder& plan) {
  plan.Instrument(10201, "Arithmetic", 1).Instrument(11201, "Track arithmetic", 2);
  for (int i = 0; i < kPerCalculator; ++i) {
    // Single values i and i + 12 share mode, channel, location and sensor.
    const int sv = Derive(plan, SingleValueKey(i), 10201, 5000 + i).parameter();
    Calc(plan, sv, 27, "2");
    Calc(plan, sv, 8, std::to_string(SingleValueKey(i).parameter()));
    Calc(plan, sv, 29, std::to_string(SingleValueKey(i + 12).parameter()));
    // Tracks 5·m … 5·m + 4 share mode m + 1.
    const int a = (i / 4) * 5 + i % 4;
    const int track = Derive(plan, ScalarTrackKey(a), 11201, 5100 + i, kTrigger).parameter();
    Calc(plan, track, 27, "2");
    Calc(plan, track, 8, std::to_string(ScalarTrackKey(a).parameter()));
    Calc(plan, track, 29, std::to_string(ScalarTrackKey(a + 1).parameter()));
  }
}

void AddTrackFromTrackFamily(TestPlan::Builder& plan) {
  plan.Instrument(11000, "Track from track", 2);
  for (int t = 0; t < kPerCalculator; ++t) {
    const QClavis track = ScalarTrackKey(t);
    AddBand(plan, track.parameter(), 22.5f, 23.5f);
    const int velocity = Derive(plan, track, 11000, 6000 + t, kTrigger).parameter();
    Calc(plan, velocity, 8, std::to_string(track.parameter()));
    Calc(plan, velocity, 12, "1");
  }
}

// The derived quantities of a family per part (family 0: all).
int DerivedPerPart(int family) {
  const int calculators[kFamilies + 1] = {9, 3, 3, 2, 1};
  return calculators[family] * kPerCalculator;
}

bool InstallFamily(int family) {
  TestPlan::Builder plan = MakePlan("instrument benchmark", LimitTerms{});
  if (family == 0 || family == 1) AddSpectrumFamily(plan);
  if (family == 0 || family == 2) AddTrackFamily(plan);
  if (family == 0 || family == 3) AddArithmeticFamily(plan);
  if (family == 0 || family == 4) AddTrackFromTrackFamily(plan);
  return plan.Install();
}

// The derived quantities the part holds: every value or track of a quantity whose instrument
// is not one the reference part measures.
int CountDerived(const CKelValueStore& values) {
  int count = 0;
  for (const auto& [key, value] : values.SingleValueMap()) count += key.instrument() != 1;
  for (const auto& [trackKey, track] : values.TrackScalarStore().ValueMap())
    count += values.TrackScalarStore().DovetarOfKey(trackKey).instrument() != 2001;
  return count;
}

void BM_DeriveQuantities(benchmark::State& state) {
  const int family = static_cast<int>(state.range(0));
  if (family < 0 || family > kFamilies || !InstallFamily(family)) {
    state.SkipWithError("the benchmark's plan was refused");
    return;
  }
  PrWin::CaptureSink output;
  CKelValueStore values;
  CKelLearnStore learned(values, -1);
  CKelInstrumentShop shop(values, learned);
  shop.Reset();
  int serial = 0;
  std::unique_ptr<ReferencePart::Spectra> part;
  double derived = 0;
  std::string failure;
  for (auto _ : state) {
    state.PauseTiming();
    values.DismissValues();
    part.reset();  // the previous part's buffers go before the new ones come
    part = std::make_unique<ReferencePart::Spectra>(serial);
    Arrive(values, *part, serial++);
    state.ResumeTiming();
    shop.Run();
    state.PauseTiming();
    const int count = CountDerived(values);
    derived += count;
    if (count != DerivedPerPart(family) && failure.empty())
      failure = "a part got " + std::to_string(count) + " derived quantities, expected " +
                std::to_string(DerivedPerPart(family));
    state.ResumeTiming();
  }
  if (!failure.empty()) state.SkipWithError(failure.c_str());
  if (!output.Text().empty() && failure.empty())
    state.SkipWithError(("the calculators wrote: " + output.Text()).c_str());
  state.counters["derived_per_part"] =
      benchmark::Counter(derived / static_cast<double>(state.iterations()));
}

}  // namespace

BENCHMARK(BM_DeriveQuantities)
    ->ArgName("family")
    ->DenseRange(0, kFamilies)
    ->Unit(benchmark::kMillisecond);
