// The routines of spectral evaluation (contracts in Numeric.h). Each one is a plain pass the
// compiler vectorises (over 16 lanes that hold the elements i with the same i % 16, or over
// blocks tested for any hit), followed where needed by a scalar pass that finds the first bin. The
// lanes never reorder arithmetic that rounds (a maximum, a minimum or a flag is exact whatever the
// order), and the one sum is kept in the same 16 partial sums on every instruction set, so every
// clone gives the same bits.
#include <cstdint>
#include <cstring>
#include <limits>

#include "host/Numeric.h"
#include "host/VectorClones.h"

namespace DVL {

namespace {

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

// The orders of the extremum search. Wins(x, kept): x replaces the kept value. kNone: the
// result when there is nothing to look at.
struct Largest {
  static constexpr float kNone = -kInf;
  static bool Wins(float x, float kept) { return x > kept; }
};
struct Smallest {
  static constexpr float kNone = kInf;
  static bool Wins(float x, float kept) { return x < kept; }
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

// A NaN wins over everything and, once kept, stays (every comparison with it fails).
template <typename Order>
inline float Keep(float kept, float x) {
  return (Order::Wins(x, kept) || x != x) ? x : kept;
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

  float lane[kLanes];
  for (size_t j = 0; j < kLanes; ++j) lane[j] = Order::kNone;
  size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    for (size_t j = 0; j < kLanes; ++j) lane[j] = Keep<Order>(lane[j], valueAt(i + j));
  for (; i < n; ++i) lane[0] = Keep<Order>(lane[0], valueAt(i));
  float extreme = lane[0];
  for (size_t j = 1; j < kLanes; ++j) extreme = Keep<Order>(extreme, lane[j]);

  // The first bin holding it: the first NaN for a NaN, else the first equal value. One is
  // there: the extreme is one of the values, or kNone when every value equals kNone.
  size_t at = extreme != extreme
                  ? FirstWhere([&](size_t k) { return valueAt(k) != valueAt(k); }, 0, n)
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
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return (bits & 0x7f800000u) == 0x7f800000u;
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
