#include "host/Numeric.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "host/VectorClones.h"

namespace DVL {

const char* InstructionSet() {
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
  // The same order of preference as KELVA_VECTOR_CLONES.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return "AVX-512";
  if (__builtin_cpu_supports("avx2")) return "AVX2";
#endif
  return "baseline";
}

float* NewAlignedFloat(size_t n) {
  if (n == 0) return nullptr;
  const size_t bytes = (n * sizeof(float) + 31) / 32 * 32;
  float* p = static_cast<float*>(::operator new(bytes, std::align_val_t(32)));
  SetConstant(p, 0.0f, bytes / sizeof(float));
  return p;
}

void DeleteAlignedFloat(float* p) {
  if (p != nullptr) ::operator delete(p, std::align_val_t(32));
}

KELVA_VECTOR_CLONES void Copy(const float* __restrict src, float* __restrict dst, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = src[i];
}

KELVA_VECTOR_CLONES void SetConstant(float* dst, float value, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = value;
}

KELVA_VECTOR_CLONES void VectorAdd(float* __restrict dst, const float* __restrict src, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] += src[i];
}

KELVA_VECTOR_CLONES void VectorScale(float* dst, float factor, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] *= factor;
}

KELVA_VECTOR_CLONES void VectorDivide(float* dst, float divisor, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] /= divisor;
}

KELVA_VECTOR_CLONES void VectorWeightedSum(float* __restrict dst, const float* __restrict src,
                                           float w, size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) dst[i] = w * dst[i] + v * src[i];
}

KELVA_VECTOR_CLONES void VectorWeightedSqrSum(float* __restrict dst, const float* __restrict src,
                                              float w, size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) dst[i] = w * dst[i] + v * (src[i] * src[i]);
}

KELVA_VECTOR_CLONES void VectorWeightedSumAndSqrSum(float* __restrict sum, float* __restrict sqr,
                                                    const float* __restrict src, float w,
                                                    size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) {
    const float x = src[i];
    sqr[i] = w * sqr[i] + v * (x * x);
    sum[i] = w * sum[i] + v * x;
  }
}

KELVA_VECTOR_CLONES void VectorWeightedSumAndSqrSumInto(
    float* __restrict sum, float* __restrict sqr, const float* __restrict sumWas,
    const float* __restrict sqrWas, const float* __restrict src, float w, size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) {
    const float x = src[i];
    sqr[i] = w * sqrWas[i] + v * (x * x);
    sum[i] = w * sumWas[i] + v * x;
  }
}

KELVA_VECTOR_CLONES void VectorMaximum(float* __restrict dst, const float* __restrict src,
                                       size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = dst[i] < src[i] ? src[i] : dst[i];
}

namespace {

// The element rules of the limit shop's maximum and minimum: src wins when it is larger
// (smaller) or NaN; a NaN in dst fails both comparisons and stays.
inline float MaxOf(float dst, float src) {
  return (dst < src || src != src) ? src : dst;
}

inline float MinOf(float dst, float src) {
  return (src < dst || src != src) ? src : dst;
}

struct SetToLine {
  float operator()(float, float line) const { return line; }
};
struct MinWithLine {
  float operator()(float v, float line) const { return MinOf(v, line); }
};
struct MaxWithLine {
  float operator()(float v, float line) const { return MaxOf(v, line); }
};

// Combines v[i0..i1] with the line of the polygon routines (see Numeric.h). The inner loop
// counts in int so that float(k) converts in vector registers.
template <typename Combine>
inline void CombineWithLine(float* v, int i0, int i1, float y0, float y1, Combine combine) {
  if (i0 < 0 || i1 < 0) return;
  if (i0 == i1) {
    v[i1] = combine(v[i1], y1);
    return;
  }
  const bool rising = i0 < i1;
  const int lo = rising ? i0 : i1;
  const int span = rising ? i1 - i0 : i0 - i1;
  const float yLo = rising ? y0 : y1;
  const float yHi = rising ? y1 : y0;
  const float slope = (yHi - yLo) / static_cast<float>(span);
  float* const line = v + lo;
  line[0] = combine(line[0], yLo);
  for (int k = 1; k < span; ++k) line[k] = combine(line[k], yLo + slope * static_cast<float>(k));
  line[span] = combine(line[span], yHi);
}

// One element of the window routines (see Numeric.h): src[j], then the points to its right
// up to src[j + left], then the points to its left down to src[j - right], each clipped to the
// vector. The fixed order keeps the bits of the NaN and signed-zero rules.
template <typename Combine>
KELVA_CLONE_INLINE float CombineWindowAt(const float* src, size_t n, size_t j, unsigned left,
                                         unsigned right, Combine combine) {
  float acc = src[j];
  const size_t rightmost = std::min<size_t>(left, n - 1 - j);
  for (size_t k = 1; k <= rightmost; ++k) acc = combine(acc, src[j + k]);
  const size_t leftmost = std::min<size_t>(right, j);
  for (size_t k = 1; k <= leftmost; ++k) acc = combine(acc, src[j - k]);
  return acc;
}

// The shifts of the window in the order of CombineWindowAt: +1 .. +left, then -1 .. -right.
inline ptrdiff_t WindowShift(size_t t, unsigned left) {
  return t < left ? static_cast<ptrdiff_t>(t + 1) : -static_cast<ptrdiff_t>(t - left + 1);
}

// One pass over the interior out[0 .. count - 1] (the interior's first element is at[0]) taking
// in kShifts shifts of the window: out[j] = combine(...combine(start, at[j + shifts[0]])...,
// at[j + shifts[kShifts - 1]]), start at[j] on the first pass and out[j] on the later ones.
// A few shifts per pass keep the loop a plain vectorised one with few loads and stores per
// shift.
template <bool kFirstPass, int kShifts, typename Combine>
KELVA_CLONE_INLINE void CombineShifts(float* __restrict out, const float* __restrict at,
                                      size_t count, const ptrdiff_t* shifts, Combine combine) {
  const float* shifted[kShifts > 0 ? kShifts : 1];
  for (int s = 0; s < kShifts; ++s) shifted[s] = at + shifts[s];
  for (size_t j = 0; j < count; ++j) {
    float acc = kFirstPass ? at[j] : out[j];
    for (int s = 0; s < kShifts; ++s) acc = combine(acc, shifted[s][j]);
    out[j] = acc;
  }
}

constexpr size_t kShiftsPerPass = 4;

template <bool kFirstPass, typename Combine>
KELVA_CLONE_INLINE void CombineShiftsOfPass(float* __restrict out, const float* __restrict at,
                                            size_t count, const ptrdiff_t* shifts,
                                            size_t shiftCount, Combine combine) {
  switch (shiftCount) {
    case 0:
      CombineShifts<kFirstPass, 0>(out, at, count, shifts, combine);
      break;
    case 1:
      CombineShifts<kFirstPass, 1>(out, at, count, shifts, combine);
      break;
    case 2:
      CombineShifts<kFirstPass, 2>(out, at, count, shifts, combine);
      break;
    case 3:
      CombineShifts<kFirstPass, 3>(out, at, count, shifts, combine);
      break;
    default:
      CombineShifts<kFirstPass, 4>(out, at, count, shifts, combine);
      break;
  }
}

// dst[j] for j in begin..end - 1, where the whole window lies inside src (begin >= right,
// end + left <= n), in the element order of CombineWindowAt: passes over the interior of up
// to kShiftsPerPass shifts each, the first one starting from src.
template <typename Combine>
KELVA_CLONE_INLINE void CombineWindowInterior(float* __restrict dst, const float* __restrict src,
                                              size_t begin, size_t end, unsigned left,
                                              unsigned right, Combine combine) {
  float* const out = dst + begin;
  const float* const at = src + begin;
  const size_t count = end - begin;
  const size_t total = static_cast<size_t>(left) + right;
  size_t done = 0;
  do {
    ptrdiff_t shifts[kShiftsPerPass];
    const size_t shiftCount = std::min(kShiftsPerPass, total - done);
    for (size_t s = 0; s < shiftCount; ++s) shifts[s] = WindowShift(done + s, left);
    if (done == 0)
      CombineShiftsOfPass<true>(out, at, count, shifts, shiftCount, combine);
    else
      CombineShiftsOfPass<false>(out, at, count, shifts, shiftCount, combine);
    done += shiftCount;
  } while (done < total);
}

// out[i] = the combination of an earlier and a later span, keeping the earlier one's value
// between equals (kLaterFirst false) or the later one's (true).
template <bool kLaterFirst, typename Combine>
KELVA_CLONE_INLINE void CombineSpans(float* __restrict out, const float* __restrict earlier,
                                     const float* __restrict later, size_t count, Combine combine) {
  for (size_t i = 0; i < count; ++i)
    out[i] = kLaterFirst ? combine(later[i], earlier[i]) : combine(earlier[i], later[i]);
}

// best[i] = the combination of src[i .. i + length - 1] for i in 0 .. count - 1 (length >= 1),
// for numbers only (no NaN): among equal values the first in index order (kLaterFirst false)
// or the last (true). Spans of 1, 2, 4, ... points are combined pairwise, then two overlapping
// spans of the widest such width cover the length; a value met twice changes nothing. ping and
// pong hold count + length - 1 floats each.
template <bool kLaterFirst, typename Combine>
KELVA_CLONE_INLINE void CombineOverSpans(float* __restrict best, const float* src, size_t count,
                                         size_t length, float* ping, float* pong, Combine combine) {
  size_t whole = count + length - 1;  // spans of `width` points starting at 0 .. whole - 1
  const float* spans = src;
  size_t width = 1;
  for (; width * 2 <= length; width *= 2) {
    whole -= width;
    float* doubled = spans == ping ? pong : ping;
    CombineSpans<kLaterFirst>(doubled, spans, spans + width, whole, combine);
    spans = doubled;
  }
  CombineSpans<kLaterFirst>(best, spans, spans + (length - width), count, combine);
}

// From this many points of window on, numbers are combined by doubling spans (about 2·log2 of
// the window in passes) rather than shift by shift (window / kShiftsPerPass passes of more
// loads each, and the clipped ends element by element).
constexpr size_t kDoublingFromWindow = 12;

// The window routine for numbers only (no NaN) by doubling, over src padded with `neutral` on
// both sides (a value that changes no combination: -inf for the maximum, +inf for the
// minimum), so that the ends need no clipping. The order of CombineWindowAt keeps, among equal
// values (signed zeros), src[j] and then the nearest to its right, then the nearest to its
// left: so the right part src[j .. j + left] keeps its first in index order, the left part
// src[j - right .. j - 1] its last, and the right part's value is held against the left
// part's. When src holds no -0 (anyOrder), equal values have equal bits and the order cannot
// show: the whole window is then one span, in about half the passes. REQUIRES: left and right
// at most n - 1.
template <typename Combine>
KELVA_CLONE_INLINE void CombineWindowByDoubling(float* __restrict dst, const float* __restrict src,
                                                size_t n, unsigned left, unsigned right,
                                                bool anyOrder, Combine combine, float neutral) {
  const size_t padded = right + n + left;
  thread_local std::vector<float> work;
  if (work.size() < 3 * padded + n) work.resize(3 * padded + n);
  float* const in = work.data();
  float* const ping = in + padded;
  float* const pong = ping + padded;
  float* const leftPart = pong + padded;
  for (size_t i = 0; i < right; ++i) in[i] = neutral;
  std::copy(src, src + n, in + right);
  for (size_t i = right + n; i < padded; ++i) in[i] = neutral;
  if (anyOrder) {
    CombineOverSpans<false>(dst, in, n, size_t{right} + left + 1, ping, pong, combine);
    return;
  }
  CombineOverSpans<false>(dst, in + right, n, size_t{left} + 1, ping, pong, combine);
  if (right == 0) return;
  CombineOverSpans<true>(leftPart, in, n, right, ping, pong, combine);
  for (size_t i = 0; i < n; ++i) dst[i] = combine(dst[i], leftPart[i]);
}

// What a window routine must know of its input: whether it holds a NaN, and a negative zero.
struct SampleKinds {
  bool nan;
  bool negativeZero;
};

// A plain loop over the whole vector, without an early exit, so that it vectorises.
KELVA_CLONE_INLINE SampleKinds KindsOf(const float* src, size_t n) {
  unsigned nan = 0;
  unsigned negativeZero = 0;
  for (size_t i = 0; i < n; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &src[i], sizeof bits);
    nan |= static_cast<unsigned>(src[i] != src[i]);
    negativeZero |= static_cast<unsigned>(bits == 0x80000000u);
  }
  return {nan != 0, negativeZero != 0};
}

// The window routines with two forms of the element rule: `exact` with the NaN rule, and
// `numbers`, the same for two numbers in one instruction (a < b ? b : a is the processor's
// maximum), used when src holds no NaN. Both keep the held value between
// equal values, so +0 and -0 come out the same either way.
template <typename Exact, typename Numbers>
KELVA_CLONE_INLINE void CombineOverWindow(float* __restrict dst, const float* __restrict src,
                                          size_t n, unsigned left, unsigned right, Exact exact,
                                          Numbers numbers, float neutral) {
  if (n == 0) return;
  // A window wider than the vector takes in the whole vector, as the clipping would.
  left = static_cast<unsigned>(std::min<size_t>(left, n - 1));
  right = static_cast<unsigned>(std::min<size_t>(right, n - 1));
  const SampleKinds kinds = KindsOf(src, n);
  const bool hasNaN = kinds.nan;
  if (!hasNaN && size_t{left} + right >= kDoublingFromWindow) {
    CombineWindowByDoubling(dst, src, n, left, right, !kinds.negativeZero, numbers, neutral);
    return;
  }
  // The interior: the elements whose window needs no clipping.
  const size_t begin = std::min<size_t>(right, n);
  const size_t end = n > left ? n - left : 0;
  if (begin >= end) {
    for (size_t j = 0; j < n; ++j) dst[j] = CombineWindowAt(src, n, j, left, right, exact);
    return;
  }
  for (size_t j = 0; j < begin; ++j) dst[j] = CombineWindowAt(src, n, j, left, right, exact);
  if (hasNaN)
    CombineWindowInterior(dst, src, begin, end, left, right, exact);
  else
    CombineWindowInterior(dst, src, begin, end, left, right, numbers);
  for (size_t j = end; j < n; ++j) dst[j] = CombineWindowAt(src, n, j, left, right, exact);
}

}  // namespace

KELVA_VECTOR_CLONES void MaximizeVectors(float* __restrict dst, const float* __restrict src,
                                         size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = MaxOf(dst[i], src[i]);
}

KELVA_VECTOR_CLONES void MinimizeVectors(float* __restrict dst, const float* __restrict src,
                                         size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = MinOf(dst[i], src[i]);
}

KELVA_VECTOR_CLONES void MaximizeOverWindow(float* __restrict dst, const float* __restrict src,
                                            size_t n, unsigned left, unsigned right) {
  const auto exact = [](float held, float next) { return MaxOf(held, next); };
  const auto numbers = [](float held, float next) { return held < next ? next : held; };
  CombineOverWindow(dst, src, n, left, right, exact, numbers,
                    -std::numeric_limits<float>::infinity());
}

KELVA_VECTOR_CLONES void MinimizeOverWindow(float* __restrict dst, const float* __restrict src,
                                            size_t n, unsigned left, unsigned right) {
  const auto exact = [](float held, float next) { return MinOf(held, next); };
  const auto numbers = [](float held, float next) { return next < held ? next : held; };
  CombineOverWindow(dst, src, n, left, right, exact, numbers,
                    std::numeric_limits<float>::infinity());
}

KELVA_VECTOR_CLONES void SetVectorToPolygon(float* v, int i0, int i1, float y0, float y1) {
  CombineWithLine(v, i0, i1, y0, y1, SetToLine{});
}

KELVA_VECTOR_CLONES void MinimizeVectorAndPolygon(float* v, int i0, int i1, float y0, float y1) {
  CombineWithLine(v, i0, i1, y0, y1, MinWithLine{});
}

KELVA_VECTOR_CLONES void MaximizeVectorAndPolygon(float* v, int i0, int i1, float y0, float y1) {
  CombineWithLine(v, i0, i1, y0, y1, MaxWithLine{});
}

}  // namespace DVL

namespace numeric {

KELVA_VECTOR_CLONES void stddev(const float* mean, const float* meanSquare, float k, float* out,
                                size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = stddev(mean[i], meanSquare[i], k);
}

}  // namespace numeric
