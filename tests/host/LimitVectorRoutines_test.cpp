// The vector routines the limit shop combines limits with: MaximizeVectors, MinimizeVectors and
// the three polygon routines, against exact values and against a plain scalar reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/Numeric.h"

namespace {

constexpr float kGuard = -99.0f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

uint32_t Bits(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// ---- The plain reference, one element at a time ----

float ReferenceMax(float dst, float src) {
  if (std::isnan(src)) return src;
  if (std::isnan(dst)) return dst;
  return src > dst ? src : dst;
}

float ReferenceMin(float dst, float src) {
  if (std::isnan(src)) return src;
  if (std::isnan(dst)) return dst;
  return src < dst ? src : dst;
}

// The line through (i0, y0) and (i1, y1) at index i, for i between the two.
float ReferenceLine(int i0, int i1, float y0, float y1, int i) {
  if (i0 == i1) return y1;
  const int lo = std::min(i0, i1);
  const int hi = std::max(i0, i1);
  const float yLo = i0 < i1 ? y0 : y1;
  const float yHi = i0 < i1 ? y1 : y0;
  if (i == lo) return yLo;
  if (i == hi) return yHi;
  const float slope = (yHi - yLo) / static_cast<float>(hi - lo);
  return yLo + slope * static_cast<float>(i - lo);
}

enum class Combine { kSet, kMin, kMax };

void ReferencePolygon(std::vector<float>& v, int i0, int i1, float y0, float y1, Combine how) {
  if (i0 < 0 || i1 < 0) return;
  for (int i = std::min(i0, i1); i <= std::max(i0, i1); ++i) {
    const float line = ReferenceLine(i0, i1, y0, y1, i);
    const size_t at = static_cast<size_t>(i);
    if (how == Combine::kSet) v[at] = line;
    if (how == Combine::kMin) v[at] = ReferenceMin(v[at], line);
    if (how == Combine::kMax) v[at] = ReferenceMax(v[at], line);
  }
}

void Polygon(float* v, int i0, int i1, float y0, float y1, Combine how) {
  if (how == Combine::kSet) DVL::SetVectorToPolygon(v, i0, i1, y0, y1);
  if (how == Combine::kMin) DVL::MinimizeVectorAndPolygon(v, i0, i1, y0, y1);
  if (how == Combine::kMax) DVL::MaximizeVectorAndPolygon(v, i0, i1, y0, y1);
}

// Lays a polygon over a curve of n points the way the limit shop does: its first y from index
// 0 to its first point, segment by segment, then its last y to the end.
struct PolygonPoint {
  int index;
  float y;
};
void LayPolygon(std::vector<float>& v, const std::vector<PolygonPoint>& points) {
  int prevIndex = 0;
  float prevY = points.front().y;
  for (const PolygonPoint& p : points) {
    DVL::SetVectorToPolygon(v.data(), prevIndex, p.index, prevY, p.y);
    prevIndex = p.index;
    prevY = p.y;
  }
  DVL::SetVectorToPolygon(v.data(), prevIndex, static_cast<int>(v.size()) - 1, prevY, prevY);
}

std::vector<float> WithGuards(std::vector<float> v) {
  v.insert(v.begin(), kGuard);
  v.push_back(kGuard);
  return v;
}

}  // namespace

TEST(LimitVectorRoutines, MaximizeAndMinimizeExactWithTheNaNRule) {
  // Inside the guards: larger, smaller, equal, +0 against -0 both ways, NaN in src, NaN in
  // dst, NaN in both, infinities.
  const std::vector<float> dst0 = {1.0f, 5.0f, 2.0f, 0.0f, -0.0f, 3.0f, kNaN, kNaN, -kInf, 7.0f};
  const std::vector<float> src0 = {4.0f, 2.0f, 2.0f, -0.0f, 0.0f, kNaN, 3.0f, kNaN, 1.0f, kInf};
  const size_t n = dst0.size();

  // Every element has the bits it should (any NaN for a NaN); the guards are untouched.
  const auto expectInsideGuards = [n](const std::vector<float>& got, const std::vector<float>& want,
                                      const char* what) {
    for (size_t i = 0; i < n; ++i) {
      if (std::isnan(want[i])) {
        EXPECT_TRUE(std::isnan(got[i + 1])) << what << " " << i;
      } else {
        EXPECT_EQ(Bits(got[i + 1]), Bits(want[i])) << what << " " << i;
      }
    }
    EXPECT_EQ(got.front(), kGuard) << what;
    EXPECT_EQ(got.back(), kGuard) << what;
  };

  std::vector<float> dst = WithGuards(dst0), src = WithGuards(src0);
  DVL::MaximizeVectors(dst.data() + 1, src.data() + 1, n);
  expectInsideGuards(dst, {4.0f, 5.0f, 2.0f, 0.0f, -0.0f, kNaN, kNaN, kNaN, 1.0f, kInf}, "maximum");

  dst = WithGuards(dst0);
  DVL::MinimizeVectors(dst.data() + 1, src.data() + 1, n);
  expectInsideGuards(dst, {1.0f, 2.0f, 2.0f, 0.0f, -0.0f, kNaN, kNaN, kNaN, -kInf, 7.0f},
                     "minimum");

  // n = 0 touches nothing.
  dst = WithGuards(dst0);
  DVL::MaximizeVectors(dst.data() + 1, src.data() + 1, 0);
  DVL::MinimizeVectors(dst.data() + 1, src.data() + 1, 0);
  EXPECT_EQ(dst[1], 1.0f);
  EXPECT_EQ(dst[2], 5.0f);
}

TEST(LimitVectorRoutines, PolygonSegmentsExactValues) {
  const std::vector<float> ramp = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f};
  std::vector<float> v(8, kGuard);

  // Rising: 1 at index 2 to 5 at index 6; outside the segment nothing changes.
  DVL::SetVectorToPolygon(v.data(), 2, 6, 1.0f, 5.0f);
  EXPECT_EQ(v, (std::vector<float>{kGuard, kGuard, 1, 2, 3, 4, 5, kGuard}));
  // Given right to left, the same segment.
  v.assign(8, kGuard);
  DVL::SetVectorToPolygon(v.data(), 6, 2, 5.0f, 1.0f);
  EXPECT_EQ(v, (std::vector<float>{kGuard, kGuard, 1, 2, 3, 4, 5, kGuard}));
  // Thirds: slope 1/3 in float, 2 · (1/3) at index 2.
  v.assign(8, kGuard);
  DVL::SetVectorToPolygon(v.data(), 0, 3, 0.0f, 1.0f);
  EXPECT_EQ(v, (std::vector<float>{0.0f, 0.333333343f, 0.666666687f, 1.0f, kGuard, kGuard, kGuard,
                                   kGuard}));
  // The ends are exact even where yLo + (yHi − yLo) would round away from yHi, and keep a -0
  // (inside, -0 + 0 · k is +0, as the formula says).
  v.assign(8, kGuard);
  DVL::SetVectorToPolygon(v.data(), 1, 4, 1.0f, 1e-8f);
  EXPECT_NE(1.0f + (1e-8f - 1.0f), 1e-8f);
  EXPECT_EQ(v[1], 1.0f);
  EXPECT_EQ(v[4], 1e-8f);
  DVL::SetVectorToPolygon(v.data(), 5, 7, -0.0f, -0.0f);
  EXPECT_TRUE(std::signbit(v[5]) && std::signbit(v[7]));
  EXPECT_EQ(Bits(v[6]), Bits(0.0f));
  // A single index takes y1; a negative index changes nothing.
  v.assign(8, kGuard);
  DVL::SetVectorToPolygon(v.data(), 3, 3, 8.0f, 9.0f);
  EXPECT_EQ(v, (std::vector<float>{kGuard, kGuard, kGuard, 9, kGuard, kGuard, kGuard, kGuard}));
  DVL::SetVectorToPolygon(v.data(), -1, 3, 8.0f, 9.0f);
  DVL::SetVectorToPolygon(v.data(), 3, -1, 8.0f, 9.0f);
  EXPECT_EQ(v, (std::vector<float>{kGuard, kGuard, kGuard, 9, kGuard, kGuard, kGuard, kGuard}));

  // Against the ramp 0..7, the falling line 5 at index 1 to 1 at index 5.
  v = ramp;
  DVL::MinimizeVectorAndPolygon(v.data(), 1, 5, 5.0f, 1.0f);
  EXPECT_EQ(v, (std::vector<float>{0, 1, 2, 3, 2, 1, 6, 7}));
  v = ramp;
  DVL::MaximizeVectorAndPolygon(v.data(), 1, 5, 5.0f, 1.0f);
  EXPECT_EQ(v, (std::vector<float>{0, 5, 4, 3, 4, 5, 6, 7}));
  // A single index combines with y1 only: y0 = -100 would win the minimum, y1 = 50 does not.
  v = ramp;
  DVL::MinimizeVectorAndPolygon(v.data(), 3, 3, -100.0f, 50.0f);
  DVL::MaximizeVectorAndPolygon(v.data(), 4, 4, 100.0f, -50.0f);
  EXPECT_EQ(v, ramp);
  DVL::MinimizeVectorAndPolygon(v.data(), 3, 3, 100.0f, -50.0f);
  DVL::MaximizeVectorAndPolygon(v.data(), 4, 4, -100.0f, 50.0f);
  EXPECT_EQ(v, (std::vector<float>{0, 1, 2, -50, 50, 5, 6, 7}));

  // NaN: in the vector it stays; a NaN y makes the slope NaN, so it covers the segment but
  // for the other end, which is that end's own y.
  v = ramp;
  v[2] = kNaN;
  DVL::MinimizeVectorAndPolygon(v.data(), 0, 3, 10.0f, 10.0f);
  DVL::MaximizeVectorAndPolygon(v.data(), 0, 3, -10.0f, -10.0f);
  EXPECT_TRUE(std::isnan(v[2]));
  EXPECT_EQ(v[1], 1.0f);
  v = ramp;
  DVL::MinimizeVectorAndPolygon(v.data(), 0, 2, kNaN, 10.0f);
  DVL::MaximizeVectorAndPolygon(v.data(), 5, 7, -10.0f, kNaN);
  for (size_t i : {0u, 1u, 6u, 7u}) EXPECT_TRUE(std::isnan(v[i])) << i;
  EXPECT_EQ(v[2], 2.0f);
  EXPECT_EQ(v[3], 3.0f);
  EXPECT_EQ(v[4], 4.0f);
  EXPECT_EQ(v[5], 5.0f);
}

// The limit shop lays a polygon from index 0 with its first y, segment by segment, and closes
// with its last y to the end: each later segment overwrites the index it shares.
TEST(LimitVectorRoutines, PolygonsLaidSegmentBySegment) {
  std::vector<float> v(10, kGuard);
  LayPolygon(v, {{4, 2.5f}});  // one point: the whole curve
  EXPECT_EQ(v, std::vector<float>(10, 2.5f));

  // First y up to the first point, the line between the points, last y from the last point.
  LayPolygon(v, {{2, 1.0f}, {6, 5.0f}});
  EXPECT_EQ(v, (std::vector<float>{1, 1, 1, 2, 3, 4, 5, 5, 5, 5}));

  // Two points on one index: a step there, the later point's y from that index on.
  LayPolygon(v, {{3, 1.0f}, {3, 7.0f}});
  EXPECT_EQ(v, (std::vector<float>{1, 1, 1, 7, 7, 7, 7, 7, 7, 7}));

  // Falling x: the segment from index 6 back to 2 is drawn right to left, and the closing
  // segment runs from index 2 to the end at the last y, over what was drawn.
  LayPolygon(v, {{6, 5.0f}, {2, 1.0f}});
  EXPECT_EQ(v, (std::vector<float>{5, 5, 1, 1, 1, 1, 1, 1, 1, 1}));
}

// Random lengths 0..5000 (most not a multiple of any vector width), random starts 0..15 floats
// past an aligned address, random segments and values with NaN, -0 and infinities mixed in:
// whatever instruction set runs, every element has the reference's bits and nothing outside
// the range is touched.
TEST(LimitVectorRoutines, RandomInputsEqualThePlainReferenceToTheLastBit) {
  std::mt19937 rng(20261206);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  std::uniform_int_distribution<int> oneIn50(0, 49);
  auto randomValue = [&] {
    switch (oneIn50(rng)) {
      case 0:
        return kNaN;
      case 1:
        return -0.0f;
      case 2:
        return 0.0f;
      case 3:
        return kInf;
      default:
        return value(rng);
    }
  };
  auto expectSameBits = [](const std::vector<float>& got, const std::vector<float>& want,
                           const char* what, int round) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(Bits(got[i]), Bits(want[i])) << what << " round " << round << " index " << i;
  };

  for (int round = 0; round < 300; ++round) {
    const size_t n = std::uniform_int_distribution<size_t>(0, 5000)(rng);
    const size_t offset = std::uniform_int_distribution<size_t>(0, 15)(rng);
    std::vector<float> start(offset + n + 1), src(offset + n + 1);
    for (float& x : start) x = randomValue();
    for (float& x : src) x = randomValue();

    std::vector<float> got = start, want = start;
    DVL::MaximizeVectors(got.data() + offset, src.data() + offset, n);
    for (size_t i = offset; i < offset + n; ++i) want[i] = ReferenceMax(want[i], src[i]);
    expectSameBits(got, want, "maximize", round);

    got = start, want = start;
    DVL::MinimizeVectors(got.data() + offset, src.data() + offset, n);
    for (size_t i = offset; i < offset + n; ++i) want[i] = ReferenceMin(want[i], src[i]);
    expectSameBits(got, want, "minimize", round);

    if (n == 0) continue;
    std::uniform_int_distribution<int> index(0, static_cast<int>(n) - 1);
    const int i0 = index(rng);
    const int i1 = oneIn50(rng) < 5 ? i0 : index(rng);
    const float y0 = randomValue(), y1 = randomValue();
    for (Combine how : {Combine::kSet, Combine::kMin, Combine::kMax}) {
      got = start;
      std::vector<float> reference(start.begin() + static_cast<long>(offset), start.end());
      Polygon(got.data() + offset, i0, i1, y0, y1, how);
      ReferencePolygon(reference, i0, i1, y0, y1, how);
      want = start;
      std::copy(reference.begin(), reference.end(), want.begin() + static_cast<long>(offset));
      expectSameBits(got, want, "polygon", round);
    }
  }
}
