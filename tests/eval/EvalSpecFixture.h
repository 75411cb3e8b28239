#pragma once
// A plan for the spectral evaluation (run-up, mode 3 a virtual mode of it; x step 0.5 unless
// said otherwise, so the band 1..2 orders covers bins 2..4):
//   spectra on channel 1, location 1: spectrum (instrument 2500, parameter 300, upper, code
//     51), floor (2500, 301, lower, code 52), envelope (2700, 310, code 53), plain (30, 320,
//     code 54), unparametrized (2500, 302: a curve limit but no QVIpParamAndStore record);
//   hats of the run-up on channel 1, location 1, band 1..2 orders: maximum 700 (upper, code
//     77), minimum 703 (code 78), energetic sum 705 (code 79).
// Every spectrum has a curve limit with evaluation switch 1.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "eval/KelEvalSpec.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

class EvalSpecTest : public ::testing::Test {
 protected:
  static constexpr int kRunUp = 1;
  static constexpr int kRepeat = 3;

  void SetUp() override { ASSERT_TRUE(Plan().Install()); }
  void TearDown() override { ParamDatabase::Reset(); }

  TestPlan::Builder Plan() const {
    TestPlan::Builder plan("spectra");
    plan.Mode(kRunUp, "Run-up")
        .Mode(kRepeat, "Run-up repeat", QVModeProps::mfAcoustic, kRunUp)
        .Instrument(2500, "Order spectrum", 3)
        .Instrument(2700, "Envelope spectrum", 3)
        .Instrument(30, "Plain spectrum", 3)
        .Instrument(1001, "Hat", 1)
        .Channel(1, "Housing accel.")
        .Location(1, "Housing")
        .Parameter(300, 2500, "Spectrum")
        .Parameter(301, 2500, "Floor", QVInstrumentParam::eval_lower)
        .Parameter(302, 2500, "Unparametrized")
        .Parameter(310, 2700, "Envelope")
        .Parameter(320, 30, "Plain")
        .ErrorCode(51, "Spectrum too loud", 1, 1)
        .ErrorCode(52, "Floor too low", 1, 1)
        .ErrorCode(53, "Envelope too loud", 1, 1)
        .ErrorCode(54, "Plain too loud", 1, 1)
        .ErrorCode(77, "Order 2 too loud", 1, 1)
        .ErrorCode(78, "Order 2 too quiet", 1, 1)
        .ErrorCode(79, "Order 2 sum", 1, 1);
    const std::vector<std::pair<QClavis, int>> spectra = {
        {spectrum, 51}, {floor, 52}, {envelope, 53}, {plain, 54}};
    for (const auto& [key, code] : spectra) plan.Quantity(key, code).CurveLimit(key, -1, -1);
    plan.CurveLimit(unparametrized, -1, -1);
    Hat(plan, 700, "Order 2 maximum", 2, 77);
    Hat(plan, 703, "Order 2 minimum", 1, 78);
    Hat(plan, 705, "Order 2 sum", 4, 79);
    return plan;
  }
  static void Hat(TestPlan::Builder& plan, int parameter, const std::string& name,
                  int interpretation, int code) {
    const QClavis key(kRunUp, 1001, 1, 1, parameter, 0);
    plan.Parameter(parameter, 1001, name).Quantity(key, code).SValueLimit(key, 0.0f, 33.0f);
    plan.Set().ipSvOfSpec[QIdx1(parameter)] = QVIpSvOfSpec{interpretation, "O1-2", -1};
    QVSpecIntervalEntry band;
    band.definition.low = 1.0f;
    band.definition.high = 2.0f;
    plan.Set().specIntervals[QIdx2(parameter, 0)] = band;
  }

  // A measured spectrum waiting for validation, with its limit and limit state.
  KelSigLimitCurve& Spectrum(const QClavis& key, const std::vector<float>& samples,
                             const std::vector<float>& limit,
                             int mode = QVInstrumentParam::eval_upper, float delta = 0.5f) {
    KelSigCurve curve;
    curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta,
                     CMeasuringUnit(CMeasuringUnit::cuOrder),
                     CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2));
    KelSigLimitCurve& stored = values.FinalCurveStore().InsertValue(key, curve, 1);
    std::copy(limit.begin(), limit.end(), stored.LimitData());
    stored.LimitState(mode);
    return stored;
  }
  static std::vector<float> Constant(float value, size_t n = 12) {
    return std::vector<float>(n, value);
  }
  // What the spectrum has learned: `count` parts with this average.
  void Learned(const QClavis& key, uint32_t count, const std::vector<float>& average,
               float delta = 0.5f) {
    KelLearnCurve& item = learn.LearnedSigCurveMap()[key];
    item.count = count;
    item.Average().ImportData(average.data(), static_cast<uint32_t>(average.size()), delta,
                              CMeasuringUnit(CMeasuringUnit::cuOrder),
                              CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2));
  }
  // The error list, one line per entry: "mode/instrument/parameter code value limit mean at
  // position".
  std::string Errors() const {
    std::string text;
    for (const auto& [key, error] : results.Errors()) {
      char line[200];
      std::snprintf(line, sizeof(line), "%d/%d/%d %d %g %g %g at %g\n", key.mode(),
                    key.instrument(), key.parameter(), error.code, double(error.value),
                    double(error.limit), double(error.mean), double(error.position));
      text += line;
    }
    return text;
  }
  std::string Text(const QClavis& key) const { return params.FormatClavisText(key); }

  const QClavis spectrum{kRunUp, 2500, 1, 1, 300, 0};
  const QClavis floor{kRunUp, 2500, 1, 1, 301, 0};
  const QClavis unparametrized{kRunUp, 2500, 1, 1, 302, 0};
  const QClavis envelope{kRunUp, 2700, 1, 1, 310, 0};
  const QClavis plain{kRunUp, 30, 1, 1, 320, 0};
  const QClavis repeatSpectrum{kRepeat, 2500, 1, 1, 300, 0};

  CDtParamInstance params;
  CKelValueStore values;
  CResultShop results;
  CKelLearnStore learn{values, -1};
  CKelEvalSpec eval{params, values, results, learn};
  PrWin::CaptureSink output;
};
