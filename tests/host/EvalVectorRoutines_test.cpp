// The vector routines of spectral evaluation: MaxDifference, LocalMaxDifferencePosition,
// VectorSqrSum, VectorMaxIdx, VectorMinIdx and FirstNonFinite, against exact values and against
// a plain scalar reference, bit for bit, at every offset from an aligned address.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "host/AlignedMem.h"
#include "host/Numeric.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

uint32_t Bits(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// ---- The plain reference, one element at a time ----

// The largest (larger = true) or smallest of v, NaN winning, and its first bin.
std::pair<float, unsigned> ReferenceExtreme(const std::vector<float>& v, bool larger) {
  float best = larger ? -kInf : kInf;
  unsigned at = 0;
  for (unsigned i = 0; i < v.size(); ++i) {
    if (std::isnan(v[i])) return {v[i], i};
    if (larger ? v[i] > best : v[i] < best) best = v[i], at = i;
  }
  return {v.empty() ? best : v[at], at};
}

std::vector<float> Differences(const float* a, const float* b, size_t n) {
  std::vector<float> d(n);
  for (size_t i = 0; i < n; ++i) d[i] = a[i] - b[i];
  return d;
}

struct Region {
  unsigned position, next;
  bool operator==(const Region&) const = default;
};

std::vector<Region> ReferenceRegions(const std::vector<float>& d) {
  std::vector<Region> regions;
  for (unsigned i = 0; i < d.size(); ++i) {
    if (d[i] <= 0.0f) continue;
    unsigned worst = i;
    for (; i < d.size() && !(d[i] <= 0.0f); ++i)
      if (!std::isnan(d[worst]) && (std::isnan(d[i]) || d[i] > d[worst])) worst = i;
    regions.push_back({worst, i});
  }
  return regions;
}

// The order Numeric.h documents: 16 partial sums by i % 16, then halves folded in.
float ReferenceSqrSum(const std::vector<float>& v) {
  double acc[16] = {};
  for (size_t i = 0; i < v.size(); ++i) acc[i % 16] += double(v[i]) * double(v[i]);
  for (size_t half = 8; half > 0; half /= 2)
    for (size_t j = 0; j < half; ++j) acc[j] += acc[j + half];
  return float(acc[0]);
}

size_t ReferenceFirstNonFinite(const std::vector<float>& v) {
  for (size_t i = 0; i < v.size(); ++i)
    if (!std::isfinite(v[i])) return i;
  return v.size();
}

// The regions the routine reports, looping from bin 0 the way a caller does.
std::vector<Region> Regions(const float* a, const float* b, size_t n) {
  std::vector<Region> regions;
  unsigned next = 0, position = 0;
  for (unsigned start = 0; DVL::LocalMaxDifferencePosition(a, b, n, start, next, position);
       start = next)
    regions.push_back({position, next});
  return regions;
}

std::vector<Region> RegionsAgainst(const std::vector<float>& a, float limit) {
  const std::vector<float> b(a.size(), limit);
  return Regions(a.data(), b.data(), a.size());
}

}  // namespace

TEST(EvalVectorRoutines, MaxDifferenceExactTiesNaNAndEmpty) {
  unsigned index = 99;
  const std::vector<float> zero(40, 0.0f);
  std::vector<float> a(40, -1.0f);
  a[21] = 5.0f, a[37] = 5.0f, a[3] = 4.0f;  // a tie: the first bin, past the first 16 lanes
  EXPECT_EQ(DVL::MaxDifference(a.data(), zero.data(), 40, index), 5.0f);
  EXPECT_EQ(index, 21u);
  a[30] = kInf;
  EXPECT_EQ(DVL::MaxDifference(a.data(), zero.data(), 40, index), kInf);
  EXPECT_EQ(index, 30u);
  // A NaN in b, a later NaN in a, and inf − inf: the first is bin 33 (inf at 30 is a number).
  std::vector<float> b = zero;
  b[33] = kNaN, a[35] = kNaN, a[34] = kInf, b[34] = kInf;
  EXPECT_TRUE(std::isnan(DVL::MaxDifference(a.data(), b.data(), 40, index)));
  EXPECT_EQ(index, 33u);
  b[33] = 0.0f, a[35] = 0.0f;
  EXPECT_TRUE(std::isnan(DVL::MaxDifference(a.data(), b.data(), 40, index)));
  EXPECT_EQ(index, 34u);
  // −0 and +0 tie: the first bin and its −0.
  const float signedA[] = {-0.0f, 0.0f}, signedB[] = {0.0f, 0.0f};
  EXPECT_EQ(Bits(DVL::MaxDifference(signedA, signedB, 2, index)), Bits(-0.0f));
  EXPECT_EQ(index, 0u);
  index = 99;
  EXPECT_EQ(DVL::MaxDifference(signedA, zero.data(), 0, index), -kInf);
  EXPECT_EQ(index, 0u);
}

TEST(EvalVectorRoutines, ExceedanceRegionsAtTheirWorstBin) {
  EXPECT_EQ(RegionsAgainst({1, 5, 7, 5, 1}, 4.0f), (std::vector<Region>{{2, 4}}));
  EXPECT_EQ(RegionsAgainst({1, 5, 1, 5, 1}, 4.0f), (std::vector<Region>{{1, 2}, {3, 4}}));
  EXPECT_EQ(RegionsAgainst({1, 5, 7}, 4.0f), (std::vector<Region>{{2, 3}}));     // open at the end
  EXPECT_EQ(RegionsAgainst({1, 7, 7, 1}, 4.0f), (std::vector<Region>{{1, 3}}));  // first on ties
  EXPECT_EQ(RegionsAgainst({4, 4, 1}, 4.0f), std::vector<Region>{});             // 0 is not over
  // A NaN bin is over the limit and the worst of its run, the first NaN winning.
  EXPECT_EQ(RegionsAgainst({5, kNaN, 9, kNaN, 1, kNaN}, 4.0f),
            (std::vector<Region>{{1, 4}, {5, 6}}));
  // Regions across the 64-bin search blocks and far behind a long quiet stretch.
  std::vector<float> a(300, 0.0f);
  a[63] = 2, a[64] = 3, a[65] = 1, a[250] = 1;
  EXPECT_EQ(RegionsAgainst(a, 0.5f), (std::vector<Region>{{64, 66}, {250, 251}}));

  // From inside a region, past one, and from start >= n: next and position stay on false.
  const float v[] = {1, 5, 7, 5, 1}, limit[] = {4, 4, 4, 4, 4};
  unsigned next = 77, position = 88;
  ASSERT_TRUE(DVL::LocalMaxDifferencePosition(v, limit, 5, 3, next, position));
  EXPECT_EQ(position, 3u);
  EXPECT_EQ(next, 4u);
  next = 77, position = 88;
  for (unsigned start : {4u, 5u, 6u, 1000u})
    EXPECT_FALSE(DVL::LocalMaxDifferencePosition(v, limit, 5, start, next, position)) << start;
  EXPECT_EQ(next, 77u);
  EXPECT_EQ(position, 88u);
}

TEST(EvalVectorRoutines, SqrSumExactInItsDocumentedOrder) {
  const float threeFour[] = {3.0f, 4.0f};
  EXPECT_EQ(DVL::VectorSqrSum(threeFour, 2), 25.0f);
  EXPECT_EQ(Bits(DVL::VectorSqrSum(threeFour, 0)), Bits(0.0f));
  const float withInf[] = {1.0f, -kInf, 2.0f}, withNaN[] = {1.0f, kNaN, kInf};
  EXPECT_EQ(DVL::VectorSqrSum(withInf, 3), kInf);
  EXPECT_TRUE(std::isnan(DVL::VectorSqrSum(withNaN, 3)));
  // 4096² + 1² is 2^24 + 1, halfway between two floats; (2^-15)² pieces kept in partial sums of
  // their own survive the folding and tip it up to 2^24 + 2. One running sum, or pieces of the
  // tail (after the last whole block of 16) all added to one partial sum, lose them and round
  // to even, 2^24.
  std::vector<float> inTheBlock(16, 0x1p-15f), inTheTail(31, 0x1p-15f);
  for (std::vector<float>* tipping : {&inTheBlock, &inTheTail}) {
    std::vector<float>& v = *tipping;
    if (v.size() > 16) std::fill(v.begin(), v.begin() + 16, 0.0f);
    v[0] = 4096.0f, v[1] = 1.0f;
    EXPECT_EQ(DVL::VectorSqrSum(v.data(), v.size()), 16777218.0f) << v.size();
    double running = 0.0;
    for (float x : v) running += double(x) * double(x);
    EXPECT_EQ(float(running), 16777216.0f) << v.size();
  }
}

TEST(EvalVectorRoutines, MaxMinIdxAndFirstNonFiniteExact) {
  unsigned index = 99;
  std::vector<float> v = {2, -3, 8, -3, 8, 0};
  EXPECT_EQ(DVL::VectorMaxIdx(v.data(), v.size(), index), 8.0f);
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(DVL::VectorMinIdx(v.data(), v.size(), index), -3.0f);
  EXPECT_EQ(index, 1u);
  v[4] = kNaN, v[5] = kNaN;  // the first NaN wins both
  EXPECT_TRUE(std::isnan(DVL::VectorMaxIdx(v.data(), v.size(), index)));
  EXPECT_EQ(index, 4u);
  EXPECT_TRUE(std::isnan(DVL::VectorMinIdx(v.data(), v.size(), index)));
  EXPECT_EQ(index, 4u);
  const float zeros[] = {0.0f, -0.0f}, infs[] = {kInf, kInf};
  EXPECT_EQ(Bits(DVL::VectorMinIdx(zeros, 2, index)), Bits(0.0f));
  EXPECT_EQ(index, 0u);
  index = 99;
  EXPECT_EQ(DVL::VectorMinIdx(infs, 2, index), kInf);
  EXPECT_EQ(index, 0u);
  index = 99;
  EXPECT_EQ(DVL::VectorMaxIdx(zeros, 0, index), -kInf);
  EXPECT_EQ(index, 0u);
  index = 99;
  EXPECT_EQ(DVL::VectorMinIdx(zeros, 0, index), kInf);
  EXPECT_EQ(index, 0u);

  std::vector<float> w(200, std::numeric_limits<float>::max());
  w[7] = std::numeric_limits<float>::denorm_min();
  EXPECT_EQ(DVL::FirstNonFinite(w.data(), w.size()), 200u);
  EXPECT_EQ(DVL::FirstNonFinite(w.data(), 0), 0u);
  for (float bad : {kNaN, kInf, -kInf}) {
    w[150] = bad, w[130] = bad;
    EXPECT_EQ(DVL::FirstNonFinite(w.data(), w.size()), 130u);
    EXPECT_EQ(DVL::FirstNonFinite(w.data(), 130), 130u);
  }
}

// Lengths 0..70 and 4,096 at every offset 0..7 floats, small integers
// (so that ties are common), −0, and NaN and infinities sprinkled in (one in 40 in the short
// vectors, a few or none in the long ones): the bits of the reference at every offset from a
// 32-byte aligned address.
TEST(EvalVectorRoutines, RandomInputsEqualThePlainReferenceAtEveryOffset) {
  std::mt19937 rng(20261207);
  std::uniform_int_distribution<int> small(-6, 6), coin(0, 1);
  std::uniform_real_distribution<float> wide(-1e4f, 1e4f);
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 70; ++n) lengths.push_back(n);
  for (int i = 0; i < 8; ++i) lengths.push_back(4096);
  for (size_t n : lengths) {
    const bool integers = coin(rng) == 0;
    std::uniform_int_distribution<int> pick(0, n > 1000 ? 40000 : 39);
    auto random = [&]() -> float {
      switch (pick(rng)) {
        case 0:
          return kNaN;
        case 1:
          return kInf;
        case 2:
          return -kInf;
        case 3:
          return -0.0f;
        default:
          return integers ? float(small(rng)) : wide(rng);
      }
    };
    std::vector<float> a(n), b(n);
    for (size_t i = 0; i < n; ++i) a[i] = random(), b[i] = n > 1000 ? 0.5f : random();
    const std::vector<float> d = Differences(a.data(), b.data(), n);
    const auto [maxD, maxDAt] = ReferenceExtreme(d, true);
    const auto [maxA, maxAAt] = ReferenceExtreme(a, true);
    const auto [minA, minAAt] = ReferenceExtreme(a, false);

    for (size_t offset = 0; offset < 8; ++offset) {
      CAlignedMem<float> bufferA(n + 8), bufferB(n + 8);  // 32-byte aligned
      float* pa = bufferA.data() + offset;
      float* pb = bufferB.data() + offset;
      std::copy(a.begin(), a.end(), pa);
      std::copy(b.begin(), b.end(), pb);
      const auto where = testing::Message() << "n " << n << " offset " << offset;
      unsigned index = 99;
      EXPECT_EQ(Bits(DVL::MaxDifference(pa, pb, n, index)), Bits(maxD)) << where;
      EXPECT_EQ(index, maxDAt) << where;
      EXPECT_EQ(Regions(pa, pb, n), ReferenceRegions(d)) << where;
      EXPECT_EQ(Bits(DVL::VectorSqrSum(pa, n)), Bits(ReferenceSqrSum(a))) << where;
      EXPECT_EQ(Bits(DVL::VectorMaxIdx(pa, n, index)), Bits(maxA)) << where;
      EXPECT_EQ(index, maxAAt) << where;
      EXPECT_EQ(Bits(DVL::VectorMinIdx(pa, n, index)), Bits(minA)) << where;
      EXPECT_EQ(index, minAAt) << where;
      EXPECT_EQ(DVL::FirstNonFinite(pa, n), ReferenceFirstNonFinite(a)) << where;
    }
  }
}
