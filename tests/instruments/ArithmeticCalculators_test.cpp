// CSvCalc and CTrackCalc: two quantities combined with one operation.
#include <gtest/gtest.h>

#include <cmath>

#include "eval/SourceGeneration.h"
#include "instruments/InstrumentPlanFixture.h"

class ArithmeticTest : public InstrumentPlanTest {
 protected:
  static constexpr int kSv = 10201;
  static constexpr int kTrack = 11201;

  // Single value 502 = op(100, 101).
  void SvOperation(int operation) {
    Derived(kSv, 1, 502, "Combined");
    Calc(502, {{27, std::to_string(operation)}, {8, "100"}, {29, "101"}});
    Install();
  }
  float Combined(float a, float b) {
    store.DismissValues();
    Measure(100, a);
    Measure(101, b);
    shop.Run();
    const KelStoreSValue* value = Value(Key(kSv, 502));
    return value == nullptr ? -12345.0f : value->value;
  }
};

TEST_F(ArithmeticTest, SingleValueOperationsAndUnits) {
  const float a = 7.0f, b = 2.0f;
  const float expected[] = {9.0f, 5.0f, 14.0f, 7.0f / 9.0f * 100.0f, 250.0f, 5.0f, 3.5f};
  for (int operation = 1; operation <= 7; ++operation) {
    plan.Set().ipCalcParameter.clear();
    SvOperation(operation);
    EXPECT_FLOAT_EQ(Combined(a, b), expected[operation - 1]) << operation;
    const CMeasuringUnit& unit = store.GetMeasuringUnit(Key(kSv, 502));
    const int common[] = {4, 4, 0, 13, 13, 4, 0};
    EXPECT_EQ(unit.CommonUnit(), common[operation - 1]) << operation;
  }
  plan.Set().ipCalcParameter.clear();
  SvOperation(4);
  EXPECT_FLOAT_EQ(Combined(1.0f, 3.0f), 25.0f);
  plan.Set().ipCalcParameter.clear();
  SvOperation(5);
  EXPECT_FLOAT_EQ(Combined(110.0f, 100.0f), 10.0f);
  EXPECT_TRUE(std::isinf(Combined(1.0f, 0.0f)));  // a division by zero is stored as it comes
  EXPECT_TRUE(std::isnan(Combined(0.0f, 0.0f)));
}

TEST_F(ArithmeticTest, SingleValueTakesBothContextsAndTheFirstExpiry) {
  SvOperation(2);
  KelStoreSValue a;
  a.value = 90.0f;
  a.context = 0b00010;
  a.expire = SignalBase::expire_candidate;
  store.InsertSValue(Key(kLevel, 100), a, Decibel(), 1);
  Measure(101, 80.0f, 0b01000);
  shop.Run();
  const KelStoreSValue* value = Value(Key(kSv, 502));
  ASSERT_NE(value, nullptr);
  EXPECT_FLOAT_EQ(value->value, 10.0f);
  EXPECT_FLOAT_EQ(value->position, 0.0f);
  EXPECT_EQ(value->context, 0b01010u);
  EXPECT_EQ(value->expire, SignalBase::expire_candidate);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kSv, 502)), 2u);
}

TEST_F(ArithmeticTest, SingleValueNeedsANewOperandAndBothOperands) {
  SvOperation(1);
  Measure(100, 1.0f);
  shop.Run();
  EXPECT_EQ(Value(Key(kSv, 502)), nullptr);  // B missing

  Measure(101, 2.0f);
  store.validated();  // both operands from an earlier evaluation step
  shop.Run();
  EXPECT_EQ(Value(Key(kSv, 502)), nullptr);

  Measure(101, 5.0f);  // one new operand is enough
  shop.Run();
  ASSERT_NE(Value(Key(kSv, 502)), nullptr);
  EXPECT_FLOAT_EQ(Value(Key(kSv, 502))->value, 6.0f);

  store.validated();
  store.SingleValueMap().find(Key(kLevel, 100))->second.value = 100.0f;
  shop.Run();  // nothing new: not recomputed
  EXPECT_FLOAT_EQ(Value(Key(kSv, 502))->value, 6.0f);
}

TEST_F(ArithmeticTest, UnsupportedOrIncompleteOperationsAreSkipped) {
  Derived(kSv, 1, 502, "Unknown operation");
  Derived(kSv, 1, 503, "No operand B");
  Calc(502, {{27, "8"}, {8, "100"}, {29, "101"}});
  Calc(503, {{27, "1"}, {8, "100"}});
  Install();
  Measure(100, 1.0f);
  Measure(101, 2.0f);
  EXPECT_EQ(shop.Run(), 1u);
  EXPECT_EQ(Value(Key(kSv, 502)), nullptr);
  EXPECT_EQ(Value(Key(kSv, 503)), nullptr);
  EXPECT_EQ(output.Text(), "CSvCalc::process(): Calculation not supported for Clavis " +
                               CDtParamInstance().FormatClavisText(Key(kSv, 502)) + "\n");
}

TEST_F(ArithmeticTest, TracksArePairedPointByPoint) {
  Derived(kTrack, 2, 504, "Order difference", 1);
  Calc(504, {{27, "2"}, {8, "400"}, {29, "401"}});
  Install();
  MeasureTrack(400, {10.0f, 20.0f, 30.0f});
  // B's points lie elsewhere: the i-th point of A meets the i-th point of B.
  for (const auto& [cell, v] : {std::pair{5, 1.0f}, {6, 2.0f}, {9, 3.0f}})
    store.TrackScalarStore().InsertValue(Key(kOrderTrack, 401), cell, v, Decibel(), 22,
                                         SignalBase::expire_mode, 1);
  shop.Run();
  const auto* track = store.TrackScalarStore().FindTrack(Key(kTrack, 504));
  ASSERT_NE(track, nullptr);
  std::vector<std::pair<long long, float>> points;
  for (const auto& [cell, point] : track->points) points.emplace_back(cell, point.value);
  EXPECT_EQ(points, (std::vector<std::pair<long long, float>>{{0, 9.0f}, {1, 18.0f}, {2, 27.0f}}));
  EXPECT_EQ(track->unit.CommonUnit(), CMeasuringUnit::cuMetrePerSecond2);
  EXPECT_EQ(SourceGeneration::OfScalarTrack(store, Key(kTrack, 504)), 2u);
}

TEST_F(ArithmeticTest, TracksOfDifferentLengthsOrADivisionGiveNoTrack) {
  Derived(kTrack, 2, 504, "Order sum", 1);
  Derived(kTrack, 2, 505, "Order ratio", 1);
  Calc(504, {{27, "1"}, {8, "400"}, {29, "401"}});
  Calc(505, {{27, "7"}, {8, "400"}, {29, "401"}});
  Install();
  MeasureTrack(400, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  MeasureTrack(401, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(shop.Run(), 1u);
  EXPECT_EQ(store.TrackScalarStore().FindTrack(Key(kTrack, 504)), nullptr);
  MeasureTrack(400, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(shop.Run(), 2u);
  EXPECT_EQ(store.TrackScalarStore().GetTrackLength(Key(kTrack, 504)), 11);
  EXPECT_EQ(store.TrackScalarStore().FindTrack(Key(kTrack, 505)), nullptr);
}
