// The limits of curve tracks against a plain implementation written here, over random learned
// average and squared-average curves, counts, base learns, width terms, expansion widths of 0
// to 50 x units, directions and rising or falling axes: the same limit samples to the last bit.
// The sideways widening is written as a window minimum or maximum, which is exact in any order
// for numbers, so no tolerance is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "CurveTrackLimitFixture.h"

namespace {

// n = min(count, 2·tc − 1); n / (n − 1) for n > 1, else 0.
float Correction(uint32_t count, long tc) {
  const long n = std::min<long>(count, 2 * tc - 1);
  return n > 1 ? static_cast<float>(static_cast<double>(n) / static_cast<double>(n - 1)) : 0.0f;
}

// The points a width covers at x step dx: the integer part of width / dx + 0.5, at most 50.
int Points(float width, float dx) {
  const auto points = static_cast<int>(width / dx + 0.5f);
  return std::min(points, 50);
}

struct LearnedSpectrum {
  uint32_t count;
  std::vector<float> average;
  std::vector<float> squares;
};

std::vector<float> ReferenceLimit(const std::vector<float>& curve, const LearnedSpectrum* learned,
                                  int direction, long long minLearned, long tc,
                                  const QVIpParamAndStore& terms, float left, float right,
                                  float area) {
  const size_t n = curve.size();
  long long count = 0;
  if (learned != nullptr)
    count = learned->average.size() == n ? static_cast<long long>(learned->count) : -1;
  if (count == 0 || count < minLearned) return std::vector<float>(n, area);
  std::vector<float> limit(n);
  for (size_t i = 0; i < n; ++i) {
    const float mean = learned->average[i];
    float variance = learned->squares[i] - mean * mean;
    if (variance < 0.0f) variance = 0.0f;
    const float sigma = std::sqrt(variance * Correction(learned->count, tc));
    const float width = mean * 0.01f * terms.percent + sigma * terms.sigmaFactor + terms.offset;
    limit[i] = direction == 2 ? mean + width : mean - width;
  }
  // Point j takes in the limits from j − right points to j + left points.
  const int toLeft = Points(left, 0.5f);
  const int toRight = Points(right, 0.5f);
  std::vector<float> widened(n);
  for (size_t j = 0; j < n; ++j) {
    const size_t first = j >= static_cast<size_t>(toRight) ? j - toRight : 0;
    const size_t last = std::min(n - 1, j + toLeft);
    float value = limit[j];
    for (size_t k = first; k <= last; ++k)
      value = direction == 2 ? std::max(value, limit[k]) : std::min(value, limit[k]);
    widened[j] = value;
  }
  return widened;
}

class CurveTrackLimitReferenceTest : public CurveTrackLimitTest {
 protected:
  std::mt19937 rng{7061206};

  float Uniform(float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(rng);
  }
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }
};

}  // namespace

TEST_F(CurveTrackLimitReferenceTest, RandomSpectrogramsMatchAPlainImplementation) {
  int learnedCurves = 0;
  int widenedCurves = 0;
  int emptyWithoutBaseLearns = 0;  // nothing learned where no base learns are asked for
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const bool upper = Int(0, 1) == 1;
    const QClavis& key = upper ? spectrogram : floorSpectrogram;
    const int direction = upper ? 2 : 1;
    const QVIpParamAndStore terms{-1, Uniform(0.0f, 5.0f), Uniform(0.0f, 3.0f),
                                  Uniform(0.0f, 20.0f), true};
    const auto baseLearns = static_cast<uint32_t>(Int(0, 5));
    const float timeConstant = Uniform(1.0f, 200.0f);
    const float left = static_cast<float>(Int(0, 200)) * 0.25f;  // 0 to 50, exact in text
    const float right = static_cast<float>(Int(0, 200)) * 0.25f;
    const double step = (round % 2 == 0 ? 10.0 : -10.0);

    TestPlan::Builder plan = CurveTrackPlan();
    plan.TriggerAxis(kRunUp, 1, 1, 1, round % 2 == 0 ? 800 : 4000, step, 321)
        .LearnProcedure(1, 3, baseLearns, timeConstant)
        .Quantity(key, -1, terms.offset, terms.sigmaFactor, terms.percent);
    ASSERT_TRUE(plan.Install());
    values.DismissValues();
    learn.LearnedCurveTrack().clear();
    output.Clear();
    SetChimneyWidths(left, right);

    std::map<int64_t, std::vector<float>> curves;
    std::map<int64_t, LearnedSpectrum> learned;
    const int positions = Int(1, 8);
    for (int p = 0; p < positions; ++p) {
      const int64_t cell = Int(0, 320);
      const auto n = static_cast<size_t>(Int(1, 60));
      std::vector<float> samples(n);
      for (float& s : samples) s = Uniform(0.0f, 100.0f);
      curves[cell] = samples;
      SpectrogramCurve(key, cell, samples);
      if (Int(0, 9) < 8) {
        // Mostly the curve's length; now and then another one.
        const size_t length = Int(0, 9) == 0 ? n + 1 : n;
        LearnedSpectrum item{static_cast<uint32_t>(Int(0, 5)), {}, {}};
        for (size_t i = 0; i < length; ++i) {
          const float mean = Uniform(-20.0f, 120.0f);
          item.average.push_back(mean);
          item.squares.push_back(mean * mean + Uniform(-3.0f, 200.0f));
        }
        learned[cell] = item;
        LearnedCurveAt(key, cell, item.count, item.average, item.squares);
      }
    }

    EXPECT_TRUE(shop.GenerateCurveTrackLimits());
    EXPECT_TRUE(output.Lines().empty());

    for (const auto& [cell, samples] : curves) {
      const auto item = learned.find(cell);
      const LearnedSpectrum* at = item == learned.end() ? nullptr : &item->second;
      const std::vector<float> expected =
          ReferenceLimit(samples, at, direction, baseLearns, static_cast<long>(timeConstant), terms,
                         left, right, upper ? kAreaUpper : kAreaLower);
      const std::vector<float> actual = LimitOf(key, cell);
      ASSERT_EQ(actual.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::bit_cast<uint32_t>(actual[i]), std::bit_cast<uint32_t>(expected[i]))
            << "cell " << cell << " point " << i << ": " << actual[i] << " vs " << expected[i];
      const bool wasLearned =
          at != nullptr &&
          expected != std::vector<float>(samples.size(), upper ? kAreaUpper : kAreaLower);
      learnedCurves += wasLearned ? 1 : 0;
      emptyWithoutBaseLearns += at != nullptr && at->count == 0 && baseLearns == 0 ? 1 : 0;
      widenedCurves += wasLearned && (left >= 0.25f || right >= 0.25f) ? 1 : 0;
      EXPECT_EQ(StoredCurve(key, cell).LimitState(), direction);
    }
  }
  // The random rounds reach the learned limit often, widened or not.
  EXPECT_GT(learnedCurves, 200);
  EXPECT_GT(widenedCurves, 150);
  EXPECT_GT(emptyWithoutBaseLearns, 5);
}
