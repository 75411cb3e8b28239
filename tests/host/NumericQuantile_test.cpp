// The host's quantile, mean and scalar product of float vectors.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "host/Numeric.h"

TEST(NumericQuantile, InterpolatesBetweenOrderStatistics) {
  const std::vector<float> values{10.0f, 30.0f, 20.0f};
  auto quantile = [&values](float q) {
    std::vector<float> copy = values;
    return numeric::quantile(copy.data(), copy.size(), q);
  };
  // Sorted 10, 20, 30: h = 2q.
  EXPECT_FLOAT_EQ(quantile(0.1f), 12.0f);
  EXPECT_FLOAT_EQ(quantile(0.9f), 28.0f);
  EXPECT_FLOAT_EQ(quantile(0.5f), 20.0f);
  EXPECT_FLOAT_EQ(quantile(0.0f), 10.0f);
  EXPECT_FLOAT_EQ(quantile(1.0f), 30.0f);
  EXPECT_FLOAT_EQ(quantile(-2.0f), 10.0f);  // q clamped
  EXPECT_FLOAT_EQ(quantile(3.0f), 30.0f);

  std::vector<float> four{4.0f, 1.0f, 3.0f, 2.0f};
  EXPECT_FLOAT_EQ(numeric::quantile(four.data(), four.size(), 0.5f), 2.5f);
  EXPECT_FLOAT_EQ(numeric::quantile(four.data(), four.size(), 0.25f), 1.75f);
  float one = 7.0f;
  EXPECT_FLOAT_EQ(numeric::quantile(&one, 1, 0.9f), 7.0f);
  EXPECT_TRUE(std::isnan(numeric::quantile(nullptr, 0, 0.5f)));
}

TEST(NumericQuantile, MeanAndScalarProduct) {
  const std::vector<float> a{1.0f, 2.0f, 3.0f, 4.0f};
  const std::vector<float> b{4.0f, -5.0f, 6.0f, 0.5f};
  EXPECT_FLOAT_EQ(DVL::VectorMean(a.data(), a.size()), 2.5f);
  EXPECT_FLOAT_EQ(DVL::VectorMean(b.data(), 3), 5.0f / 3.0f);
  EXPECT_TRUE(std::isnan(DVL::VectorMean(a.data(), 0)));
  EXPECT_FLOAT_EQ(DVL::VectorSkalarprodukt(a.data(), b.data(), a.size()), 14.0f);
  EXPECT_FLOAT_EQ(DVL::VectorSkalarprodukt(a.data(), a.data(), 3), 14.0f);
  const float empty = DVL::VectorSkalarprodukt(a.data(), b.data(), 0);
  EXPECT_EQ(empty, 0.0f);
  EXPECT_FALSE(std::signbit(empty));
}
