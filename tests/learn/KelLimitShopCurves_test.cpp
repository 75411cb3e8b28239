// The limit curves of final curves: the not-learned polygon limit, the learned limit with its
// sideways widening and bound polygons, the messages of the generation, and the limit of a key
// on demand.
#include <gtest/gtest.h>

#include <vector>

#include "LimitShopCurveFixture.h"

namespace {

std::vector<float> LimitOf(const KelSigLimitCurve& curve) {
  return {curve.LimitData(), curve.LimitData() + curve.size()};
}

}  // namespace

TEST_F(LimitShopCurveTest, ChimneyWidensByRoundedPointsAndAtMostFifty) {
  // x step 0.5: a left width of 1.3 is 2.6 steps, 3 points; 40 is 80 steps, cut to 50 points.
  KelSigLimitCurve curve(nullptr, 200, 0.5f, QVInstrumentParam::eval_upper);
  curve.LimitData()[100] = 1.0f;
  shop.SigChimney(curve, {1.3f, 0.0f}, DVL::MaximizeOverWindow);
  std::vector<float> expected(200, 0.0f);
  for (int i = 97; i <= 100; ++i) expected[i] = 1.0f;
  EXPECT_EQ(LimitOf(curve), expected);

  KelSigLimitCurve wide(nullptr, 200, 0.5f, QVInstrumentParam::eval_upper);
  wide.LimitData()[100] = 1.0f;
  shop.SigChimney(wide, {40.0f, 40.0f}, DVL::MaximizeOverWindow);
  expected.assign(200, 0.0f);
  for (int i = 50; i <= 150; ++i) expected[i] = 1.0f;
  EXPECT_EQ(LimitOf(wide), expected);

  // A lower limit widens its dips; a width of 0.2 steps rounds to nothing.
  KelSigLimitCurve lower(nullptr, 8, 0.5f, QVInstrumentParam::eval_lower);
  DVL::SetConstant(lower.LimitData(), 5.0f, 8);
  lower.LimitData()[2] = 1.0f;
  shop.SigChimney(lower, {0.1f, 0.5f}, DVL::MinimizeOverWindow);
  EXPECT_EQ(LimitOf(lower), (std::vector<float>{5, 5, 1, 1, 5, 5, 5, 5}));
}

TEST_F(LimitShopCurveTest, NotLearnedLimitIsTheBoundPolygon) {
  // Nothing learned: the upper bound polygon; the learned curves take the curve's shape.
  Spectrum(spectrum, std::vector<float>(12, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  const KelSigLimitCurve& upper = values.SigCurveLimitMap().at(spectrum);
  EXPECT_EQ(LimitOf(upper), (std::vector<float>{50, 50, 50, 50, 50, 45, 40, 35, 30, 30, 30, 30}));
  EXPECT_EQ(upper.LimitState(), QVInstrumentParam::eval_upper);
  const KelLearnCurve& learned = learn.LearnedSigCurveMap().at(spectrum);
  EXPECT_EQ(learned.Average().size(), 12u);
  EXPECT_EQ(learned.SqAverage().size(), 12u);
  EXPECT_EQ(learned.Average().delta(0), 0.5f);

  // A polygon of one point sets the whole (lower) limit to its y.
  Spectrum(floor, std::vector<float>(6, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(floor)), std::vector<float>(6, -5.0f));

  // One learned curve of two base learns is not enough.
  Learned(spectrum, 1, std::vector<float>(12, 10.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[0], 50.0f);
  // Two are: the learned limit 10 · 1.1 + 1, cut to the polygon nowhere.
  Learned(spectrum, 2, std::vector<float>(12, 10.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[0], 12.0f);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(LimitShopCurveTest, LearnedAverageOfAnotherShapeCountsAsNotLearned) {
  Learned(spectrum, 3, std::vector<float>(5, 10.0f));
  Spectrum(spectrum, std::vector<float>(12, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[11], 30.0f);
  EXPECT_EQ(learn.LearnedSigCurveMap().at(spectrum).Average().size(), 5u);

  // The same length over another x step does not fit either.
  Learned(spectrum, 3, std::vector<float>(12, 10.0f), 0.25f);
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[11], 30.0f);
}

TEST_F(LimitShopCurveTest, LearnedLimitIsWidenedAndCutToTheUpperPolygon) {
  // Learned average 10 with a peak of 40 at bin 8, no spread: limit 10·1.1 + 1 = 12 and
  // 40·1.1 + 1 = 45; the standard width 1.0 widens the peak by 2 bins on each side, the
  // upper polygon (50 falling to 30 from x 2 to x 4) cuts it, the lower one (-5) does nothing.
  std::vector<float> average(12, 10.0f);
  average[8] = 40.0f;
  Learned(spectrum, 3, average);
  Spectrum(spectrum, std::vector<float>(12, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(spectrum)),
            (std::vector<float>{12, 12, 12, 12, 12, 12, 40, 35, 30, 30, 30, 12}));

  // A lower limit: 10 − 2 = 8, raised to the lower polygon where that lies above.
  Learned(floor, 3, std::vector<float>{10, 10, 10, 10, 10, 10});
  Spectrum(floor, std::vector<float>(6, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(floor)), std::vector<float>(6, 8.0f));
  EXPECT_EQ(output.Text(), "");
}

TEST_F(LimitShopCurveTest, OrderPolygonIsStretchedByTheRotorRatio) {
  // Polygon 4 is in orders of rotor 7, which turns at -2 times the reference: x 1 and 2 lie at
  // orders 2 and 4, bins 4 and 8 at x step 0.5.
  KelSigLimitCurve curve(nullptr, 10, 0.5f, QVInstrumentParam::eval_upper);
  shop.SigPolygonLimit(spectrum, curve, 4, DVL::SetVectorToPolygon);
  EXPECT_EQ(LimitOf(curve), (std::vector<float>{20, 20, 20, 20, 20, 25, 30, 35, 40, 40}));
  // A polygon id without points leaves the limit alone.
  shop.SigPolygonLimit(spectrum, curve, 99, DVL::SetVectorToPolygon);
  EXPECT_EQ(curve.LimitData()[0], 20.0f);
}

TEST_F(LimitShopCurveTest, MessagesOfTheGeneration) {
  // Mode 3 on a curve: the message, limit state 3, the limit as it was.
  Spectrum(bandSpectrum, std::vector<float>(4, 3.0f));
  DVL::SetConstant(values.SigCurveLimitMap().at(bandSpectrum).LimitData(), 7.0f, 4);
  EXPECT_FALSE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(bandSpectrum)), std::vector<float>(4, 7.0f));
  EXPECT_EQ(values.SigCurveLimitMap().at(bandSpectrum).LimitState(),
            QVInstrumentParam::eval_interval);
  ASSERT_EQ(output.Lines().size(), 3u);
  EXPECT_EQ(output.Lines()[0].text,
            "CKelLimitShop::SigCurveLimit(): invalid limit type for " + Text(bandSpectrum) + "\n");
  EXPECT_EQ(output.Lines()[1].text,
            "CKelLimitShop::GenerateSigCurveLimits(): error calculating "
            "limits for " +
                Text(bandSpectrum) + "\n");
  EXPECT_EQ(output.Lines()[1].style, 1);
  EXPECT_EQ(output.Lines()[2].text, kSummary);
  EXPECT_EQ(output.Lines()[2].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[2].style, 3);
  values.validated();
  values.DismissValues();
  output.Clear();

  // No learn procedure: the polygon limit, and a failure. The repeat mode's curve takes the
  // run-up's parameters and names the run-up in the message.
  Spectrum(repeatUnlearned, std::vector<float>(4, 3.0f));
  EXPECT_FALSE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(repeatUnlearned)), std::vector<float>(4, 50.0f));
  EXPECT_EQ(output.Text(),
            "CKelLimitShop::GenerateSigCurveLimits(): error calculating limits for " +
                Text(unlearned) + "\n" + kSummary);
  values.validated();
  values.DismissValues();
  output.Clear();

  // No width terms; no instrument parameter; no limit record (silently skipped).
  InstallWithoutParameter307();
  Spectrum(unparametrized, std::vector<float>(4, 3.0f));
  Spectrum(unknownParameter, std::vector<float>(4, 3.0f));
  Spectrum(unlimited, std::vector<float>(4, 3.0f));
  EXPECT_FALSE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(output.Text(),
            "CKelLimitShop::GenerateSigCurveLimits(): not parametrized for " +
                Text(unparametrized) + "\n" +
                "CKelLimitShop::GenerateSigCurveLimits(): illegal instrument parameter in " +
                Text(unknownParameter) + "\n" + kSummary);
  EXPECT_EQ(values.SigCurveLimitMap().at(unlimited).LimitState(), 0);
}

TEST_F(LimitShopCurveTest, RetrieveCurveLimit) {
  CVisDataVector out;
  // Nothing learned and nothing stored: no limit.
  EXPECT_FALSE(shop.RetrieveCurveLimit(spectrum, out, true));
  // From the learned item, which stays as it was.
  std::vector<float> average(12, 10.0f);
  average[8] = 40.0f;
  Learned(spectrum, 3, average);
  ASSERT_TRUE(shop.RetrieveCurveLimit(spectrum, out, true));
  ASSERT_EQ(out.size, 12u);
  EXPECT_EQ(std::vector<float>(out.Data(), out.Data() + 12),
            (std::vector<float>{12, 12, 12, 12, 12, 12, 40, 35, 30, 30, 30, 12}));
  EXPECT_EQ(out.xDelta, 0.5f);
  EXPECT_EQ(learn.LearnedSigCurveMap().at(spectrum).Average().data()[8], 40.0f);
  // A stored curve answers with its own limit when preferred, not otherwise.
  Spectrum(spectrum, std::vector<float>(3, 3.0f));
  DVL::SetConstant(values.SigCurveLimitMap().at(spectrum).LimitData(), 7.0f, 3);
  ASSERT_TRUE(shop.RetrieveCurveLimit(spectrum, out, true));
  EXPECT_EQ(std::vector<float>(out.Data(), out.Data() + out.size), std::vector<float>(3, 7.0f));
  ASSERT_TRUE(shop.RetrieveCurveLimit(spectrum, out, false));
  EXPECT_EQ(out.size, 12u);
  // A learned item without a limit record: no limit.
  learn.LearnedSigCurveMap()[unlimited];
  EXPECT_FALSE(shop.RetrieveCurveLimit(unlimited, out, false));
}

TEST_F(LimitShopCurveTest, HatsAreLaidOverTheLimit) {
  // An evaluated maximum hat over orders 1..2 (bins 2..4) of the spectrum, allowed 0..33; its
  // value is not learned, so its limit is 33. A minimum hat over the same band changes nothing.
  TestPlan::Builder plan = CurvePlan();
  plan.Instrument(1001, "Hat", 1)
      .Parameter(700, 1001, "Order 2 maximum")
      .Parameter(703, 1001, "Order 2 minimum");
  const QClavis hat(kRunUp, 1001, 1, 1, 700, 0);
  const QClavis minimumHat(kRunUp, 1001, 1, 1, 703, 0);
  for (const auto& [key, interpretation] : {std::pair{hat, 2}, std::pair{minimumHat, 1}}) {
    plan.Set().ipSvOfSpec[QIdx1(key.parameter())] = QVIpSvOfSpec{interpretation, "O1-2", -1};
    QVSpecIntervalEntry band;
    band.definition.low = 1.0f;
    band.definition.high = 2.0f;
    plan.Set().specIntervals[QIdx2(key.parameter(), 0)] = band;
    plan.SValueLimit(key, 0.0f, key == hat ? 33.0f : 3.0f).Quantity(key, -1);
    learn.LearnedSingleValue()[key];
  }
  // The same hat at another location belongs to that location's spectrum only.
  const QClavis elsewhere(kRunUp, 1001, 1, 2, 700, 0);
  plan.Location(2, "Input shaft").SValueLimit(elsewhere, 0.0f, 1.0f).Quantity(elsewhere, -1);
  learn.LearnedSingleValue()[elsewhere];
  ASSERT_TRUE(plan.Install());

  // Not learned: the upper polygon, then the hat.
  Spectrum(spectrum, std::vector<float>(12, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(spectrum)),
            (std::vector<float>{50, 50, 33, 33, 33, 45, 40, 35, 30, 30, 30, 30}));

  // Learned, with the hat value of this part stored and evaluated: its limit counts.
  std::vector<float> average(12, 10.0f);
  average[8] = 40.0f;
  Learned(spectrum, 3, average);
  KelStoreSValue& stored = Pending(hat, 5.0f);
  stored.limit = 21.0f;
  stored.evalMode = QVInstrumentParam::eval_upper;
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(LimitOf(values.SigCurveLimitMap().at(spectrum)),
            (std::vector<float>{12, 12, 21, 21, 21, 12, 40, 35, 30, 30, 30, 12}));
  // A stored hat value that is not evaluated lays nothing.
  stored.evalMode = QVInstrumentParam::eval_none;
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[2], 12.0f);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(LimitShopCurveTest, CurveWithoutXStepAndItemWithoutPoints) {
  // An x step of 0: no widening; polygon corners beyond x 0 land on the last bin.
  KelSigLimitCurve curve(nullptr, 4, 0.0f, QVInstrumentParam::eval_upper);
  curve.LimitData()[1] = 1.0f;
  shop.SigChimney(curve, {5.0f, 5.0f}, DVL::MaximizeOverWindow);
  EXPECT_EQ(LimitOf(curve), (std::vector<float>{0, 1, 0, 0}));
  shop.SigPolygonLimit(spectrum, curve, 1, DVL::SetVectorToPolygon);
  EXPECT_EQ(LimitOf(curve), (std::vector<float>{50, 50, 50, 30}));

  // A learned count without points (as a learn file may bring it) counts as not learned: the
  // polygon limit, and the item takes the curve's shape.
  KelLearnCurve& item = learn.LearnedSigCurveMap()[spectrum];
  item.count = 7;
  Spectrum(spectrum, std::vector<float>(12, 3.0f));
  EXPECT_TRUE(shop.GenerateSigCurveLimits());
  EXPECT_EQ(values.SigCurveLimitMap().at(spectrum).LimitData()[11], 30.0f);
  EXPECT_EQ(learn.LearnedSigCurveMap().at(spectrum).Average().size(), 12u);
}
