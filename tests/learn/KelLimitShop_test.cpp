// The limit shop's scalar limits: the limit rule, the not-learned bounds, the messages, limits
// on demand, and a comparison with a plain implementation of the rule over random inputs.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "LimitShopFixture.h"
#include "host/Params.h"

namespace {

using Line = PrWin::CaptureSink::Line;

std::vector<std::string> Texts(const PrWin::CaptureSink& sink) {
  std::vector<std::string> texts;
  for (const Line& line : sink.Lines()) texts.push_back(line.text);
  return texts;
}

const char* const kSummary =
    "CKelLimitShop::GenerateSValueLimits(): Some limits couldn't be generated. Please find "
    "details in the output window.\n";

}  // namespace

TEST_F(LimitShopTest, LearnedLimitIsTheMeanWidenedAndKeptBetweenTheAllowedBounds) {
  // Upper: 10 + 10 · 0.01 · 10 + 1 = 12.
  Learned(rms, 2, 10.0f, 100.0f);
  KelStoreSValue& upper = Pending(rms, 11.0f);
  // Lower: 20 − (20 · 0.01 · 10 + 1) = 17.
  Learned(minimum, 2, 20.0f, 400.0f);
  KelStoreSValue& lower = Pending(minimum, 19.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(upper.limit, 12.0f);
  EXPECT_EQ(upper.mean, 10.0f);
  EXPECT_EQ(upper.evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(upper.value, 11.0f);
  EXPECT_EQ(lower.limit, 17.0f);
  EXPECT_EQ(lower.mean, 20.0f);
  EXPECT_EQ(lower.evalMode, QVInstrumentParam::eval_lower);
  EXPECT_TRUE(output.Lines().empty());

  // The same with allowed limits 0..11 and 18..100: cut to the bounds.
  TestPlan::Builder plan = LimitPlan();
  plan.SValueLimit(rms, 0.0f, 11.0f).SValueLimit(minimum, 18.0f, 100.0f);
  ASSERT_TRUE(plan.Install());
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(upper.limit, 11.0f);
  EXPECT_EQ(lower.limit, 18.0f);
}

TEST_F(LimitShopTest, UntilEnoughIsLearnedTheLimitIsTheAllowedBound) {
  Learned(rms, 1, 10.0f, 100.0f);  // 1 of 2 base learns
  Learned(minimum, 1, 20.0f, 400.0f);
  KelStoreSValue& upper = Pending(rms, 11.0f);
  KelStoreSValue& lower = Pending(minimum, 19.0f);
  // Nothing learned at all (no learn item yet): the item is made, empty.
  TestPlan::Builder plan = LimitPlan();
  plan.SValueLimit(rms, 5.0f, 60.0f).SValueLimit(minimum, 3.0f, 90.0f);
  ASSERT_TRUE(plan.Install());
  learn.LearnedSingleValue().erase(minimum);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(upper.limit, 60.0f);
  EXPECT_EQ(upper.mean, 10.0f);
  EXPECT_EQ(upper.evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(lower.limit, 3.0f);
  EXPECT_EQ(lower.mean, 0.0f);
  EXPECT_EQ(lower.evalMode, QVInstrumentParam::eval_lower);
  ASSERT_EQ(learn.LearnedSingleValue().count(minimum), 1u);
  EXPECT_EQ(learn.LearnedSingleValue().at(minimum).count, 0u);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(LimitShopTest, AnEvaluationSwitchOtherThanOneSetsTheLimitButNoEvaluation) {
  TestPlan::Builder plan = LimitPlan();
  plan.SValueLimit(rms, 0.0f, 100.0f, 0).SValueLimit(minimum, 0.0f, 100.0f, 2);
  ASSERT_TRUE(plan.Install());
  Learned(rms, 2, 10.0f, 100.0f);
  Learned(minimum, 2, 20.0f, 400.0f);
  KelStoreSValue& upper = Pending(rms, 11.0f);
  KelStoreSValue& lower = Pending(minimum, 19.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(upper.limit, 12.0f);
  EXPECT_EQ(upper.evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(lower.limit, 17.0f);
  EXPECT_EQ(lower.evalMode, QVInstrumentParam::eval_none);
}

TEST_F(LimitShopTest, IntervalAndMissingDirectionsAreNotEvaluated) {
  // Not enough learned: an interval gets the "Todo" line and the largest allowed limit, a
  // missing direction its own line and 0; neither is evaluated, and neither counts as a
  // limit that could not be made.
  TestPlan::Builder plan = LimitPlan();
  plan.SValueLimit(band, 2.0f, 50.0f).SValueLimit(raw, 2.0f, 50.0f);
  ASSERT_TRUE(plan.Install());
  KelStoreSValue& interval = Pending(band, 7.0f);
  KelStoreSValue& undirected = Pending(raw, 7.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(interval.limit, 50.0f);
  EXPECT_EQ(interval.evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(undirected.limit, 0.0f);
  EXPECT_EQ(undirected.evalMode, QVInstrumentParam::eval_none);
  ASSERT_EQ(output.Lines().size(), 2u);
  EXPECT_EQ(output.Lines()[0].text, "Todo: No MinMax for Single Values\n");
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
  EXPECT_EQ(output.Lines()[1].text, "No limit direction in SValueLimits\n");
  EXPECT_EQ(output.Lines()[1].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[1].style, 1);

  // Enough learned: the learned rule has no limit for either direction; the limit is 0 kept
  // between the bounds, and the direction stays as the parameter gives it.
  output.Clear();
  Learned(band, 2, 10.0f, 100.0f);
  Learned(raw, 2, 10.0f, 100.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(interval.limit, 2.0f);
  EXPECT_EQ(interval.evalMode, QVInstrumentParam::eval_interval);
  EXPECT_EQ(undirected.limit, 2.0f);
  EXPECT_EQ(undirected.evalMode, QVInstrumentParam::eval_none);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(LimitShopTest, AKeyWithoutLearnProcedureIsReportedAndCountsEveryLearnedValue) {
  // Nothing learned: the not-learned limit, with the message and the summary line.
  KelStoreSValue& value = Pending(kurtosis, 3.0f);
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(value.limit, 100.0f);
  EXPECT_EQ(value.evalMode, QVInstrumentParam::eval_upper);
  ASSERT_EQ(output.Lines().size(), 2u);
  EXPECT_EQ(output.Lines()[0].text,
            "Found no learn parameters for Run-up / Level / Gearbox acceleration / Housing / "
            "Kurtosis / #0 or they specify an undefined procedure\n");
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
  EXPECT_EQ(output.Lines()[1].text, kSummary);
  EXPECT_EQ(output.Lines()[1].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[1].style, 3);

  // Learned data from a learn file: enough from the first value on (minLearned −1), and
  // without a time constant the correction factor is 0, so the spread (variance 4, k = 2)
  // adds nothing: the limit is the mean.
  output.Clear();
  Learned(kurtosis, 1, 10.0f, 104.0f);
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(value.limit, 10.0f);
  EXPECT_EQ(value.evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.GetCorrFactor(5, kurtosis), 0.0f);
  Learned(kurtosis, 5, 10.0f, 104.0f);
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(value.limit, 10.0f);
  EXPECT_EQ(Texts(output).size(), 4u);
}

TEST_F(LimitShopTest, TheCorrectionFactorFollowsTheKeysTimeConstant) {
  // rms: time constant 100, so up to 199 values the factor is n / (n − 1).
  EXPECT_EQ(shop.GetCorrFactor(0, rms), 0.0f);
  EXPECT_EQ(shop.GetCorrFactor(1, rms), 0.0f);
  EXPECT_EQ(shop.GetCorrFactor(2, rms), 2.0f);
  EXPECT_EQ(shop.GetCorrFactor(5, rms), 1.25f);
  EXPECT_EQ(shop.GetCorrFactor(1000, rms), static_cast<float>(199.0 / 198.0));
  // highest: procedure 3, time constant 2: at most 3 values count.
  EXPECT_EQ(shop.GetCorrFactor(1000, highest), 1.5f);
  // With a spread: mean 10, mean square 104 (variance 4), 5 values → σ = sqrt(4 · 1.25) = √5;
  // k = 2, no offset, no percentage.
  TestPlan::Builder plan = LimitPlan();
  plan.Quantity(rms, -1, 0.0f, 2.0f, 0.0f);
  ASSERT_TRUE(plan.Install());
  Learned(rms, 5, 10.0f, 104.0f);
  KelStoreSValue& value = Pending(rms, 11.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(value.limit, 10.0f + std::sqrt(5.0f) * 2.0f);
}

TEST_F(LimitShopTest, MissingParameterRecordsSkipTheValueWithAMessage) {
  // crest: a limit record without width terms; peak: no limit record (silently no limit);
  // rms: an instrument parameter that the database lost.
  KelStoreSValue& noWidth = Pending(crest, 4.0f);
  noWidth.limit = -7.0f;
  KelStoreSValue& noLimit = Pending(peak, 4.0f);
  noLimit.limit = -7.0f;
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(noWidth.limit, -7.0f);
  EXPECT_EQ(noWidth.evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(noLimit.limit, -7.0f);
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{"SValue Limit not parametrized for Run-up / Level / Gearbox "
                                      "acceleration / Housing / Crest / #0\n",
                                      kSummary}));
  EXPECT_EQ(output.Lines()[0].style, 1);

  output.Clear();
  values.DismissValues();
  TestPlan::Builder plan = LimitPlan();
  auto broken = std::make_shared<CParamSet>(plan.Set());
  broken->instrumentParam.erase(QIdx1(100));
  ParamDatabase::Install(broken);
  KelStoreSValue& lost = Pending(rms, 4.0f);
  lost.limit = -7.0f;
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(lost.limit, -7.0f);
  EXPECT_EQ(Texts(output), (std::vector<std::string>{
                               "SValue Limit: illegal instrument parameter in Run-up / Level / "
                               "Gearbox acceleration / Housing / #100 / #0\n",
                               kSummary}));
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
}

TEST_F(LimitShopTest, OnlyValuesWaitingWithANonZeroTagGetLimits) {
  Learned(rms, 2, 10.0f, 100.0f);
  Learned(minimum, 2, 20.0f, 400.0f);
  KelStoreSValue& tagged = Pending(rms, 11.0f);
  KelStoreSValue& untagged = Pending(minimum, 19.0f);
  values.FinalScalarStore().ToValidateMap().at(minimum).validate = 0;
  KelStoreSValue validated;
  validated.value = 5.0f;
  values.FinalScalarStore().InsertValue(band, validated, 0);  // not waiting at all
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(tagged.limit, 12.0f);
  EXPECT_EQ(untagged.limit, 0.0f);
  EXPECT_EQ(untagged.evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(values.SingleValueMap().at(band).limit, 0.0f);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(LimitShopTest, AVirtualModeTakesTheParametersOfItsBaseModeAndItsOwnLearnedData) {
  // The run-up's parameters (2 base learns, upper, a = 1, p = 10); the repeat's own learned
  // data (mean 30) — the run-up's (mean 10) is not used.
  Learned(rms, 2, 10.0f, 100.0f);
  Learned(repeatRms, 2, 30.0f, 900.0f);
  KelStoreSValue& value = Pending(repeatRms, 31.0f);
  EXPECT_TRUE(shop.GenerateSValueLimits());
  EXPECT_EQ(value.limit, 34.0f);  // 30 + 30 · 0.01 · 10 + 1
  EXPECT_EQ(value.mean, 30.0f);
  EXPECT_EQ(value.evalMode, QVInstrumentParam::eval_upper);
  // The learn item of the repeat is the one read; nothing is learned under the run-up.
  EXPECT_EQ(learn.LearnedSingleValue().at(rms).count, 2u);

  // Messages name the key with its base mode.
  output.Clear();
  const QClavis repeatKurtosis{kRepeat, 1, 1, 1, 102, 0};
  Pending(repeatKurtosis, 1.0f);
  EXPECT_FALSE(shop.GenerateSValueLimits());
  EXPECT_EQ(Texts(output).at(0),
            "Found no learn parameters for Run-up / Level / Gearbox acceleration / Housing / "
            "Kurtosis / #0 or they specify an undefined procedure\n");
  EXPECT_EQ(values.SingleValueMap().at(repeatKurtosis).limit, 100.0f);
  EXPECT_EQ(learn.LearnedSingleValue().count(repeatKurtosis), 1u);
}

TEST_F(LimitShopTest, RetrieveSValueLimitTakesTheStoredLimitOrMakesOne) {
  const auto& limits = CDtParamInstance().LimSValue();
  Learned(rms, 2, 10.0f, 100.0f);
  float limit = -1.0f;
  // Not stored: made from the learned data, whatever is preferred.
  EXPECT_TRUE(shop.RetrieveSValueLimit(limits.find(rms), limit, true));
  EXPECT_EQ(limit, 12.0f);
  limit = -1.0f;
  EXPECT_TRUE(shop.RetrieveSValueLimit(limits.find(rms), limit, false));
  EXPECT_EQ(limit, 12.0f);

  // Stored and evaluated: its own limit when preferred, the made one otherwise.
  KelStoreSValue& stored = Pending(rms, 11.0f);
  stored.limit = 55.0f;
  stored.evalMode = QVInstrumentParam::eval_upper;
  EXPECT_TRUE(shop.RetrieveSValueLimit(limits.find(rms), limit, true));
  EXPECT_EQ(limit, 55.0f);
  EXPECT_TRUE(shop.RetrieveSValueLimit(limits.find(rms), limit, false));
  EXPECT_EQ(limit, 12.0f);
  // Stored but not evaluated: no limit when the stored one is preferred.
  stored.evalMode = QVInstrumentParam::eval_none;
  limit = -1.0f;
  EXPECT_FALSE(shop.RetrieveSValueLimit(limits.find(rms), limit, true));
  EXPECT_EQ(limit, -1.0f);

  // No learned item, or no width terms: no limit.
  EXPECT_FALSE(shop.RetrieveSValueLimit(limits.find(minimum), limit, false));
  Learned(crest, 2, 10.0f, 100.0f);
  EXPECT_FALSE(shop.RetrieveSValueLimit(limits.find(crest), limit, false));
  // Not enough learned: the allowed bound; the stored value is left alone.
  Learned(minimum, 1, 20.0f, 400.0f);
  EXPECT_TRUE(shop.RetrieveSValueLimit(limits.find(minimum), limit, true));
  EXPECT_EQ(limit, 0.0f);
  EXPECT_EQ(stored.limit, 55.0f);
  EXPECT_EQ(limit, 0.0f);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(LimitShopTest, ScratchGrowsOnDemandAndStaysAligned) {
  EXPECT_EQ(shop.ScratchSize(), CKelLimitShop::kInitialScratchSize);
  float* first = shop.Scratch(100);
  EXPECT_EQ(shop.ScratchSize(), 2048u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 32, 0u);
  first[2047] = 1.5f;
  EXPECT_EQ(shop.Scratch(2048), first);
  EXPECT_EQ(first[2047], 1.5f);
  float* grown = shop.Scratch(5000);
  EXPECT_EQ(shop.ScratchSize(), 5000u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(grown) % 32, 0u);
  grown[4999] = 2.5f;
  EXPECT_EQ(shop.Scratch(10), grown);
  EXPECT_EQ(shop.ScratchSize(), 5000u);
}
