// A hat's limit laid over the bins of its bands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HatPlanFixture.h"
#include "eval/KelSpecRange.h"
#include "host/Numeric.h"

namespace {

std::vector<float> LimitOf(const KelSigLimitCurve& curve) {
  return {curve.LimitData(), curve.LimitData() + curve.size()};
}

std::vector<float> Twelve(float value) {
  return std::vector<float>(12, value);
}

}  // namespace

TEST_F(HatPlanTest, HatLimitCoversTheBinsOfItsBands) {
  // Band 1..2 orders at x step 0.5: bins 2..4. A band beyond the spectrum is skipped.
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 10.0f, 20.0f);
  Band(plan, 700, 2, 5.0f, 5.2f);
  ASSERT_TRUE(plan.Install());
  KelSigLimitCurve curve(nullptr, 12, 0.5f, QVInstrumentParam::eval_upper);
  DVL::SetConstant(curve.LimitData(), 9.0f, 12);
  CKelSpecRange range(params);
  range.ApplyHatOnSpectralLimit(HatKey(700), SpectrumKey(), curve, 33.0f);
  EXPECT_EQ(LimitOf(curve), (std::vector<float>{9, 9, 33, 33, 33, 9, 9, 9, 9, 9, 33, 9}));
  EXPECT_EQ(output.Text(), "");
}

TEST_F(HatPlanTest, HatBandThatCannotBeComputedStopsWithMessage) {
  // The second band is in orders of a rotor the run-up does not know; the third is not reached.
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 1.0f, 2.0f, 9);
  Band(plan, 700, 2, 4.0f, 5.0f);
  ASSERT_TRUE(plan.Install());
  KelSigLimitCurve curve(nullptr, 12, 0.5f, QVInstrumentParam::eval_upper);
  CKelSpecRange range(params);
  range.ApplyHatOnSpectralLimit(HatKey(700), SpectrumKey(), curve, 33.0f);
  EXPECT_EQ(LimitOf(curve), (std::vector<float>{0, 0, 33, 33, 33, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(output.Lines().size(), 1u);
  EXPECT_EQ(output.Lines()[0].text,
            "Parameter error in CKelSpecRange::ApplyHatOnSpectralLimit:\nunable to calculate band "
            "width for hat 'Run-up / Hat / Plain / Housing / Order 2 maximum / #0' and signal "
            "location 'Housing'.\n");
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 3);
}

namespace {

KelSigLimitCurve Curve12(const std::vector<float>& samples, bool level = false) {
  KelSigLimitCurve curve(samples.data(), static_cast<uint32_t>(samples.size()), 0.5f,
                         QVInstrumentParam::eval_upper);
  if (level) {
    CDescription description = curve.description();
    description.SetYUnit(CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f,
                                        CMeasuringUnit::flagLog | CMeasuringUnit::flagPower));
    curve.SetDescription(description);
  }
  return curve;
}

}  // namespace

TEST_F(HatPlanTest, MaximumOfTheBandsTakesTheEarlierBandOnTies) {
  // Bands 1..2 orders (bins 2..4) and 5..5.2 orders (bin 10).
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 5.0f, 5.2f);
  ASSERT_TRUE(plan.Install());
  CKelSpecRange range(params);
  float value = 0.0f;
  float position = 0.0f;
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 2,
                                          Curve12({0, 0, 3, 7, 7, 0, 0, 0, 0, 0, 7, 9}), value,
                                          position));
  EXPECT_EQ(value, 7.0f);
  EXPECT_EQ(position, 1.5f);
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 6,
                                          Curve12({0, 0, 3, 7, 7, 0, 0, 0, 0, 0, 8, 9}), value,
                                          position));
  EXPECT_EQ(value, 8.0f);
  EXPECT_EQ(position, 5.0f);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(HatPlanTest, MinimumOfTheBandsTakesTheEarlierBandOnTies) {
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 5.0f, 5.2f);
  ASSERT_TRUE(plan.Install());
  CKelSpecRange range(params);
  float value = 0.0f;
  float position = 0.0f;
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 1,
                                          Curve12({0, 0, 5, 3, 4, 0, 0, 0, 0, 0, 3, 0}), value,
                                          position));
  EXPECT_EQ(value, 3.0f);
  EXPECT_EQ(position, 1.5f);
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 5,
                                          Curve12({0, 0, 5, 3, 4, 0, 0, 0, 0, 0, 2, 0}), value,
                                          position));
  EXPECT_EQ(value, 2.0f);
  EXPECT_EQ(position, 5.0f);
}

TEST_F(HatPlanTest, EnergeticSumOfTwoLevels) {
  // Band 1..1.5 orders: bins 2 and 3, 60 dB each; the first bin of the spectrum is 40 dB.
  TestPlan::Builder plan = Plan();
  plan.Set().specIntervals.clear();
  Band(plan, 700, 0, 1.0f, 1.5f);
  ASSERT_TRUE(plan.Install());
  CKelSpecRange range(params);
  float value = 0.0f;
  float position = -1.0f;
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 4,
                                          Curve12({40, 0, 60, 60, 0, 0, 0, 0, 0, 0, 0, 0}, true),
                                          value, position));
  EXPECT_NEAR(value, 63.0103f, 1e-4f);
  EXPECT_EQ(position, 0.0f);
  EXPECT_TRUE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 8,
                                          Curve12({40, 0, 3, 4, 9, 0, 0, 0, 0, 0, 0, 0}), value,
                                          position));
  EXPECT_EQ(value, 5.0f);  // linear: the root of the sum of squares
}

TEST_F(HatPlanTest, SingleValueOfUnknownInterpretationIsNotFound) {
  CKelSpecRange range(params);
  float value = 11.0f;
  float position = 12.0f;
  EXPECT_FALSE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 3, Curve12(Twelve(9)), value,
                                           position));
  EXPECT_FALSE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 7, Curve12(Twelve(9)), value,
                                           position));
  EXPECT_EQ(value, 11.0f);
  EXPECT_EQ(position, 12.0f);
  EXPECT_EQ(output.Text(),
            "Interval interpretation 3 not yet implemented in "
            "CKelSpecRange::SingleValueOfSpectrum\n"
            "Interval interpretation 7 not yet implemented in "
            "CKelSpecRange::SingleValueOfSpectrum\n");
  EXPECT_EQ(output.Lines()[0].style, 3);
}

TEST_F(HatPlanTest, SingleValueStopsAtABandThatCannotBeComputed) {
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 1.0f, 2.0f, 9);
  ASSERT_TRUE(plan.Install());
  CKelSpecRange range(params);
  float value = 11.0f;
  float position = 12.0f;
  EXPECT_FALSE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 2, Curve12(Twelve(9)), value,
                                           position));
  EXPECT_EQ(value, 11.0f);
  EXPECT_EQ(position, 12.0f);
  EXPECT_EQ(output.Text(),
            "Parameter error in CKelSpecRange::SingleValueOfSpectrum:\nunable to calculate band "
            "width for hat 'Run-up / Hat / Plain / Housing / Order 2 maximum / #0' and signal "
            "location 'Housing'.\n");
}

TEST_F(HatPlanTest, SingleValueWithoutBandOnTheSpectrumIsNotFound) {
  TestPlan::Builder plan = Plan();
  plan.Set().specIntervals.clear();
  Band(plan, 700, 0, 10.0f, 20.0f);
  ASSERT_TRUE(plan.Install());
  CKelSpecRange range(params);
  float value = 11.0f;
  float position = 12.0f;
  EXPECT_FALSE(range.SingleValueOfSpectrum(HatKey(700), SpectrumKey(), 2, Curve12(Twelve(9)), value,
                                           position));
  EXPECT_EQ(value, -3.4028235e38f);
  EXPECT_EQ(position, -0.5f);
}

TEST_F(HatPlanTest, HatCodeCoversTheBinsOfItsBands) {
  // Band 0 at bins 2..4; band 1 is not a pure definition; band 2 cannot be computed; band 3
  // at bin 10 is still applied.
  TestPlan::Builder plan = Plan();
  Band(plan, 700, 1, 3.0f, 4.0f);
  plan.Set().specIntervals[QIdx2(700, 1)].definition.domainValue =
      QVSpecIntervalEntry::Definition::domain_combined;
  Band(plan, 700, 2, 3.0f, 4.0f, 9);
  Band(plan, 700, 3, 5.0f, 5.2f);
  ASSERT_TRUE(plan.Install());
  std::vector<int> codes(12, 5);
  std::vector<int> instruments(12, 30);
  CKelSpecRange range(params);
  EXPECT_EQ(range.ApplyECOnSpectralErcVector(HatKey(700), SpectrumKey(), codes.data(),
                                             instruments.data(), 12, 0.5f, 77),
            4u);
  EXPECT_EQ(codes, (std::vector<int>{5, 5, 77, 77, 77, 5, 5, 5, 5, 5, 77, 5}));
  EXPECT_EQ(instruments,
            (std::vector<int>{30, 30, 1001, 1001, 1001, 30, 30, 30, 30, 30, 1001, 30}));
  const std::string hat =
      "hat 'Run-up / Hat / Plain / Housing / Order 2 maximum / #0' and signal "
      "location 'Housing'.\n";
  EXPECT_EQ(output.Text(),
            "Parameter error in CKelSpecRange::ApplyECOnSpectralErcVector:\nnot a pure "
            "order/frequency definition for " +
                hat +
                "Parameter error in CKelSpecRange::ApplyECOnSpectralErcVector:\nunable to "
                "calculate band width for " +
                hat);
  ASSERT_EQ(output.Lines().size(), 2u);
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 3);
}
