#include "host/ExpAverFacGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CExpAverFacGenerator, GetFactorExact) {
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(1, 10), 0.0f);  // the first value is the mean
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(2, 10), 0.5f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(3, 10), 2.0f / 3.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(4, 10), 0.75f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(10, 10), 0.9f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(11, 10), 0.9f);  // from tc on: new value weighs 1/tc
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(100000, 10), 0.9f);
  // A time constant below 1 counts as 1: the average is the last value.
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(5, 1), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(5, 0), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(5, -3), 0.0f);
  // No value learned.
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(0, 10), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(-1, 10), 0.0f);
  // Rounded once: 16777216 / 16777217 is the float just below 1, not 1.
  EXPECT_EQ(CExpAverFacGenerator::GetFactor(16777217, std::numeric_limits<long>::max()),
            std::nextafter(1.0f, 0.0f));
}

TEST(CExpAverFacGenerator, GetCorrFactorExact) {
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(1, 10), 0.0f);  // one value has no spread
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(2, 10), 2.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(3, 10), 1.5f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(19, 10), 19.0f / 18.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(20, 10), 19.0f / 18.0f);  // window 2·tc − 1
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(100000, 10), 19.0f / 18.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(5, 2), 1.5f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(5, 1), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(5, 0), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(5, -4), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(0, 10), 0.0f);
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(-7, 10), 0.0f);
  // A huge time constant never limits the count (2·tc − 1 would overflow).
  EXPECT_EQ(CExpAverFacGenerator::GetCorrFactor(100, std::numeric_limits<long>::max()),
            100.0f / 99.0f);
}
