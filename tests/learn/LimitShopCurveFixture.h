#pragma once
// The limit shop's plan with limit curves of final curves on top (order spectrum, instrument
// 30, x step 0.5 unless said otherwise):
//   spectrum (upper, parameter 300, procedure 1: 2 base learns) and floor (lower, parameter
//     301, procedure 1): a = 1, k = 2, p = 10; upper polygon 1: (0, 50) (2, 50) (4, 30),
//     lower polygon 2: the single point (1, -5);
//   bandSpectrum (interval, 302, procedure 1); unlearned (upper, 304, no learn procedure,
//     polygons 2 and 5 = the single point (0, 50)); unparametrized (305, no width terms);
//   unknownParameter (307, whose instrument parameter InstallWithoutParameter307 takes out of
//     the installed set); unlimited (306, no limit record);
//   polygon 4: (1, 20) (2, 40) in orders of rotor 7, which turns at -2 times the reference
//     shaft in the run-up.

#include <memory>
#include <string>
#include <vector>

#include "LimitShopFixture.h"
#include "host/Numeric.h"

class LimitShopCurveTest : public LimitShopTest {
 protected:
  static constexpr const char* kSummary =
      "CKelLimitShop::GenerateSigCurveLimits(): Some limits couldn't be generated. Please find "
      "details in the output window.\n";

  void SetUp() override { ASSERT_TRUE(CurvePlan().Install()); }

  TestPlan::Builder CurvePlan() const {
    TestPlan::Builder plan = LimitPlan();
    plan.Parameter(301, 30, "Floor spectrum", QVInstrumentParam::eval_lower)
        .Parameter(302, 30, "Band spectrum", QVInstrumentParam::eval_interval)
        .Parameter(304, 30, "Unlearned spectrum")
        .Parameter(305, 30, "Unparametrized spectrum")
        .Parameter(306, 30, "Unlimited spectrum")
        .Parameter(307, 30, "Unknown spectrum")
        .Polygon(1, {{0, 50}, {2, 50}, {4, 30}})
        .Polygon(2, {{1, -5}})
        .Polygon(4, {{1, 20}, {2, 40}}, 7)
        .Polygon(5, {{0, 50}});
    for (const QClavis& key : {spectrum, floor, bandSpectrum, unlearned, unknownParameter})
      plan.Quantity(key, -1, 1.0f, 2.0f, 10.0f).CurveLimit(key, 2, 1);
    plan.CurveLimit(unlearned, 2, 5).CurveLimit(unparametrized, 2, 1);
    plan.Quantity(unlimited, -1, 1.0f, 2.0f, 10.0f);
    for (const QClavis& key : {floor, bandSpectrum, unparametrized, unknownParameter, unlimited})
      Learns(plan, key, 1);
    plan.Set().modeInfo[kRunUp].rotorRatios[7] = -2.0f;
    return plan;
  }

  // The plan as installed, but without the instrument parameter 307 (the plan check would
  // refuse such a plan).
  void InstallWithoutParameter307() const {
    auto broken = std::make_shared<CParamSet>(CurvePlan().Set());
    broken->instrumentParam.erase(QIdx1(307));
    ParamDatabase::Install(broken);
  }

  // What a curve has learned, as a learn file would bring it: the average and, for no spread,
  // its square point by point.
  void Learned(const QClavis& key, uint32_t count, const std::vector<float>& average,
               float delta = 0.5f) {
    std::vector<float> squares;
    for (float a : average) squares.push_back(a * a);
    KelLearnCurve& item = learn.LearnedSigCurveMap()[key];
    item = KelLearnCurve();
    item.count = count;
    item.Average() = Curve(average, delta);
    item.SqAverage() = Curve(squares, delta);
  }
  std::string Text(const QClavis& key) const { return CDtParamInstance().FormatClavisText(key); }

  const QClavis floor{kRunUp, 30, 1, 1, 301, 0};
  const QClavis bandSpectrum{kRunUp, 30, 1, 1, 302, 0};
  const QClavis unlearned{kRunUp, 30, 1, 1, 304, 0};
  const QClavis repeatUnlearned{kRepeat, 30, 1, 1, 304, 0};
  const QClavis unparametrized{kRunUp, 30, 1, 1, 305, 0};
  const QClavis unknownParameter{kRunUp, 30, 1, 1, 307, 0};
  const QClavis unlimited{kRunUp, 30, 1, 1, 306, 0};
};
