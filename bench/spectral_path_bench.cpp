// The spectral path of one part: the 200 spectra of 4,096 bins of the reference part
// (ReferencePart.h), and nothing else, through what the evaluation cycle does with them:
//   - limits: the learned limit of every spectrum widened by kChimneyPoints points to either side
//     (the chimney) and held between a lower and an upper polygon (CKelLimitShop);
//   - evaluation: every bin against its limit (CKelEvalShop), no violation;
//   - learning: every spectrum learned into its mean and spread (CKelLearnStore).
// The plan is the reference plan of the limit and evaluation benchmarks; warm-up parts are
// learned first, so the learned limits apply.
//
// Timed: GenerateLimits(), Evaluate(), the validation that hands the spectra to learning, and
// the learn calls of every mode. Not timed: the dismissal of the previous part, the part's
// arrival in new sample buffers and the reset of the spectral error vectors.
//
// Checked for every part: 200 spectra limited and learned, no error entered, no message written.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "EvaluationLine.h"
#include "ReferencePart.h"
#include "host/Output.h"
#include "host/ParamSet.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

namespace {

using namespace ReferencePlan;

constexpr int kSpectrumCode = 102;

// The part's spectra waiting for their limits, as the sequencer has them.
void ArriveSpectra(CKelValueStore& values, const ReferencePart::Spectra& part) {
  values.DismissValues();
  ReferencePart::InsertSpectra(values, part);
}

// What went wrong with one part, or empty.
std::string CheckPart(double limited, unsigned errors, unsigned learned) {
  const double spectra = ReferencePart::kSpectra;
  if (limited != spectra) return std::to_string(limited) + " spectra limited";
  if (errors != 0) return std::to_string(errors) + " errors entered";
  if (learned != spectra) return std::to_string(learned) + " spectra learned";
  return "";
}

void BM_SpectralPathOfThePart(benchmark::State& state) {
  LimitTerms terms;
  terms.spectrumCode = kSpectrumCode;
  if (!InstallPlan("spectral path benchmark", terms)) {
    state.SkipWithError("the benchmark's plan was refused");
    return;
  }
  PrWin::CaptureSink output;
  EvaluationLine line;
  CKelValueStore& values = line.values;
  int serial = 0;
  std::unique_ptr<ReferencePart::Spectra> part;
  for (; serial < kWarmUpParts; ++serial) {
    part = std::make_unique<ReferencePart::Spectra>(serial);
    ArriveSpectra(values, *part);
    line.LimitAndLearn();
  }
  output.Clear();
  std::string failure;
  for (auto _ : state) {
    state.PauseTiming();  // the instruments' and the value store's work
    values.DismissValues();
    part.reset();  // the previous part's buffers go before the new ones come
    part = std::make_unique<ReferencePart::Spectra>(serial++);
    ArriveSpectra(values, *part);
    line.results.DismissErrors();
    line.evalShop.ResetSpectralErrorVectors();
    state.ResumeTiming();
    line.limitShop.GenerateLimits();
    const unsigned errors = line.evalShop.Evaluate();
    values.validated();
    const unsigned learned = LearnPart(line.store);
    state.PauseTiming();
    if (failure.empty()) failure = CheckPart(LimitedValues(values), errors, learned);
    state.ResumeTiming();
  }
  ParamDatabase::Reset();
  const std::string message = output.Lines().empty() ? "" : output.Lines().front().text;
  if (!failure.empty()) {
    failure = "a part went wrong: " + failure + ". " + message;
    state.SkipWithError(failure.c_str());
  } else if (!message.empty()) {
    const std::string error = "the shops wrote messages: " + message;
    state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_SpectralPathOfThePart)->Unit(benchmark::kMillisecond);

}  // namespace
