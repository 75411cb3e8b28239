#pragma once
// The limit shop's plan with scalar tracks on top, for the track limit tests. Every track is an
// order track (instrument 2001) with width terms a = 1, k = 2, p = 10:
//   400 "Order 23" (upper), 401 (lower), 402 (interval), 406 (no direction): learn procedure 1
//     (2 base learns, time constant 100), trigger 1;
//   403 (upper): no learn procedure, trigger 1;
//   404 (upper): trigger 2, which has no axis; 405 (upper): trigger 3, which has two dimensions
//     in the run-up, neither of them tracked (limited only by InstallWithoutTriggerAxes).
// Trigger 1 rises in the run-up (800 + 10·cell, 321 cells) and falls in mode 5 (4000 − 10·cell).
// Polygons: 10 (lower bound) (1000, 5) – (3000, 25); 11 (upper bound) (1000, 50) – (2000, 150) –
// (3000, 150); 12 (3000, 20) – (3500, 20). LimCValue records (polygons 10 and 11)
// for every run-up key below; `falling` (mode 5, parameter 403, no learn procedure) has only the
// upper-bound polygon 12; `unlimited` (mode 5, parameter 400) has no LimCValue record.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "LimitShopFixture.h"
#include "host/Output.h"

class TrackLimitTest : public LimitShopTest {
 protected:
  static constexpr int kFall = 5;
  static constexpr int kLowerPolygon = 10;
  static constexpr int kUpperPolygon = 11;
  static constexpr int kFallingPolygon = 12;

  void SetUp() override { ASSERT_TRUE(TrackPlan().Install()); }

  TestPlan::Builder TrackPlan() const {
    TestPlan::Builder plan = LimitPlan();
    plan.Mode(kFall, "Coast-down falling")
        .TriggerAxis(kFall, 1, 1, 1, 4000, -10, 321)
        .Trigger(2, "Output shaft speed")
        .Trigger(3, "Torque")
        .TriggerAxis(kRunUp, 3, 1, 1, 0, 5, 10, false)
        .TriggerAxis(kRunUp, 3, 2, 1, 0, 5, 10, false)
        .Parameter(401, 2001, "Order 23 low", QVInstrumentParam::eval_lower, 1)
        .Parameter(402, 2001, "Order 23 band", QVInstrumentParam::eval_interval, 1)
        .Parameter(403, 2001, "Order 23 new", QVInstrumentParam::eval_upper, 1)
        .Parameter(404, 2001, "Order 46", QVInstrumentParam::eval_upper, 2)
        .Parameter(405, 2001, "Order 69", QVInstrumentParam::eval_upper, 3)
        .Parameter(406, 2001, "Order 23 raw", QVInstrumentParam::eval_none, 1)
        .Polygon(kLowerPolygon, {{1000, 5}, {3000, 25}})
        .Polygon(kUpperPolygon, {{1000, 50}, {2000, 150}, {3000, 150}});
    for (const QClavis& key : {track, low, band, fresh, raw})
      plan.Quantity(key, -1, 1.0f, 2.0f, 10.0f).CurveLimit(key, kLowerPolygon, kUpperPolygon);
    plan.Polygon(kFallingPolygon, {{3000, 20}, {3500, 20}})
        .Quantity(falling, -1, 1.0f, 2.0f, 10.0f)
        .CurveLimit(falling, -1, kFallingPolygon)
        .Quantity(unlimited, -1, 1.0f, 2.0f, 10.0f);
    for (const QClavis& key : {low, band, raw, unlimited}) Learns(plan, key, 1);
    return plan;
  }
  // The plan with the tracks `noAxis` and `noDimension` limited as well: a state the plan check
  // refuses (a track needs one tracked axis) but a parameter database may still be in, so it
  // is installed without the check.
  void InstallWithoutTriggerAxes() {
    TestPlan::Builder plan = TrackPlan();
    for (const QClavis& key : {noAxis, noDimension}) {
      plan.Quantity(key, -1, 1.0f, 2.0f, 10.0f).CurveLimit(key, kLowerPolygon, kUpperPolygon);
      Learns(plan, key, 1);
    }
    InstallUnchecked(plan);
  }
  // Makes the plan current without the plan check, as a parameter database the check never saw.
  static void InstallUnchecked(TestPlan::Builder& plan) {
    ParamDatabase::Install(std::make_shared<const CParamSet>(plan.Set()));
  }

  // The stored point of a track.
  KelStoreTrackPoint& Point(const QClavis& key, int64_t cell) {
    return values.TrackScalarStore()
        .ValueMap()
        .at(values.TrackScalarStore().KeyOfDovetar(key))
        .points.at(cell);
  }
  // What a track has learned at a cell, as a learn file would bring it.
  void LearnedAt(const QClavis& key, int64_t cell, uint32_t count, float mean, float meanSquare) {
    const int trackKey = static_cast<int>(values.TrackScalarStore().GenerateKeyOfDovetar(key));
    learn.LearnedScalarTrack()[QIdx1(trackKey)].insert_or_assign(
        cell, KelLearnSValue(0, count, 1, mean, meanSquare));
  }
  std::string Text(const QClavis& key) const { return CDtParamInstance().FormatClavisText(key); }
  // The texts of the captured output-window lines, in order.
  static std::vector<std::string> Texts(const PrWin::CaptureSink& sink) {
    std::vector<std::string> texts;
    for (const auto& line : sink.Lines()) texts.push_back(line.text);
    return texts;
  }

  const QClavis low{kRunUp, 2001, 1, 1, 401, 0};
  const QClavis band{kRunUp, 2001, 1, 1, 402, 0};
  const QClavis fresh{kRunUp, 2001, 1, 1, 403, 0};
  const QClavis noAxis{kRunUp, 2001, 1, 1, 404, 0};
  const QClavis noDimension{kRunUp, 2001, 1, 1, 405, 0};
  const QClavis raw{kRunUp, 2001, 1, 1, 406, 0};
  const QClavis falling{kFall, 2001, 1, 1, 403, 0};
  const QClavis unlimited{kFall, 2001, 1, 1, 400, 0};
};
