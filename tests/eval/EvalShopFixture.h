#pragma once
// A plan for the evaluation shop tests: single values (instrument 1), order tracks (2001) and
// spectrograms (2100) in the run-up, whose trigger axis runs 800 + 10·cell rpm.
//   rms (100, error code 17), crest (106: a limit record, but no error code record), switched
//     (107: limit switch 2, not evaluated);
//   repeatRms: rms in the virtual mode 3 of the run-up, with its own limit record and the
//     run-up's error code;
//   track (400, code 40), axislessTrack (401, code 50, trigger 2 without axis);
//   spectrogram (210, code 60), axislessSpectrogram (211, code 70, trigger 2),
//     uncodedSpectrogram (212: a LimArea record, but no error code record).
// The plan is installed without the plan check, which refuses a track trigger without axis.
// The tests write values with their limits into the value store directly, as the limit shop
// leaves them, and evaluate them.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "eval/KelEvalShop.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

class EvalShopTest : public ::testing::Test {
 protected:
  static constexpr int kRunUp = 1;
  static constexpr int kRepeat = 3;
  static constexpr int kRmsCode = 17;
  static constexpr int kTrackCode = 40;
  static constexpr int kSpectrogramCode = 60;

  void SetUp() override {
    TestPlan::Builder plan = Plan();
    ParamDatabase::Install(std::make_shared<const CParamSet>(plan.Set()));
    results.MeasurementRepetitionClearsErrors(false);
  }
  void TearDown() override { ParamDatabase::Reset(); }

  TestPlan::Builder Plan() const {
    TestPlan::Builder plan("evaluation");
    plan.Mode(kRunUp, "Run-up")
        .Mode(kRepeat, "Run-up repeat", QVModeProps::mfAcoustic, kRunUp)
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Order track", 2)
        .Instrument(2100, "Spectrogram", 5)
        .Channel(1, "Gearbox acceleration")
        .Location(1, "Housing")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Input shaft speed")
        .Trigger(2, "Output shaft speed")
        .TriggerAxis(kRunUp, 1, 1, 1, 800, 10, 321)
        .Parameter(100, 1, "RMS")
        .Parameter(106, 1, "Crest")
        .Parameter(107, 1, "Switched")
        .Parameter(400, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(401, 2001, "Order 46", QVInstrumentParam::eval_upper, 2)
        .Parameter(210, 2100, "Spectrogram", QVInstrumentParam::eval_upper, 1)
        .Parameter(211, 2100, "Output spectrogram", QVInstrumentParam::eval_upper, 2)
        .Parameter(212, 2100, "Bare spectrogram", QVInstrumentParam::eval_upper, 1)
        .Quantity(rms, kRmsCode)
        .Quantity(switched, 19)
        .Quantity(track, kTrackCode)
        .Quantity(axislessTrack, 50)
        .Quantity(spectrogram, kSpectrogramCode)
        .Quantity(axislessSpectrogram, 70)
        .SValueLimit(rms, 0.0f, 100.0f)
        .SValueLimit(repeatRms, 0.0f, 100.0f)
        .SValueLimit(crest, 0.0f, 100.0f)
        .SValueLimit(switched, 0.0f, 100.0f, 2);
    for (const QClavis& key : {track, axislessTrack}) plan.CurveLimit(key, -1, -1);
    for (const QClavis& key : {spectrogram, axislessSpectrogram, uncodedSpectrogram})
      plan.Set().limArea[key] = QVLimArea{1, 0.0f, 0.0f};
    return plan;
  }

  // A final single value with its limit, waiting for evaluation.
  void SingleValue(const QClavis& key, float value, int evalMode, float limit, float mean = 3.5f,
                   float position = 12.5f) {
    KelStoreSValue stored;
    stored.value = value;
    stored.evalMode = evalMode;
    stored.limit = limit;
    stored.mean = mean;
    stored.position = position;
    values.FinalScalarStore().InsertValue(key, stored, 1);
  }
  // Track points at cells 0, 1, … with the same limits (mean: the cell + 0.5).
  void Track(const QClavis& key, const std::vector<float>& points, int evalMode, float upper,
             float lower = 0.0f) {
    for (size_t cell = 0; cell < points.size(); ++cell) {
      KelStoreTrackPoint& point = values.TrackScalarStore().InsertValue(
          key, static_cast<long long>(cell), points[cell], CMeasuringUnit(), 0,
          SignalBase::expire_measurement, 1);
      point.evalMode = evalMode;
      point.upperLimit = upper;
      point.lowerLimit = lower;
      point.mean = static_cast<float>(cell) + 0.5f;
    }
  }
  // A spectrum of a spectrogram at a cell, with a constant limit curve and limit state.
  void Spectrum(const QClavis& key, long long cell, const std::vector<float>& samples, float limit,
                int limitState) {
    KelSigCurve curve;
    curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), 0.5f,
                     CMeasuringUnit(CMeasuringUnit::cuOrder),
                     CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2));
    KelSigLimitCurve& stored = values.TrackCurveStore().InsertValue(key, cell, curve, 1);
    for (uint32_t bin = 0; bin < stored.size(); ++bin) stored.LimitData()[bin] = limit;
    stored.LimitState(limitState);
  }
  // `count` spectra of `bins` bins at cells 0, 1, …, all `level`, limit 10.
  void FlatSpectra(const QClavis& key, int count, unsigned bins, float level, int limitState) {
    for (int cell = 0; cell < count; ++cell)
      Spectrum(key, cell, std::vector<float>(bins, level), 10.0f, limitState);
  }
  // Changes one bin of a stored spectrum.
  void SetBin(const QClavis& key, long long cell, unsigned bin, float value) {
    KelSigLimitCurve& stored = values.TrackCurveStore()
                                   .ValueMap()
                                   .at(values.TrackCurveStore().KeyOfDovetar(key))
                                   .points.at(cell);
    const KelSigCurve curve = stored.Curve();
    std::vector<float> samples(curve.data(), curve.data() + curve.size());
    samples[bin] = value;
    const std::vector<float> limit(stored.LimitData(), stored.LimitData() + stored.size());
    const int state = stored.LimitState();
    Spectrum(key, cell, samples, limit.empty() ? 0.0f : limit[0], state);
  }

  // The errors of a key in the order they were entered.
  std::vector<KelStoreError> ErrorsOf(const QClavis& key) const {
    std::vector<KelStoreError> errors;
    auto [first, last] = results.Errors().equal_range(key);
    for (; first != last; ++first) errors.push_back(first->second);
    return errors;
  }
  std::string Text(const QClavis& key) const { return CDtParamInstance().FormatClavisText(key); }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& line : output.Lines()) texts.push_back(line.text);
    return texts;
  }
  static std::string NonFiniteLine(const std::string& keyText, const std::string& name,
                                   const std::string& position) {
    return "CKelEvalShop: '" + keyText + "' measured a value that is not a finite number (" + name +
           ") at " + position + "; it counts as a violation\n";
  }

  const QClavis rms{kRunUp, 1, 1, 1, 100, 0};
  const QClavis crest{kRunUp, 1, 1, 1, 106, 0};
  const QClavis switched{kRunUp, 1, 1, 1, 107, 0};
  const QClavis repeatRms{kRepeat, 1, 1, 1, 100, 0};
  const QClavis track{kRunUp, 2001, 1, 1, 400, 0};
  const QClavis axislessTrack{kRunUp, 2001, 1, 1, 401, 0};
  const QClavis spectrogram{kRunUp, 2100, 1, 1, 210, 0};
  const QClavis axislessSpectrogram{kRunUp, 2100, 1, 1, 211, 0};
  const QClavis uncodedSpectrogram{kRunUp, 2100, 1, 1, 212, 0};

  CDtParamInstance params;
  CKelValueStore values;
  CResultShop results;
  CKelLearnStore learn{values, -1};
  CKelEvalShop shop{params, values, results, learn};
  PrWin::CaptureSink output;
};
