// The limit curves of the limit shop against a plain implementation written point by point
// from the rules: random learned averages and spreads, learned counts around the number of
// base learns, width terms, directions, expansion widths of 0 to 50 x units, and bound
// polygons of 1 to 20 corners over rising or falling x, in the curve's own units or in orders
// of a rotor. The limits agree to the last bit: every point goes through the same float
// operations in the same order (only the order of taking maxima and minima differs, and those
// are exact).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "LimitShopCurveFixture.h"

namespace {

struct Segment {
  int i0, i1;
  float y0, y1;
  bool Covers(int i) const { return std::min(i0, i1) <= i && i <= std::max(i0, i1); }
  // The straight line through both ends, exact at the ends.
  float At(int i) const {
    const int lo = std::min(i0, i1), hi = std::max(i0, i1);
    const float yLo = i0 <= i1 ? y0 : y1, yHi = i0 <= i1 ? y1 : y0;
    if (lo == hi) return y1;
    if (i == lo) return yLo;
    if (i == hi) return yHi;
    return yLo + (yHi - yLo) / static_cast<float>(hi - lo) * static_cast<float>(i - lo);
  }
};

int Bin(float x, float scale, float dx, int n) {
  const float position = x * scale / dx + 0.5f;
  if (position <= 0.0f) return 0;
  return std::min(static_cast<int>(position), n - 1);
}

// The segments of a polygon on a curve of n bins: from bin 0 at the first y, corner to corner,
// and from the last corner to the end at the last y.
std::vector<Segment> Segments(const std::vector<CVPoint>& corners, float scale, float dx, int n) {
  std::vector<Segment> segments;
  int bin = 0;
  float y = corners.front().y;
  for (const CVPoint& corner : corners) {
    const int next = Bin(corner.x, scale, dx, n);
    segments.push_back({bin, next, y, corner.y});
    bin = next;
    y = corner.y;
  }
  segments.push_back({bin, n - 1, y, y});
  return segments;
}

enum class Lay { set, cutDown, raise };

void LayPolygon(std::vector<float>& limit, const std::vector<Segment>& segments, Lay lay) {
  for (int i = 0; i < static_cast<int>(limit.size()); ++i)
    for (const Segment& segment : segments) {
      if (!segment.Covers(i)) continue;
      const float line = segment.At(i);
      if (lay == Lay::set) limit[i] = line;  // the later segment wins
      if (lay == Lay::cutDown) limit[i] = std::min(limit[i], line);
      if (lay == Lay::raise) limit[i] = std::max(limit[i], line);
    }
}

std::vector<float> Widened(const std::vector<float>& limit, float left, float right, float dx,
                           bool upper) {
  const int n = static_cast<int>(limit.size());
  const int toLeft = std::min(50, static_cast<int>(left / dx + 0.5f));
  const int toRight = std::min(50, static_cast<int>(right / dx + 0.5f));
  std::vector<float> widened(limit);
  for (int j = 0; j < n; ++j)
    for (int k = std::max(0, j - toRight); k <= std::min(n - 1, j + toLeft); ++k)
      widened[j] = upper ? std::max(widened[j], limit[k]) : std::min(widened[j], limit[k]);
  return widened;
}

std::vector<uint32_t> Bits(const float* samples, size_t n) {
  std::vector<uint32_t> bits;
  for (size_t i = 0; i < n; ++i) bits.push_back(std::bit_cast<uint32_t>(samples[i]));
  return bits;
}

}  // namespace

TEST_F(LimitShopCurveTest, LimitCurvesAgreeWithPlainReference) {
  std::mt19937 random(20261206);
  auto uniform = [&random](float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(random);
  };
  auto whole = [&random](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  int learnedRuns = 0;
  for (int run = 0; run < 300; ++run) {
    SCOPED_TRACE(run);
    const int n = whole(1, 300);
    const float dx = std::vector<float>{0.25f, 0.5f, 1.0f, 0.1f}[whole(0, 3)];
    const bool inOrders = whole(0, 3) == 0;
    auto randomPolygon = [&](float yLo, float yHi) {
      std::vector<CVPoint> corners(whole(1, 20));
      const bool falling = whole(0, 1) == 1;
      float x = falling ? n * dx * 0.7f : uniform(-2.0f, 2.0f);
      for (CVPoint& corner : corners) {
        corner = {x, uniform(yLo, yHi)};
        x += (falling ? -1.0f : 1.0f) * uniform(0.0f, n * dx * 0.15f);
      }
      return corners;
    };
    const std::vector<CVPoint> upperPolygon = randomPolygon(60.0f, 200.0f);
    const std::vector<CVPoint> lowerPolygon = randomPolygon(-20.0f, 40.0f);
    TestPlan::Builder plan = CurvePlan();
    std::erase_if(plan.Set().ipPolygonValues, [](const auto& point) {
      return point.first.first == 1 || point.first.first == 2;
    });
    plan.Polygon(1, upperPolygon, inOrders ? 7 : -1).Polygon(2, lowerPolygon, inOrders ? 7 : -1);
    bool falling = false;
    for (const auto* corners : {&upperPolygon, &lowerPolygon})
      for (size_t i = 1; i < corners->size(); ++i)
        falling = falling || (*corners)[i].x < (*corners)[i - 1].x;
    // The plan check refuses polygons whose x falls; such a set is installed unchecked, the way
    // the shop must cope with it when the database brings one.
    if (falling)
      ParamDatabase::Install(std::make_shared<CParamSet>(plan.Set()));
    else
      ASSERT_TRUE(plan.Install());
    const float scale = inOrders ? 2.0f : 1.0f;

    std::vector<float> average(n), squares(n);
    for (int i = 0; i < n; ++i) {
      average[i] = uniform(0.0f, 100.0f);
      const float deviation = uniform(0.0f, 10.0f);
      squares[i] = average[i] * average[i] + deviation * deviation;
    }
    const uint32_t count = static_cast<uint32_t>(whole(0, 5));
    const QVIpParamAndStore ips{-1, uniform(0.0f, 5.0f), uniform(0.0f, 3.0f), uniform(0.0f, 20.0f),
                                true};
    const bool upper = whole(0, 1) == 1;
    const auto mode = upper ? QVInstrumentParam::eval_upper : QVInstrumentParam::eval_lower;
    const CKelLimitShop::chimney_width_t widths{uniform(0.0f, 50.0f), uniform(0.0f, 50.0f)};

    KelLearnCurve learned;
    learned.count = count;
    learned.Average() = Curve(average, dx);
    learned.SqAverage() = Curve(squares, dx);
    KelSigLimitCurve curve(nullptr, n, dx, mode);
    EXPECT_TRUE(
        shop.SigCurveLimit(spectrum, curve, learned, QVLimCValue{1, 2, 1}, ips, mode, widths));

    std::vector<float> expected(n);
    const auto upperSegments = Segments(upperPolygon, scale, dx, n);
    const auto lowerSegments = Segments(lowerPolygon, scale, dx, n);
    if (count < 2) {
      LayPolygon(expected, upper ? upperSegments : lowerSegments, Lay::set);
    } else {
      ++learnedRuns;
      const float correction = shop.GetCorrFactor(count, spectrum);
      for (int i = 0; i < n; ++i) {
        const float sigma = numeric::stddev(average[i], squares[i], correction);
        const float width = average[i] * 0.01f * ips.percent + sigma * ips.sigmaFactor + ips.offset;
        expected[i] = upper ? average[i] + width : average[i] - width;
      }
      expected = Widened(expected, widths.first, widths.second, dx, upper);
      LayPolygon(expected, upperSegments, Lay::cutDown);
      LayPolygon(expected, lowerSegments, Lay::raise);
    }
    ASSERT_EQ(Bits(curve.LimitData(), n), Bits(expected.data(), n));
  }
  EXPECT_GT(learnedRuns, 100);
}
