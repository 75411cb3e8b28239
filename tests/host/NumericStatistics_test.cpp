// Statistics over float vectors.
#include <gtest/gtest.h>

#include <vector>

#include "host/Numeric.h"

namespace {

size_t FirstPeak(const std::vector<float>& curve, float threshold) {
  return numeric::FirstHarmonicDetector(curve.data(), curve.size(), threshold);
}

}  // namespace

TEST(NumericStatistics, FirstHarmonicDetectorFindsTheFirstPeakHighEnough) {
  // Minimum 1, range 9: at threshold 0.6 a peak must reach 6.4.
  EXPECT_EQ(FirstPeak({1, 3, 2, 8, 7, 10, 4}, 0.6f), 3u);  // bin 1 too low, bin 3 first
  EXPECT_EQ(FirstPeak({1, 3, 2, 8, 7, 10, 4}, 0.9f), 5u);  // only the largest reaches 9.1
  EXPECT_EQ(FirstPeak({1, 3, 2, 8, 7, 10, 4}, 0.2f), 1u);  // 3 reaches 2.8
  // Exactly the needed height counts: 0 + 0.5 × 10 = 5.
  EXPECT_EQ(FirstPeak({0, 5, 0, 10, 0}, 0.5f), 1u);
  // The ends count as having lower neighbours outside.
  EXPECT_EQ(FirstPeak({9, 2, 1, 9.5f}, 0.6f), 0u);
  EXPECT_EQ(FirstPeak({1, 2, 3, 4, 9}, 0.6f), 4u);
  // A plateau: its first bin is not below either neighbour.
  EXPECT_EQ(FirstPeak({0, 1, 8, 8, 8, 2}, 0.6f), 2u);
  // Rising bins are no peaks until the top: 2, 5 lie on the slope to 10.
  EXPECT_EQ(FirstPeak({0, 2, 5, 10, 3}, 0.4f), 3u);
}

TEST(NumericStatistics, FirstHarmonicDetectorOfEmptyOrFlatCurveIsZero) {
  EXPECT_EQ(numeric::FirstHarmonicDetector(nullptr, 0, 0.6f), 0u);
  EXPECT_EQ(FirstPeak({4, 4, 4, 4}, 0.6f), 0u);
}
