#include "PartDriver.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

TEST(PartDriverTest, NonFiniteSamplesAreNaNAndInfinityOnly) {
  std::vector<float> samples{0.0f,     -0.0f,    1.5f,         FLT_MAX,
                             -FLT_MAX, FLT_MIN,  FLT_TRUE_MIN, NAN,
                             -NAN,     INFINITY, -INFINITY,    std::nextafter(FLT_MAX, 0.0f)};
  EXPECT_EQ(CountNonFiniteSamples(samples.data(), samples.size()), 4u);
  // Counted at every position, past any vector width.
  std::vector<float> many(1000, 2.0f);
  for (size_t i = 3; i < many.size(); i += 7) many[i] = (i % 2 == 0) ? NAN : -INFINITY;
  EXPECT_EQ(CountNonFiniteSamples(many.data(), many.size()), 143u);
  EXPECT_EQ(CountNonFiniteSamples(many.data(), 0), 0u);
}
