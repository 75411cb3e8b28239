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
#include "host/Output.h"
#include "host/ParamSet.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "store/KelValueStore.h"

namespace {

constexpr int kProcedure = 1;
constexpr uint32_t kBaseLearns = 2;
constexpr float kTimeConstant = 10.0f;
constexpr int kWarmUpParts = 3;
constexpr int kTrigger = 1;
constexpr int kSpeedSignal = 1;
// The x step of the reference part's spectra and spectrogram rows (ReferencePart::MakeCurve).
constexpr float kSpectrumStep = 0.05f;
// The sideways widening of the spectra's learned limits, in points; the expansion width is
// given in x units, so it is this many steps.
constexpr int kChimneyPoints = 3;
constexpr int kSpectrumLowerPolygon = 1;
constexpr int kSpectrumUpperPolygon = 2;
constexpr int kTrackLowerPolygon = 3;
constexpr int kTrackUpperPolygon = 4;
// The trigger axis of every mode: 800 to 2,799 rpm, one cell per track point.
constexpr double kAxisStart = 800.0;
constexpr double kAxisStep = 1.0;
// One limit per single value, spectrum, track point and spectrogram row.
constexpr double kLimitsPerPart = ReferencePart::kSingleValues + ReferencePart::kSpectra +
                                  ReferencePart::kScalarTracks * ReferencePart::kTrackPoints +
                                  ReferencePart::kSpectrograms * ReferencePart::kSpectrogramRows;

void Limits(TestPlan::Builder& plan) {
  using namespace ReferencePart;
  plan.Polygon(kSpectrumLowerPolygon, {{0.0f, 20.0f}, {100.0f, 30.0f}, {205.0f, 20.0f}})
      .Polygon(kSpectrumUpperPolygon, {{0.0f, 120.0f}, {100.0f, 110.0f}, {205.0f, 120.0f}})
      .Polygon(kTrackLowerPolygon, {{800.0f, 20.0f}, {2800.0f, 40.0f}})
      .Polygon(kTrackUpperPolygon, {{800.0f, 150.0f}, {1800.0f, 140.0f}, {2800.0f, 150.0f}});
  auto limited = [&plan](const QClavis& key) {
    plan.Quantity(key, -1, 1.0f, 2.0f, 10.0f);
    plan.Set().ipLearnParameter[key] = QVIpLearnParameter{kProcedure};
  };
  for (int i = 0; i < kSingleValues; ++i) {
    limited(SingleValueKey(i));
    plan.SValueLimit(SingleValueKey(i), 0.0f, 200.0f);
  }
  for (int i = 0; i < kSpectra; ++i) {
    limited(SpectrumKey(i));
    plan.CurveLimit(SpectrumKey(i), kSpectrumLowerPolygon, kSpectrumUpperPolygon);
  }
  for (int t = 0; t < kScalarTracks; ++t) {
    limited(ScalarTrackKey(t));
    plan.CurveLimit(ScalarTrackKey(t), kTrackLowerPolygon, kTrackUpperPolygon);
  }
  for (int s = 0; s < kSpectrograms; ++s) {
    limited(SpectrogramKey(s));
    plan.Set().limArea[SpectrogramKey(s)] = QVLimArea{1, 10.0f, 150.0f};
  }
}

bool InstallPlan() {
  using namespace ReferencePart;
  TestPlan::Builder plan("limit benchmark");
  for (int mode = 1; mode <= kModes; ++mode) {
    plan.Mode(mode, "Mode " + std::to_string(mode))
        .TriggerAxis(mode, kTrigger, 1, kSpeedSignal, kAxisStart, kAxisStep, kTrackPoints);
  }
  AddPartDefinitions(plan);
  plan.Signal(kSpeedSignal, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
      .Trigger(kTrigger, "Input shaft speed")
      .LearnProcedure(kProcedure, -1, kBaseLearns, kTimeConstant);
  for (int t = 0; t < kScalarTracks; ++t)
    plan.Parameter(ScalarTrackKey(t).parameter(), 2001, "Order " + std::to_string(t),
                   QVInstrumentParam::eval_upper, kTrigger);
  plan.Parameter(SpectrogramKey(0).parameter(), 2100, "Spectrogram", QVInstrumentParam::eval_upper,
                 kTrigger);
  Limits(plan);
  return plan.Install();
}

// The expansion width of every limit curve, as the line's resources give it.
void SetChimneyWidth(float width) {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  sea->RemoveEntry("LimitCurveExpansionWidths");
  sea->CreateEntry("LimitCurveExpansionWidth-Default", 0);
  sea->LookupSetString("LimitCurveExpansionWidth-Default", std::to_string(width), 0);
}

// The part's values waiting for validation, as the sequencer has them before it sets limits.
void Arrive(CKelValueStore& values, const ReferencePart::Spectra& part, int serial) {
  values.DismissValues();
  ReferencePart::Insert(values, part, serial);
}

void LearnPart(CKelLearnStore& store) {
  for (int mode = 1; mode <= ReferencePart::kModes; ++mode) {
    store.Learn(mode, Kelva::end_measurement);
    store.Learn(mode, Kelva::end_mode);
  }
}

// The values of the part that carry a limit direction after the limit generation.
double LimitedValues(CKelValueStore& values) {
  double limited = 0;
  for (const auto& [key, value] : values.SingleValueMap()) limited += value.evalMode != 0 ? 1 : 0;
  for (const auto& [key, curve] : values.FinalCurveStore().ValueMap())
    limited += curve.LimitState() != 0 ? 1 : 0;
  for (const auto& [track, points] : values.TrackScalarStore().ValueMap())
    for (const auto& [cell, point] : points.points) limited += point.evalMode != 0 ? 1 : 0;
  for (const auto& [track, curves] : values.TrackCurveStore().ValueMap())
    for (const auto& [cell, curve] : curves.points) limited += curve.LimitState() != 0 ? 1 : 0;
  return limited;
}

void BM_GenerateLimits(benchmark::State& state) {
  if (!InstallPlan()) {
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
