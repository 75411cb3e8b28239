// The routines of spectral evaluation (contracts in Numeric.h). Each is a plain pass the compiler
// vectorises (an integer maximum or minimum, blocks tested for any hit, 16 partial sums),
// followed where needed by a pass that finds the first bin. Only the sum rounds, and it is kept
// in the same 16 partial sums on every instruction set; a maximum, a minimum or a flag is exact
// in any order. So every clone gives the same bits.
#include <bit>
#include <cstdint>
#include <limits>

#include "host/Numeric.h"
#include "host/VectorClones.h"

namespace DVL {

namespace {

// The partial sums of VectorSqrSum.
constexpr size_t kLanes = 16;
// The searches for a first bin test blocks of this many for any hit first: a loop of 64 with an
// integer "or" is what the compiler turns into vector compares.
constexpr size_t kSearchBlock = 64;
constexpr float kInf = std::numeric_limits<float>::infinity();

// Indices are returned as unsigned: look at no more elements than one can name.
inline size_t IndexableLength(size_t n) {
  constexpr size_t kMost = std::numeric_limits<unsigned>::max();
  return n < kMost ? n : kMost;
}

// A float as an integer in the same order (−0 just below +0), so that the largest and smallest
// are integer maxima and minima, which vectorise; NaN has a key too but is looked for apart.
// The map is its own inverse.
inline int32_t OrderedKey(float x) {
  const int32_t bits = std::bit_cast<int32_t>(x);
  return bits ^ ((bits >> 31) & 0x7fffffff);
}
inline float FromOrderedKey(int32_t key) {
  return std::bit_cast<float>(key ^ ((key >> 31) & 0x7fffffff));
}

// The orders of the extremum search. Pick: the winner of two keys. kNone: the result when
// there is nothing to look at.
struct Largest {
  static constexpr float kNone = -kInf;
  static int32_t Pick(int32_t a, int32_t b) { return a > b ? a : b; }
};
struct Smallest {
  static constexpr float kNone = kInf;
  static int32_t Pick(int32_t a, int32_t b) { return a < b ? a : b; }
};

// The first i in from..n-1 where hit(i); n when there is none. Whole blocks are tested for any
// hit, then the block that has one is walked.
template <typename Hit>
inline size_t FirstWhere(Hit hit, size_t from, size_t n) {
  size_t i = from;
  for (; i + kSearchBlock <= n; i += kSearchBlock) {
    unsigned any = 0;
    for (size_t j = 0; j < kSearchBlock; ++j) any |= hit(i + j);
    if (any) break;
  }
  for (; i < n; ++i)
    if (hit(i)) return i;
  return n;
}

// Whether x takes the place of the kept largest value under that rule: a larger number or
// the first NaN.
inline bool Replaces(float kept, float x) {
  return kept == kept && (x > kept || x != x);
}

// The extreme of valueAt(0..n-1) under Order, NaN winning, and its first index.
template <typename Order, typename ValueAt>
inline float ExtremeAndFirstIndex(ValueAt valueAt, size_t n, unsigned& index) {
  index = 0;
  n = IndexableLength(n);
  if (n == 0) return Order::kNone;

  // One pass for the extreme key and whether there is a NaN.
  int32_t extremeKey = OrderedKey(Order::kNone);
  unsigned nan = 0;
  for (size_t i = 0; i < n; ++i) {
    const float x = valueAt(i);
    nan |= x != x;
    extremeKey = Order::Pick(extremeKey, OrderedKey(x));
  }

  // The first bin holding it: the first NaN for a NaN, else the first equal value. One is
  // there: the extreme is one of the values, or kNone when every value equals kNone.
  const float extreme = FromOrderedKey(extremeKey);
  size_t at = nan ? FirstWhere([&](size_t k) { return valueAt(k) != valueAt(k); }, 0, n)
                  : FirstWhere([&](size_t k) { return valueAt(k) == extreme; }, 0, n);
  if (at == n) at = 0;  // cannot happen; keeps the read below inside the array regardless
  index = static_cast<unsigned>(at);
  return valueAt(at);
}

// A bin is over the limit when its difference is > 0 or NaN: !(d <= 0) is both.
inline bool OverLimit(float d) {
  return !(d <= 0.0f);
}

// NaN or ±inf: every exponent bit set.
inline bool NonFinite(float x) {
  return (std::bit_cast<uint32_t>(x) & 0x7f800000u) == 0x7f800000u;
}

}  // namespace

KELVA_VECTOR_CLONES float MaxDifference(const float* a, const float* b, size_t n, unsigned& index) {
  return ExtremeAndFirstIndex<Largest>([a, b](size_t i) { return a[i] - b[i]; }, n, index);
}

KELVA_VECTOR_CLONES bool LocalMaxDifferencePosition(const float* a, const float* b, size_t n,
                                                    unsigned start, unsigned& next,
                                                    unsigned& position) {
  n = IndexableLength(n);
  if (start >= n) return false;
  const size_t first = FirstWhere([a, b](size_t i) { return OverLimit(a[i] - b[i]); }, start, n);
  if (first == n) return false;

  size_t worst = first;
  float worstDifference = a[first] - b[first];
  size_t i = first + 1;
  for (; i < n; ++i) {
    const float d = a[i] - b[i];
    if (!OverLimit(d)) break;
    if (Replaces(worstDifference, d)) {
      worst = i;
      worstDifference = d;
    }
  }
  position = static_cast<unsigned>(worst);
  next = static_cast<unsigned>(i);
  return true;
}

KELVA_VECTOR_CLONES float VectorSqrSum(const float* v, size_t n) {
  double acc[kLanes] = {};
  size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    for (size_t j = 0; j < kLanes; ++j) {
      const double x = v[i + j];
      acc[j] += x * x;
    }
  for (size_t j = 0; i < n; ++i, ++j) {
    const double x = v[i];
    acc[j] += x * x;
  }
  for (size_t half = kLanes / 2; half > 0; half /= 2)
    for (size_t j = 0; j < half; ++j) acc[j] += acc[j + half];
  return static_cast<float>(acc[0]);
}

KELVA_VECTOR_CLONES float VectorMaxIdx(const float* v, size_t n, unsigned& index) {
  return ExtremeAndFirstIndex<Largest>([v](size_t i) { return v[i]; }, n, index);
}

KELVA_VECTOR_CLONES float VectorMinIdx(const float* v, size_t n, unsigned& index) {
  return ExtremeAndFirstIndex<Smallest>([v](size_t i) { return v[i]; }, n, index);
}

KELVA_VECTOR_CLONES size_t FirstNonFinite(const float* v, size_t n) {
  return FirstWhere([v](size_t i) { return NonFinite(v[i]); }, 0, n);
}

}  // namespace DVL
