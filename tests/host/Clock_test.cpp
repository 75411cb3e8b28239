#include "host/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(HostClock, ManualClockMovesOnlyWhenAdvanced) {
  HostClock::UseManual(1000, 1700000000);
  EXPECT_TRUE(HostClock::IsManual());
  EXPECT_EQ(HostClock::TickCount(), 1000u);
  EXPECT_EQ(HostClock::TickCount(), 1000u);
  EXPECT_EQ(HostClock::WallTime(), 1700000000);

  HostClock::Advance(100);
  EXPECT_EQ(HostClock::TickCount(), 1100u);
  EXPECT_EQ(HostClock::WallTime(), 1700000000);  // 100 ms: not yet a second
  HostClock::Advance(900);
  EXPECT_EQ(HostClock::TickCount(), 2000u);
  EXPECT_EQ(HostClock::WallTime(), 1700000001);
  HostClock::Advance(2500);
  EXPECT_EQ(HostClock::TickCount(), 4500u);
  EXPECT_EQ(HostClock::WallTime(), 1700000003);

  HostClock::UseManual(5, 100);  // a new manual start replaces the old one
  EXPECT_EQ(HostClock::TickCount(), 5u);
  EXPECT_EQ(HostClock::WallTime(), 100);

  HostClock::UseSystem();
  EXPECT_FALSE(HostClock::IsManual());
  const uint64_t first = HostClock::TickCount();
  HostClock::Advance(1000000000);  // no effect on the system clock
  const uint64_t second = HostClock::TickCount();
  EXPECT_GE(second, first);
  EXPECT_LT(second - first, 100000000u);
  const std::time_t now = std::time(nullptr);
  EXPECT_LE(std::abs(static_cast<long long>(HostClock::WallTime() - now)), 2);
}
