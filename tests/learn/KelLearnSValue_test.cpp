#include "learn/KelLearnSValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/Clock.h"

namespace {

constexpr std::time_t kStart = 1765000000;

// Every learn-item test runs on a manual clock, so the time stamps are known exactly.
class LearnItem : public ::testing::Test {
 protected:
  void SetUp() override { HostClock::UseManual(1000, kStart); }
  void TearDown() override { HostClock::UseSystem(); }
};

}  // namespace

TEST_F(LearnItem, ConstructionAndCopyCarryAllFields) {
  const KelLearnSValue fresh;
  EXPECT_EQ(fresh.remaining, 0);
  EXPECT_EQ(fresh.count, 0u);
  EXPECT_EQ(fresh.active, 1);
  EXPECT_EQ(fresh.initTime, kStart);
  EXPECT_EQ(fresh.restartTime, kStart);
  EXPECT_EQ(fresh.mean, 0.0f);
  EXPECT_EQ(fresh.meanSquare, 0.0f);

  HostClock::Advance(5000);
  KelLearnSValue given(7, 3, 0, 1.5f, 2.25f);
  EXPECT_EQ(given.remaining, 7);
  EXPECT_EQ(given.count, 3u);
  EXPECT_EQ(given.active, 0);
  EXPECT_EQ(given.initTime, kStart + 5);
  EXPECT_EQ(given.restartTime, kStart + 5);
  EXPECT_EQ(given.mean, 1.5f);
  EXPECT_EQ(given.meanSquare, 2.25f);

  given.restartTime = kStart + 9;
  KelLearnSValue copy = fresh;
  copy = given;
  EXPECT_EQ(copy.tuple(), given.tuple());

  // The row of the learn file: seven fields in this order.
  KelLearnSValue row;
  row.tuple() = std::make_tuple(-1, 12u, 1, int64_t{100}, int64_t{200}, 3.0f, 10.0f);
  EXPECT_EQ(row.remaining, -1);
  EXPECT_EQ(row.count, 12u);
  EXPECT_EQ(row.active, 1);
  EXPECT_EQ(row.initTime, 100);
  EXPECT_EQ(row.restartTime, 200);
  EXPECT_EQ(row.mean, 3.0f);
  EXPECT_EQ(row.meanSquare, 10.0f);
  EXPECT_EQ(KelLearnSValue::s_version, 2u);
}

TEST_F(LearnItem, StartingAnewResetsCountersStatisticsAndTimes) {
  KelLearnSValue item(0, 9, 0, 4.0f, 17.0f);
  HostClock::Advance(3000);
  KelLearnItemBase& asBase = item;  // the start is virtual: the scalar clears its statistics
  asBase.InitNewLearn(4);
  EXPECT_EQ(item.count, 0u);
  EXPECT_EQ(item.remaining, 4);
  EXPECT_EQ(item.active, 4);
  EXPECT_EQ(item.initTime, kStart + 3);
  EXPECT_EQ(item.restartTime, kStart + 3);
  EXPECT_EQ(item.mean, 0.0f);
  EXPECT_EQ(item.meanSquare, 0.0f);

  // A new number to learn touches only remaining, active and the restart time.
  ASSERT_TRUE(item.LearnValue(2.0f, 10));
  HostClock::Advance(2000);
  item.SetNrToLearn(0);
  EXPECT_EQ(item.remaining, 0);
  EXPECT_EQ(item.active, 0);
  EXPECT_EQ(item.count, 1u);
  EXPECT_EQ(item.mean, 2.0f);
  EXPECT_EQ(item.initTime, kStart + 3);
  EXPECT_EQ(item.restartTime, kStart + 5);

  // The largest unsigned number is the signed counter −1: learning without end.
  item.SetNrToLearn(0xFFFFFFFFu);
  EXPECT_EQ(item.remaining, -1);
  EXPECT_NE(item.active, 0);
}

TEST_F(LearnItem, NumberToLearnOneZeroAndForever) {
  // n = 1: exactly one value; the one that brings remaining to 0 is still learned.
  KelLearnSValue once;
  once.InitNewLearn(1);
  EXPECT_TRUE(once.LearnValue(5.0f, 10));
  EXPECT_EQ(once.count, 1u);
  EXPECT_EQ(once.remaining, 0);
  EXPECT_EQ(once.active, 0);
  EXPECT_EQ(once.mean, 5.0f);
  EXPECT_EQ(once.meanSquare, 25.0f);
  EXPECT_FALSE(once.LearnValue(7.0f, 10));
  EXPECT_EQ(once.count, 1u);
  EXPECT_EQ(once.remaining, 0);
  EXPECT_EQ(once.active, 0);
  EXPECT_EQ(once.mean, 5.0f);
  EXPECT_EQ(once.meanSquare, 25.0f);

  // n = 0: inactive from the start, never learns.
  KelLearnSValue never;
  never.InitNewLearn(0);
  EXPECT_EQ(never.active, 0);
  EXPECT_FALSE(never.LearnValue(3.0f, 10));
  EXPECT_EQ(never.count, 0u);
  EXPECT_EQ(never.remaining, 0);
  EXPECT_EQ(never.mean, 0.0f);

  // −1: every value is learned, the item never goes inactive.
  KelLearnSValue forever;
  forever.InitNewLearn(2);
  forever.LearnForever();
  EXPECT_EQ(forever.remaining, -1);
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(forever.LearnValue(static_cast<float>(i), 1));
  EXPECT_EQ(forever.count, 5u);
  EXPECT_EQ(forever.remaining, -1);
  EXPECT_EQ(forever.active, 2);
  EXPECT_EQ(forever.mean, 5.0f);  // tc 1: the average is the last value

  // A fresh item (active, nothing to learn) that is stepped without a start learns that one
  // value and goes inactive: remaining stays 0, it never turns into "forever".
  KelLearnSValue unstarted;
  EXPECT_TRUE(unstarted.LearnValue(6.0f, 10));
  EXPECT_EQ(unstarted.count, 1u);
  EXPECT_EQ(unstarted.remaining, 0);
  EXPECT_EQ(unstarted.active, 0);

  // A count that reached its largest value stays there instead of wrapping to 0.
  KelLearnSValue old(-1, std::numeric_limits<uint32_t>::max(), 1, 0.0f, 0.0f);
  old.LearnStep();
  EXPECT_EQ(old.count, std::numeric_limits<uint32_t>::max());
  EXPECT_EQ(old.active, 1);
}

TEST_F(LearnItem, ExponentialMeanAndMeanSquareExact) {
  // tc = 2: factors 0, 1/2, 1/2, ... for the values 1, 2, 4, 8.
  KelLearnSValue item;
  item.InitNewLearn(10);
  ASSERT_TRUE(item.LearnValue(1.0f, 2));
  EXPECT_EQ(item.mean, 1.0f);
  EXPECT_EQ(item.meanSquare, 1.0f);
  ASSERT_TRUE(item.LearnValue(2.0f, 2));
  EXPECT_EQ(item.mean, 1.5f);
  EXPECT_EQ(item.meanSquare, 2.5f);
  ASSERT_TRUE(item.LearnValue(4.0f, 2));
  EXPECT_EQ(item.mean, 2.75f);
  EXPECT_EQ(item.meanSquare, 9.25f);
  ASSERT_TRUE(item.LearnValue(8.0f, 2));
  EXPECT_EQ(item.mean, 5.375f);
  EXPECT_EQ(item.meanSquare, 36.625f);
  EXPECT_EQ(item.count, 4u);
  EXPECT_EQ(item.remaining, 6);

  // tc = 4 and four values: the plain mean (factors 0, 1/2, 2/3, 3/4) of 2, 4, 6, 8.
  KelLearnSValue plain;
  plain.InitNewLearn(4);
  for (float x : {2.0f, 4.0f, 6.0f, 8.0f}) ASSERT_TRUE(plain.LearnValue(x, 4));
  EXPECT_EQ(plain.mean, 5.0f);
  EXPECT_EQ(plain.meanSquare, 30.0f);
  EXPECT_EQ(plain.active, 0);

  // The update alone, with a given weight of the old values.
  KelLearnSValue weighted(5, 5, 1, 10.0f, 100.0f);
  weighted.Update(2.0f, 0.75f);
  EXPECT_EQ(weighted.mean, 8.0f);
  EXPECT_EQ(weighted.meanSquare, 76.0f);
  EXPECT_EQ(weighted.count, 5u);  // the update does not count; the learn step does
}
