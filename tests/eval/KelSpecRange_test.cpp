// A hat's limit laid over the bins of its bands.
#include <gtest/gtest.h>

#include <vector>

#include "HatPlanFixture.h"
#include "eval/KelSpecRange.h"
#include "host/Numeric.h"

namespace {

std::vector<float> LimitOf(const KelSigLimitCurve& curve) {
  return {curve.LimitData(), curve.LimitData() + curve.size()};
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
