#pragma once
// A small plan for the second-level instruments: one run-up (mode 1) whose trigger 1 runs
// 800 + 10·cell rpm over 321 cells; measured single values (instrument 1, parameters 100 and
// 101, unit dB) and order tracks (instrument 2001, parameters 400 and 401, trigger 1) at
// channel 1, location 1, sensor 2. Tests add their derived quantities with Derived() and
// Calc(), then Install(). Values are written into the value store as the intake station
// writes them: measured values with validation tag 1.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "eval/KelInstrumentShop.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

class InstrumentPlanTest : public ::testing::Test {
 protected:
  static constexpr int kRunUp = 1;
  static constexpr int kLevel = 1;
  static constexpr int kOrderTrack = 2001;

  InstrumentPlanTest() : plan("instruments") {
    plan.Mode(kRunUp, "Run-up")
        .Instrument(kLevel, "Level", 1)
        .Instrument(kOrderTrack, "Order track", 2)
        .Channel(1, "Input bearing")
        .Location(1, "Housing")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm), 1)
        .Signal(2, "Accelerometer", Decibel(), 2)
        .Trigger(1, "Input shaft speed", 1)
        .TriggerAxis(kRunUp, 1, 1, 1, 800, 10, 321)
        .Parameter(100, kLevel, "RMS")
        .Parameter(101, kLevel, "Peak")
        .Parameter(400, kOrderTrack, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(401, kOrderTrack, "Order 31", QVInstrumentParam::eval_upper, 1);
  }
  void TearDown() override { ParamDatabase::Reset(); }

  static CMeasuringUnit Decibel() {
    return CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);
  }
  static QClavis Key(int instrument, int parameter) {
    return QClavis(kRunUp, instrument, 1, 1, parameter, 2);
  }

  // A derived quantity: its instrument, its parameter and its IpParamAndStore record.
  void Derived(int instrument, int resultType, int parameter, const std::string& name,
               int trigger = -1) {
    if (plan.Set().instrumentInfo.count(instrument) == 0)
      plan.Instrument(instrument, "Instrument " + std::to_string(instrument), resultType);
    plan.Parameter(parameter, instrument, name, QVInstrumentParam::eval_upper, trigger);
    plan.Quantity(Key(instrument, parameter), -1);
  }
  // Calculation parameters of a parameter: {number, text} pairs.
  void Calc(int parameter, std::initializer_list<std::pair<int, std::string>> values) {
    for (const auto& [number, text] : values)
      plan.Set().ipCalcParameter[QIdx2(parameter, number)] = QVIpCalcParameter{text, ""};
  }
  // Installs the plan and rebuilds the key sets, as a new part does.
  void Install() {
    ParamDatabase::Install(std::make_shared<const CParamSet>(plan.Set()));
    shop.Reset();
  }

  void Measure(int parameter, float value, uint64_t context = 22) {
    KelStoreSValue record;
    record.value = value;
    record.context = context;
    store.InsertSValue(Key(kLevel, parameter), record, Decibel(), 1);
  }
  // A measured order track: values at cells 0, 1, 2, …
  void MeasureTrack(int parameter, std::initializer_list<float> values) {
    long long cell = 0;
    for (const float v : values)
      store.TrackScalarStore().InsertValue(Key(kOrderTrack, parameter), cell++, v, Decibel(), 22,
                                           SignalBase::expire_mode, 1);
  }
  const KelStoreSValue* Value(const QClavis& key) const {
    auto it = store.SingleValueMap().find(key);
    return it == store.SingleValueMap().end() ? nullptr : &it->second;
  }

  TestPlan::Builder plan;
  PrWin::CaptureSink output;
  CKelValueStore store;
  CKelLearnStore learnStore{store, -1};
  CKelInstrumentShop shop{store, learnStore};
};
