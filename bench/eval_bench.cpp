// Evaluation of one part: the evaluation shop compares every value of the reference part
// (ReferencePart.h) with the limit the limit shop wrote, as the evaluation cycle does, and enters
// one error per violation:
//   - 2,000 single values against their learned limits (LimSValue);
//   - 200 spectra of 4,096 bins bin by bin against their limit curves (LimCValue, the learned
//     limit widened by kChimneyPoints points and held between two polygons);
//   - 20 scalar tracks of 2,000 points point by point (LimCValue, two polygons);
//   - 2 spectrograms of 200 × 1,024 bins bin by bin (LimArea).
// Every quantity learns with a procedure of two base learns and has an error code; warm-up parts
// are learned first, so the learned limits apply.
//
// Argument: the percentage of spectra that violate their limit. 0: no value of the part violates
// its limit. 5: every twentieth spectrum (10 of 200) has one peak of kPeakBins bins at
// kPeakLevel, above the highest limit its upper polygon allows, so it enters exactly one error.
//
// Timed: exactly CKelEvalShop::Evaluate() for the part. Not timed: the dismissal of the previous
// part, the part's arrival in new sample buffers, its limit generation, the emptying of the
// result shop's error list and the reset of the spectral error vectors (the sequencer resets
// them for every new part, so the error vector of every spectrum over its limit is built inside
// Evaluate()). Emptying the error list matters little here: with "measurement repetition
// clears errors" (the result shop's default) a spectrum's earlier errors go before it is
// evaluated anyway.
//
// Counters: errors entered per part (checked against the argument for every part) and values
// compared with a limit per part (checked against the reference part's count).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "EvaluationLine.h"
#include "ReferencePart.h"
#include "host/Output.h"
#include "host/ParamSet.h"
#include "host/TestPlanBuilder.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

namespace {

using namespace ReferencePlan;

// One error code per kind of value; every code has severity 1.
constexpr int kSingleValueCode = 101;
constexpr int kSpectrumCode = 102;
constexpr int kTrackCode = 103;
constexpr int kSpectrogramCode = 104;
// The absolute offset of the learned limits. A track point's value wanders by up to 30 over the
// parts (ReferencePart::Insert) but is learned from the warm-up parts only, so the tracks' limits
// carry a larger offset that keeps every part's points below them.
constexpr float kOffset = 1.0f;
constexpr float kTrackOffset = 30.0f;
// The peak of a violating spectrum: kPeakBins bins from kPeakStart at kPeakLevel, above the
// upper polygon (at most 120), which caps the learned limit.
constexpr uint32_t kPeakStart = 2000;
constexpr uint32_t kPeakBins = 5;
constexpr float kPeakLevel = 130.0f;

// The spectra that violate their limit for a percentage: every (100 / percentage)th one.
int ViolatingSpectra(int percentage) {
  return ReferencePart::kSpectra * percentage / 100;
}
bool Violates(int spectrum, int percentage) {
  return percentage > 0 && spectrum % (100 / percentage) == 0;
}

// A new part in buffers of its own; the spectra chosen by `percentage` get their peak.
std::unique_ptr<ReferencePart::Spectra> MakePart(int serial, int percentage) {
  auto part = std::make_unique<ReferencePart::Spectra>(serial);
  for (int i = 0; i < ReferencePart::kSpectra; ++i) {
    if (!Violates(i, percentage)) continue;
    float* samples = part->spectra[static_cast<size_t>(i)].data();
    for (uint32_t bin = kPeakStart; bin < kPeakStart + kPeakBins; ++bin) samples[bin] = kPeakLevel;
  }
  return part;
}

// What went wrong with one part's evaluation, or empty: the count returned must be the expected
// one and every error must be in the result shop's list.
std::string CheckPart(unsigned errors, unsigned expected, const CResultShop& results) {
  if (errors != expected)
    return "a part entered " + std::to_string(errors) + " errors, expected " +
           std::to_string(expected);
  if (results.Errors().size() != errors)
    return "the result shop lists " + std::to_string(results.Errors().size()) + " errors, " +
           std::to_string(errors) + " were entered";
  return "";
}

void BM_EvaluatePart(benchmark::State& state) {
  const int percentage = static_cast<int>(state.range(0));
  if (percentage < 0 || percentage > 100 || (percentage > 0 && 100 % percentage != 0)) {
    state.SkipWithError("the percentage of violating spectra must be 0 or divide 100");
    return;
  }
  const LimitTerms terms{kSingleValueCode, kSpectrumCode, kTrackCode,
                         kSpectrogramCode, kOffset,       kTrackOffset};
  if (!InstallPlan("evaluation benchmark", terms)) {
    state.SkipWithError("the benchmark's plan was refused");
    return;
  }
  PrWin::CaptureSink output;
  EvaluationLine line;
  CKelValueStore& values = line.values;
  CResultShop& results = line.results;
  int serial = 0;
  std::unique_ptr<ReferencePart::Spectra> part;
  for (; serial < kWarmUpParts; ++serial) {
    part = MakePart(serial, 0);
    Arrive(values, *part, serial);
    line.LimitAndLearn();
  }
  output.Clear();
  const unsigned expected = static_cast<unsigned>(ViolatingSpectra(percentage));
  double errors = 0;
  double limited = 0;
  std::string failure;
  for (auto _ : state) {
    state.PauseTiming();  // the instruments', the value store's and the limit shop's work
    values.DismissValues();
    part.reset();  // the previous part's buffers go before the new ones come
    part = MakePart(serial, percentage);
    Arrive(values, *part, serial++);
    line.limitShop.GenerateLimits();
    results.DismissErrors();
    line.evalShop.ResetSpectralErrorVectors();
    state.ResumeTiming();
    const unsigned entered = line.evalShop.Evaluate();
    state.PauseTiming();
    errors += entered;
    limited += LimitedValues(values);
    if (failure.empty()) failure = CheckPart(entered, expected, results);
    state.ResumeTiming();
  }
  const double parts = static_cast<double>(state.iterations());
  state.counters["errors_per_part"] = errors / parts;
  state.counters["values_per_part"] = limited / parts;
  ParamDatabase::Reset();
  // The first message names what the plan lacks.
  const std::string message = output.Lines().empty() ? "" : output.Lines().front().text;
  if (!failure.empty()) {
    failure += ". " + message;
    state.SkipWithError(failure.c_str());
  } else if (limited != kLimitsPerPart * parts) {
    const std::string error =
        "a part's values were not all limited: " + std::to_string(limited / parts) + " per part. " +
        message;
    state.SkipWithError(error.c_str());
  } else if (!message.empty()) {
    const std::string error = "the shops wrote messages: " + message;
    state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_EvaluatePart)->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace
