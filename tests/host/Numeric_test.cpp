#include "host/Numeric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/AlignedMem.h"

namespace {

bool Aligned(const void* p) {
  return reinterpret_cast<uintptr_t>(p) % 32 == 0;
}

// 13 elements (not a multiple of the vector width) plus guards that must stay untouched.
constexpr size_t kN = 13;
constexpr size_t kWithGuard = 16;
constexpr float kGuard = -99.0f;

}  // namespace

TEST(AlignedMem, AlignedZeroedClonedAndCounted) {
  for (size_t n : {1u, 7u, 13u, 100u}) {
    CAlignedMem<float> mem(n);
    EXPECT_EQ(mem.size(), n);
    EXPECT_TRUE(Aligned(mem.data()));
    for (size_t i = 0; i < n; ++i) EXPECT_EQ(mem.data()[i], 0.0f);
  }
  CAlignedMem<float> empty;
  EXPECT_EQ(empty.data(), nullptr);
  EXPECT_EQ(empty.size(), 0u);

  CAlignedMem<float> mem(kN);
  for (size_t i = 0; i < kN; ++i) mem.data()[i] = static_cast<float>(i) + 0.5f;
  const uint64_t allocations = CAlignedMemStats::Allocations();
  const uint64_t copied = CAlignedMemStats::BytesCopied();
  const auto clone = mem.Clone();
  EXPECT_EQ(CAlignedMemStats::Allocations(), allocations + 1);
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copied + kN * sizeof(float));
  ASSERT_EQ(clone->size(), kN);
  EXPECT_NE(clone->data(), mem.data());
  EXPECT_TRUE(Aligned(clone->data()));
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(clone->data()[i], static_cast<float>(i) + 0.5f);

  const auto emptyClone = empty.Clone();
  EXPECT_EQ(emptyClone->size(), 0u);
  EXPECT_EQ(CAlignedMemStats::BytesCopied(), copied + kN * sizeof(float));
  EXPECT_EQ(CAlignedMemStats::Allocations(), allocations + 1);

  float* const before = mem.data();
  mem.Resize(kN);  // same size: keeps buffer and content
  EXPECT_EQ(CAlignedMemStats::Allocations(), allocations + 1);
  EXPECT_EQ(mem.data(), before);
  EXPECT_EQ(mem.data()[3], 3.5f);
  mem.Resize(20);  // new size: a fresh zeroed buffer
  EXPECT_EQ(CAlignedMemStats::Allocations(), allocations + 2);
  EXPECT_EQ(mem.size(), 20u);
  EXPECT_EQ(mem.data()[3], 0.0f);
  mem.Resize(0);
  EXPECT_EQ(mem.data(), nullptr);
}

TEST(DVL, VectorRoutinesExactOnOddLength) {
  float* zeros = DVL::NewAlignedFloat(kN);
  ASSERT_NE(zeros, nullptr);
  EXPECT_TRUE(Aligned(zeros));
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(zeros[i], 0.0f);
  DVL::DeleteAlignedFloat(zeros);
  EXPECT_EQ(DVL::NewAlignedFloat(0), nullptr);

  float src[kWithGuard];
  float dst[kWithGuard];
  auto reset = [&](float dstBase) {
    for (size_t i = 0; i < kWithGuard; ++i) {
      src[i] = i < kN ? static_cast<float>(i) + 1.0f : kGuard;
      dst[i] = i < kN ? dstBase * static_cast<float>(i) : kGuard;
    }
  };
  auto expectGuards = [&] {
    for (size_t i = kN; i < kWithGuard; ++i) EXPECT_EQ(dst[i], kGuard) << "index " << i;
  };

  reset(0.0f);
  DVL::Copy(src, dst, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], i + 1.0f);
  expectGuards();

  DVL::SetConstant(dst, 2.5f, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], 2.5f);
  expectGuards();

  reset(10.0f);
  DVL::VectorAdd(dst, src, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], 11.0f * i + 1.0f);
  expectGuards();

  reset(10.0f);
  DVL::VectorScale(dst, -0.5f, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], -5.0f * i);
  expectGuards();

  // A true division: 5 / 3 is 1.66666663f, 5 · (1 / 3) would be 1.66666675f.
  reset(5.0f);
  DVL::VectorDivide(dst, 3.0f, kN);
  EXPECT_EQ(dst[1], 1.66666663f);
  EXPECT_NE(dst[1], 5.0f * (1.0f / 3.0f));
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], 5.0f * i / 3.0f);
  expectGuards();

  // w = 0.25: 0.25 * 4i + 0.75 * (i + 1)
  reset(4.0f);
  DVL::VectorWeightedSum(dst, src, 0.25f, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], i + 0.75f * (i + 1.0f));
  expectGuards();

  // w = 0.5: 0.5 * 2i + 0.5 * (i + 1)²
  reset(2.0f);
  DVL::VectorWeightedSqrSum(dst, src, 0.5f, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], i + 0.5f * (i + 1.0f) * (i + 1.0f));
  expectGuards();

  // dst = 1.5i against src = i + 1: src is larger below i = 2, both are 3 at i = 2.
  reset(1.5f);
  DVL::VectorMaximum(dst, src, kN);
  for (size_t i = 0; i < kN; ++i) EXPECT_EQ(dst[i], i < 2 ? i + 1.0f : 1.5f * i);
  expectGuards();
}

// Lengths that fill whole AVX-512 and AVX2 vectors and leave tails, from an unaligned start:
// whatever version the processor picks gives the bits of the plain element-wise formula.
TEST(DVL, VectorBodiesAndTailsExactOnEveryInstructionSet) {
  const std::string set = DVL::InstructionSet();
  EXPECT_TRUE(set == "AVX-512" || set == "AVX2" || set == "baseline") << set;
  for (const size_t n : {16u, 33u, 67u, 1001u}) {
    std::vector<float> srcStore(n + 1), dstStore(n + 2, kGuard);
    float* src = srcStore.data() + 1;  // 4 bytes past an allocation boundary
    float* dst = dstStore.data() + 1;
    std::vector<float> start(n);
    for (size_t i = 0; i < n; ++i) {
      src[i] = 0.37f * static_cast<float>(i) - 11.0f;
      start[i] = 1.0f / static_cast<float>(i + 3);
    }
    const auto check = [&](const char* what, auto expected) {
      for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(dst[i], expected(i)) << what << " n " << n << " index " << i;
      EXPECT_EQ(dstStore[0], kGuard) << what;
      EXPECT_EQ(dstStore[n + 1], kGuard) << what;
    };
    const auto load = [&] { std::copy(start.begin(), start.end(), dst); };
    const float w = 0.9f, v = 1.0f - w;

    load();
    DVL::VectorAdd(dst, src, n);
    check("add", [&](size_t i) { return start[i] + src[i]; });
    load();
    DVL::VectorScale(dst, 1.0f / 3.0f, n);
    check("scale", [&](size_t i) { return start[i] * (1.0f / 3.0f); });
    load();
    DVL::VectorDivide(dst, 3.0f, n);
    check("divide", [&](size_t i) { return start[i] / 3.0f; });
    load();
    DVL::VectorWeightedSum(dst, src, w, n);
    check("weighted sum", [&](size_t i) { return w * start[i] + v * src[i]; });
    load();
    DVL::VectorWeightedSqrSum(dst, src, w, n);
    check("weighted square sum", [&](size_t i) { return w * start[i] + v * (src[i] * src[i]); });
    // Both averages in one pass: each gets the bits of its own routine.
    std::vector<float> sqrStore(n + 2, kGuard);
    float* sqr = sqrStore.data() + 1;
    load();
    std::copy(start.rbegin(), start.rend(), sqr);
    DVL::VectorWeightedSumAndSqrSum(dst, sqr, src, w, n);
    check("weighted sum of both", [&](size_t i) { return w * start[i] + v * src[i]; });
    for (size_t i = 0; i < n; ++i)
      ASSERT_EQ(sqr[i], w * start[n - 1 - i] + v * (src[i] * src[i]))
          << "n " << n << " index " << i;
    EXPECT_EQ(sqrStore[0], kGuard);
    EXPECT_EQ(sqrStore[n + 1], kGuard);
    load();
    DVL::VectorMaximum(dst, src, n);
    check("maximum", [&](size_t i) { return start[i] < src[i] ? src[i] : start[i]; });
    DVL::Copy(src, dst, n);
    check("copy", [&](size_t i) { return src[i]; });
    DVL::SetConstant(dst, -0.0f, n);
    check("constant", [&](size_t) { return -0.0f; });
  }
}

TEST(numeric, StddevExactScalarAndArray) {
  EXPECT_EQ(numeric::stddev(3.0f, 25.0f, 1.0f), 4.0f);
  EXPECT_EQ(numeric::stddev(3.0f, 25.0f, 0.25f), 2.0f);
  EXPECT_EQ(numeric::stddev(-3.0f, 25.0f, 4.0f), 8.0f);
  EXPECT_EQ(numeric::stddev(5.0f, 25.0f, 1.0f), 0.0f);
  // Rounding can leave meanSquare a little below mean²: that spread is 0, not NaN.
  EXPECT_EQ(numeric::stddev(2.0f, 3.0f, 1.0f), 0.0f);
  EXPECT_TRUE(std::isnan(numeric::stddev(std::nanf(""), 1.0f, 1.0f)));
  EXPECT_TRUE(std::isnan(numeric::stddev(1.0f, std::nanf(""), 1.0f)));

  float mean[kWithGuard];
  float meanSquare[kWithGuard];
  float out[kWithGuard];
  for (size_t i = 0; i < kWithGuard; ++i) {
    mean[i] = static_cast<float>(i) * 0.75f - 2.0f;
    meanSquare[i] = i == 4 ? 0.0f : mean[i] * mean[i] + static_cast<float>(i) * 1.25f;
    out[i] = kGuard;
  }
  numeric::stddev(mean, meanSquare, 1.5f, out, kN);
  for (size_t i = 0; i < kN; ++i) {
    EXPECT_EQ(out[i], numeric::stddev(mean[i], meanSquare[i], 1.5f)) << i;
  }
  EXPECT_EQ(out[4], 0.0f);
  EXPECT_EQ(out[1], std::sqrt(1.25f * 1.5f));
  for (size_t i = kN; i < kWithGuard; ++i) EXPECT_EQ(out[i], kGuard);
  numeric::stddev(mean, meanSquare, 1.0f, mean, kN);  // in place
  EXPECT_EQ(mean[2], std::sqrt(2.5f));
  EXPECT_EQ(mean[kN], 7.75f);
}
