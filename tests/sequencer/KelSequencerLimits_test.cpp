// Limits in the evaluation cycle: a measured level with a limit record gets its limit from the
// main learn store before the cycle copies it into the history.
#include <gtest/gtest.h>

#include "SequencerFixture.h"
#include "eval/KelEvalSpec.h"

namespace {

class SequencerLimitsTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 50, 4);  // scalar history depth
    Start();
    // kLevel: upper limit (parameter 10), 2 base learns, a = 1, k = 0, p = 10, bounds 0..100.
    TestPlan::Builder plan = SequencePlan("T1");
    plan.Quantity(kLevel, -1, 1.0f, 0.0f, 10.0f).SValueLimit(kLevel, 0.0f, 100.0f);
    ASSERT_TRUE(plan.Install());
    Send(insert_candidate, std::string("A1"));
  }
  void Measure(float value) {
    Send(begin_mode, 1);
    Send(begin_measurement, 1);
    Level(kLevel, value);
    Send(end_measurement, 1);
  }
  const KelStoreSValue& Stored() { return sequencer_->ValueStore().SingleValueMap().at(kLevel); }
};

}  // namespace

TEST_F(SequencerLimitsTest, TheCycleSetsTheLimitBeforeTheValueGoesIntoTheHistory) {
  // Learned from two parts (mean 10, no spread): 10 + 10 · 0.01 · 10 + 1.
  sequencer_->LearnStore().LearnedSingleValue()[kLevel] = KelLearnSValue(0, 2, 1, 10.0f, 100.0f);
  Measure(11.5f);
  EXPECT_EQ(Stored().limit, 12.0f);
  EXPECT_EQ(Stored().mean, 10.0f);
  EXPECT_EQ(Stored().evalMode, QVInstrumentParam::eval_upper);
  const auto& history = sequencer_->ValueStore().SingleValueMapSectionHistory();
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history.begin()->second.limit, 12.0f);
  EXPECT_EQ(history.begin()->second.value, 11.5f);
  // The value was learned afterwards (the mode is O.K.).
  EXPECT_EQ(sequencer_->LearnStore().LearnedSingleValue().at(kLevel).count, 3u);
}

TEST_F(SequencerLimitsTest, UntilEnoughIsLearnedTheCycleSetsTheLargestAllowedLimit) {
  Measure(40.0f);  // nothing learned yet
  EXPECT_EQ(Stored().limit, 100.0f);
  EXPECT_EQ(Stored().mean, 0.0f);
  EXPECT_EQ(Stored().evalMode, QVInstrumentParam::eval_upper);
  Measure(40.0f);  // one value learned, still below the 2 base learns
  EXPECT_EQ(Stored().limit, 100.0f);
  EXPECT_EQ(Stored().mean, 40.0f);
  // A quantity without a limit record (kLevel2) keeps no limit.
  Send(begin_mode, 2);
  Send(begin_measurement, 2);
  Level(kLevel2, 3.0f);
  Send(end_measurement, 2);
  const KelStoreSValue& other = sequencer_->ValueStore().SingleValueMap().at(kLevel2);
  EXPECT_EQ(other.limit, 0.0f);
  EXPECT_EQ(other.evalMode, QVInstrumentParam::eval_none);
}

TEST_F(SequencerLimitsTest, AValueOverItsLimitIsAnErrorAndIsNotLearned) {
  TestPlan::Builder plan = SequencePlan("T1");
  plan.Quantity(kLevel, 500, 1.0f, 0.0f, 10.0f)
      .SValueLimit(kLevel, 0.0f, 100.0f)
      .ErrorCode(500, "Level too high", 50, 1);
  ASSERT_TRUE(plan.Install());
  // Limit 12 from two learned parts of mean 10.
  sequencer_->LearnStore().LearnedSingleValue()[kLevel] = KelLearnSValue(0, 2, 1, 10.0f, 100.0f);
  Measure(12.5f);
  const auto& errors = sequencer_->ResultShop().Errors();
  ASSERT_EQ(errors.count(kLevel), 1u);
  const KelStoreError& error = errors.find(kLevel)->second;
  EXPECT_EQ(error.tuple(), std::make_tuple(500, 12.5f, 12.0f, 10.0f, 0.0f));
  EXPECT_NE(sequencer_->ResultShop().GetResultForMode(1), NorviDefs::result_ok);
  // The rejected mode taught the main learn store nothing.
  EXPECT_EQ(sequencer_->LearnStore().LearnedSingleValue().at(kLevel).count, 2u);

  // The next part starts without errors; a value at its limit passes and is learned.
  Send(insert_candidate, std::string("A2"));
  sequencer_->LearnStore().LearnedSingleValue()[kLevel] = KelLearnSValue(0, 2, 1, 10.0f, 100.0f);
  Measure(12.0f);
  EXPECT_EQ(sequencer_->ResultShop().Errors().size(), 0u);
  EXPECT_EQ(sequencer_->LearnStore().LearnedSingleValue().at(kLevel).count, 3u);
}

TEST_F(SequencerLimitsTest, SpectralErrorVectorsAreBuiltAnewForEveryPart) {
  // A spectrum over its fixed upper polygon (no learn procedure): the evaluation builds its
  // error vector and enters the bin-wise error; the next part starts without vectors.
  const QClavis spectrum(1, 2500, 1, 1, 30, 0);
  TestPlan::Builder plan = SequencePlan("T1");
  plan.Instrument(2500, "Spectrum", 3)
      .Parameter(30, 2500, "Order spectrum")
      .Polygon(7, {{0.0f, 50.0f}, {10.0f, 50.0f}})
      .Quantity(spectrum, 700)
      .CurveLimit(spectrum, -1, 7)
      .ErrorCode(700, "Spectrum too loud", 50, 1);
  ASSERT_TRUE(plan.Install());
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  const float samples[] = {40.0f, 60.0f, 40.0f, 40.0f};
  const CDescription orders(4, 1.0f, CMeasuringUnit(CMeasuringUnit::cuOrder),
                            CMeasuringUnit(CMeasuringUnit::cuDecibelSpl));
  sequencer_->ValueStore().InsertSigCurve(spectrum, KelSigCurve(samples, orders), 1);
  Send(end_measurement, 1);
  EXPECT_EQ(sequencer_->ResultShop().Errors().count(spectrum), 1u);
  EXPECT_EQ(sequencer_->EvalShop().SpectralEvaluator().ErrorVectorCount(), 1u);
  Send(insert_candidate, std::string("A2"));
  EXPECT_EQ(sequencer_->EvalShop().SpectralEvaluator().ErrorVectorCount(), 0u);
}

TEST_F(SequencerLimitsTest, DerivedValuesAreComputedFirstAndEvaluatedLikeMeasuredOnes) {
  // 502 = level + level, upper limit 50 (code 510); the plan arrives after the part was
  // inserted, so the calculators learn of 502 only with the next part.
  const QClavis derived(1, 10201, 1, 1, 502, 0);
  TestPlan::Builder plan = SequencePlan("T1");
  plan.Instrument(10201, "Arithmetic", 1)
      .Parameter(502, 10201, "Twice the level")
      .Quantity(derived, 510)
      .SValueLimit(derived, 0.0f, 50.0f)
      .ErrorCode(510, "Level sum too high", 50, 1);
  plan.Set().ipCalcParameter[QIdx2(502, 27)] = QVIpCalcParameter{"1", "operation"};
  plan.Set().ipCalcParameter[QIdx2(502, 8)] = QVIpCalcParameter{"10", "A"};
  plan.Set().ipCalcParameter[QIdx2(502, 29)] = QVIpCalcParameter{"10", "B"};
  ASSERT_TRUE(plan.Install());
  Measure(30.0f);
  EXPECT_EQ(sequencer_->ValueStore().SingleValueMap().count(derived), 0u);

  Send(insert_candidate, std::string("A2"));
  Measure(30.0f);
  const auto& values = sequencer_->ValueStore().SingleValueMap();
  ASSERT_EQ(values.count(derived), 1u);
  EXPECT_EQ(values.at(derived).value, 60.0f);
  EXPECT_EQ(values.at(derived).limit, 50.0f);  // its limit was generated after it was computed
  const auto& errors = sequencer_->ResultShop().Errors();
  ASSERT_EQ(errors.count(derived), 1u);
  EXPECT_EQ(errors.find(derived)->second.tuple(), std::make_tuple(510, 60.0f, 50.0f, 0.0f, 0.0f));
}
