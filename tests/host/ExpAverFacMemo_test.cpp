#include "host/ExpAverFacMemo.h"

#include <gtest/gtest.h>

// The memo answers what the generator answers, for a repeated pair, a new count, a new time
// constant, a return to an earlier pair and the pair it starts with.
TEST(CExpAverFacMemo, AnswersAsTheGenerator) {
  CExpAverFacMemo factors;
  EXPECT_EQ(factors.GetFactor(0, 0), 0.0f);
  EXPECT_EQ(factors.GetFactor(3, 10), 2.0f / 3.0f);
  EXPECT_EQ(factors.GetFactor(3, 10), 2.0f / 3.0f);
  EXPECT_EQ(factors.GetFactor(4, 10), 0.75f);
  EXPECT_EQ(factors.GetFactor(4, 2), 0.5f);
  EXPECT_EQ(factors.GetFactor(3, 10), 2.0f / 3.0f);
  EXPECT_EQ(factors.GetFactor(1, 10), 0.0f);
  EXPECT_EQ(factors.GetFactor(30, 10), 0.9f);
  EXPECT_EQ(factors.GetFactor(30, 10), CExpAverFacGenerator::GetFactor(30, 10));
}
