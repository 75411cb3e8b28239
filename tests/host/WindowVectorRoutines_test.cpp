// The one-pass sideways widening, MaximizeOverWindow and MinimizeOverWindow: exact values on a
// short vector, and the bits of a plain per-element reference over random vectors with NaNs of
// two payloads, signed zeros and infinities (and without -0), windows of 0..60 points each side.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/Numeric.h"

namespace {

constexpr float kGuard = -99.0f;
const float kInf = std::numeric_limits<float>::infinity();

uint32_t Bits(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

float FromBits(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

// Two quiet NaNs told apart by their bits, so that the test sees which one a window kept.
const float kNaNa = FromBits(0x7fc00001u);
const float kNaNb = FromBits(0xffc00002u);

// The element rules of MaximizeVectors and MinimizeVectors: a NaN from the new value wins,
// a NaN already held stays, between equal values the held one stays.
float ReferenceMax(float held, float next) {
  if (std::isnan(next)) return next;
  if (std::isnan(held)) return held;
  return next > held ? next : held;
}

float ReferenceMin(float held, float next) {
  if (std::isnan(next)) return next;
  if (std::isnan(held)) return held;
  return next < held ? next : held;
}

using ElementRule = float (*)(float, float);
using WindowRoutine = void (*)(float*, const float*, size_t, unsigned, unsigned);

// src[j], then src[j + 1 .. j + left], then src[j - 1 .. j - right], clipped to the vector.
std::vector<float> ReferenceWindow(const std::vector<float>& src, unsigned left, unsigned right,
                                   ElementRule rule) {
  const long long n = static_cast<long long>(src.size());
  std::vector<float> out(src.size());
  for (long long j = 0; j < n; ++j) {
    float acc = src[j];
    for (long long k = 1; k <= left && j + k < n; ++k) acc = rule(acc, src[j + k]);
    for (long long k = 1; k <= right && j - k >= 0; ++k) acc = rule(acc, src[j - k]);
    out[j] = acc;
  }
  return out;
}

// Runs the routine into a destination with a guard before and after it; checks the guards.
std::vector<float> RunWindow(WindowRoutine routine, const std::vector<float>& src, unsigned left,
                             unsigned right) {
  std::vector<float> dst(src.size() + 2, kGuard);
  routine(dst.data() + 1, src.data(), src.size(), left, right);
  EXPECT_EQ(Bits(dst.front()), Bits(kGuard));
  EXPECT_EQ(Bits(dst.back()), Bits(kGuard));
  return std::vector<float>(dst.begin() + 1, dst.end() - 1);
}

// The first index whose bits differ, or -1.
long long FirstDifference(const std::vector<float>& got, const std::vector<float>& want) {
  for (size_t i = 0; i < want.size(); ++i)
    if (Bits(got[i]) != Bits(want[i])) return static_cast<long long>(i);
  return -1;
}

// Mostly small integers and signed zeros, so that equal values meet often; now and then an
// infinity or (unless withNaN is false) one of the two NaNs. A vector without NaN takes the
// routines' path for numbers only.
std::vector<float> RandomLimit(std::mt19937& random, size_t n, bool withNaN = true) {
  std::uniform_int_distribution<int> pick(withNaN ? 0 : 2, 399);
  std::vector<float> v(n);
  for (float& x : v) {
    const int p = pick(random);
    if (p == 0)
      x = kNaNa;
    else if (p == 1)
      x = kNaNb;
    else if (p == 2)
      x = kInf;
    else if (p == 3)
      x = -kInf;
    else if (p < 100)
      x = (p % 2) ? 0.0f : -0.0f;
    else
      x = static_cast<float>(p % 7 - 3);
  }
  return v;
}

void ExpectLikeReference(const std::vector<float>& src, unsigned left, unsigned right) {
  const auto maxGot = RunWindow(DVL::MaximizeOverWindow, src, left, right);
  EXPECT_EQ(FirstDifference(maxGot, ReferenceWindow(src, left, right, ReferenceMax)), -1)
      << "maximum, n " << src.size() << " left " << left << " right " << right;
  const auto minGot = RunWindow(DVL::MinimizeOverWindow, src, left, right);
  EXPECT_EQ(FirstDifference(minGot, ReferenceWindow(src, left, right, ReferenceMin)), -1)
      << "minimum, n " << src.size() << " left " << left << " right " << right;
}

}  // namespace

TEST(WindowVectorRoutines, ExactValuesOnAShortVector) {
  const std::vector<float> src = {1.0f, 5.0f, 2.0f, -0.0f, 0.0f, 3.0f, 4.0f};
  // Window of 1 to the right and 2 to the left.
  EXPECT_EQ(RunWindow(DVL::MaximizeOverWindow, src, 1, 2),
            (std::vector<float>{5.0f, 5.0f, 5.0f, 5.0f, 3.0f, 4.0f, 4.0f}));
  EXPECT_EQ(RunWindow(DVL::MinimizeOverWindow, src, 1, 2),
            (std::vector<float>{1.0f, 1.0f, -0.0f, -0.0f, 0.0f, 0.0f, 0.0f}));
  // Window of 0 and 1: point 3 (-0) meets +0 first and keeps its own -0 (the maximum); point 4
  // (+0) takes in 3 and then -0: it stays +0. The minimum at 4 keeps +0 too.
  const auto maximum = RunWindow(DVL::MaximizeOverWindow, src, 0, 1);
  EXPECT_EQ(maximum, (std::vector<float>{1.0f, 5.0f, 5.0f, 2.0f, 0.0f, 3.0f, 4.0f}));
  EXPECT_EQ(Bits(maximum[3]), Bits(2.0f));
  EXPECT_EQ(Bits(maximum[4]), Bits(0.0f));
  const auto minimum = RunWindow(DVL::MinimizeOverWindow, src, 1, 0);
  EXPECT_EQ(Bits(minimum[3]), Bits(-0.0f));  // held -0 against +0 to its right
  EXPECT_EQ(Bits(minimum[4]), Bits(0.0f));   // held +0, nothing smaller to its right
  // No width: a copy.
  EXPECT_EQ(RunWindow(DVL::MaximizeOverWindow, src, 0, 0), src);
}

TEST(WindowVectorRoutines, SignedZerosTakeTheFirstInWindowOrder) {
  // Point 1 (+0) takes in its right neighbour (-0) first: the held +0 stays; then its left
  // neighbour (-0): still +0. Point 0 (-0) takes in +0 to its right and keeps its -0.
  const std::vector<float> src = {-0.0f, 0.0f, -0.0f};
  const auto maximum = RunWindow(DVL::MaximizeOverWindow, src, 1, 1);
  EXPECT_EQ(Bits(maximum[0]), Bits(-0.0f));
  EXPECT_EQ(Bits(maximum[1]), Bits(0.0f));
  EXPECT_EQ(Bits(maximum[2]), Bits(-0.0f));
}

TEST(WindowVectorRoutines, TheNaNToTheRightComesBeforeTheNaNToTheLeft) {
  // Point 2 sees NaN b to its right first, then NaN a to its left: the later NaN wins.
  const std::vector<float> src = {kNaNa, 1.0f, 2.0f, kNaNb, 3.0f};
  const auto maximum = RunWindow(DVL::MaximizeOverWindow, src, 1, 2);
  EXPECT_EQ(Bits(maximum[2]), Bits(kNaNa));
  EXPECT_EQ(Bits(maximum[4]), Bits(kNaNb));
  EXPECT_EQ(Bits(maximum[1]), Bits(kNaNa));
  const auto minimum = RunWindow(DVL::MinimizeOverWindow, src, 1, 0);
  EXPECT_EQ(Bits(minimum[2]), Bits(kNaNb));
  EXPECT_EQ(Bits(minimum[4]), Bits(3.0f));
}

TEST(WindowVectorRoutines, LikeThePlainReferenceOnShortVectors) {
  std::mt19937 random(20261207);
  for (size_t n = 0; n <= 100; ++n) {
    const auto src = RandomLimit(random, n);
    for (unsigned left = 0; left <= 60; ++left) {
      ExpectLikeReference(src, left, left);
      ExpectLikeReference(src, left, (left * 7 + static_cast<unsigned>(n)) % 61);
    }
  }
}

TEST(WindowVectorRoutines, LikeThePlainReferenceOnASpectrum) {
  std::mt19937 random(4096);
  for (unsigned left = 0; left <= 60; ++left) {
    const auto src = RandomLimit(random, 4096);
    ExpectLikeReference(src, left, 60 - left);
    ExpectLikeReference(src, left, (left * 13) % 61);
    auto numbers = RandomLimit(random, 4096, false);
    ExpectLikeReference(numbers, left, 60 - left);
    ExpectLikeReference(numbers, left, (left * 13) % 61);
    // Without -0 the routines may combine the window in any order; the bits must not show it.
    for (float& x : numbers) x = x == 0.0f ? 0.0f : x;
    ExpectLikeReference(numbers, left, 60 - left);
    ExpectLikeReference(numbers, left, (left * 13) % 61);
  }
}

TEST(WindowVectorRoutines, WindowsWiderThanTheVector) {
  const std::vector<float> src = {2.0f, -1.0f, 7.0f};
  EXPECT_EQ(RunWindow(DVL::MaximizeOverWindow, src, 4000000000u, 4000000000u),
            (std::vector<float>{7.0f, 7.0f, 7.0f}));
  EXPECT_EQ(RunWindow(DVL::MinimizeOverWindow, src, 0, 4000000000u),
            (std::vector<float>{2.0f, -1.0f, -1.0f}));
}
