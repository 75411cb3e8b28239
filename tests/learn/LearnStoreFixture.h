#pragma once
// A small gearbox plan for the learn store tests: final scalars, an order track, a spectrum, a
// spectrogram and extreme-value tracks (instrument 5000), with learn procedures:
//   1: learn 3 values, 2 base learns, time constant 100 (plain averages for 3 values)
//   2: learn nothing (number 0)
//   3: learn forever, time constant 2
// Every quantity of the plan is parametrised (IpParamAndStore); learn parameters per key below.

#include <gtest/gtest.h>

#include <vector>

#include "host/Params.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

class LearnStoreTest : public ::testing::Test {
 protected:
  static constexpr int kRunUp = 1;
  static constexpr int kCoast = 2;

  void SetUp() override { ASSERT_TRUE(Plan().Install()); }
  void TearDown() override { ParamDatabase::Reset(); }

  TestPlan::Builder Plan() const {
    TestPlan::Builder plan("learning");
    plan.Mode(kRunUp, "Run-up")
        .Mode(kCoast, "Coast-down")
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Order track", 2)
        .Instrument(30, "Order spectrum", 3)
        .Instrument(2100, "Spectrogram", 5)
        .Instrument(5000, "Extreme track", 2)
        .Channel(1, "Gearbox acceleration")
        .Location(1, "Housing")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Input shaft speed")
        .TriggerAxis(kRunUp, 1, 1, 1, 800, 10, 321)
        .TriggerAxis(kCoast, 1, 1, 1, 800, 10, 321)
        .Parameter(100, 1, "RMS")
        .Parameter(101, 1, "Peak")
        .Parameter(102, 1, "Kurtosis")
        .Parameter(400, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(300, 30, "Order spectrum")
        .Parameter(210, 2100, "Spectrogram", QVInstrumentParam::eval_upper, 1)
        .Parameter(500, 5000, "Lowest level", QVInstrumentParam::eval_lower, 1)
        .Parameter(501, 5000, "Highest level", QVInstrumentParam::eval_upper, 1)
        .LearnProcedure(1, 3, 2, 100.0f)
        .LearnProcedure(2, 0, 0, 100.0f)
        .LearnProcedure(3, -1, 0, 2.0f);
    for (const QClavis& key :
         {rms, peak, kurtosis, coastRms, track, spectrum, spectrogram, lowest, highest})
      plan.Quantity(key, -1);
    Learns(plan, rms, 1);
    Learns(plan, peak, 2);
    Learns(plan, coastRms, 1);
    Learns(plan, track, 1);
    Learns(plan, spectrum, 1);
    Learns(plan, spectrogram, 1);
    Learns(plan, lowest, 3);
    Learns(plan, highest, 3);
    return plan;
  }
  static void Learns(TestPlan::Builder& plan, const QClavis& key, int procedure) {
    plan.Set().ipLearnParameter[key] = QVIpLearnParameter{procedure};
  }

  // One part's values waiting for evaluation, as the sequencer has them after validation.
  void Scalar(const QClavis& key, float value) {
    KelStoreSValue stored;
    stored.value = value;
    values.FinalScalarStore().InsertValue(key, stored, 1);
  }
  void Spectrum(const QClavis& key, std::vector<float> samples, float delta = 0.5f) {
    values.FinalCurveStore().InsertValue(key, Curve(samples, delta), 1);
  }
  static KelSigCurve Curve(std::vector<float> samples, float delta = 0.5f) {
    KelSigCurve curve;
    curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta,
                     CMeasuringUnit(CMeasuringUnit::cuOrder),
                     CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2));
    return curve;
  }
  void TrackPoint(const QClavis& key, long long cell, float value) {
    values.TrackScalarStore().InsertValue(key, cell, value, CMeasuringUnit(), 0,
                                          SignalBase::expire_measurement, 1);
    values.TrackScalarStore().Promote(key, 1);
  }
  void SpectrogramCurve(const QClavis& key, long long cell, std::vector<float> samples) {
    values.TrackCurveStore().InsertValue(key, cell, Curve(samples), 1);
    values.TrackCurveStore().Promote(key, 1);
  }
  // Validation, learning of the run-up, and the end of the part's values.
  unsigned LearnPart(CKelLearnStore& store, int mode = kRunUp) {
    values.validated();
    const unsigned learned = store.Learn(mode, Kelva::end_measurement);
    values.DismissValues();
    return learned;
  }

  const QClavis rms{kRunUp, 1, 1, 1, 100, 0};
  const QClavis peak{kRunUp, 1, 1, 1, 101, 0};
  const QClavis kurtosis{kRunUp, 1, 1, 1, 102, 0};  // no learn parameter
  const QClavis coastRms{kCoast, 1, 1, 1, 100, 0};
  const QClavis track{kRunUp, 2001, 1, 1, 400, 0};
  const QClavis spectrum{kRunUp, 30, 1, 1, 300, 0};
  const QClavis spectrogram{kRunUp, 2100, 1, 1, 210, 0};
  const QClavis lowest{kRunUp, 5000, 1, 1, 500, 0};
  const QClavis highest{kRunUp, 5000, 1, 1, 501, 0};

  CKelValueStore values;
};
