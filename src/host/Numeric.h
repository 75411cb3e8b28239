#pragma once
// The host's numeric routines. The DVL:: vector routines are the hot loops of the program:
// plain loops over float pointers that the compiler vectorises (no aliasing between the
// destination and a source unless the routine says so). On x86-64 each routine is built for
// AVX-512, AVX2 and the baseline, and the first call picks what the processor has; every
// version gives the same bits (element-wise operations, no reordered sums, no fused
// multiply-add).

#include <cmath>
#include <cstddef>

#include "host/AlignedMem.h"
#include "host/VectorClones.h"

namespace DVL {

// The instruction set the vector routines run with on this processor: "AVX-512", "AVX2" or
// "baseline" (SSE2 on x86-64; whatever the compiler targets elsewhere).
const char* InstructionSet();

// A 32-byte aligned float array of n zeros; release it with DeleteAlignedFloat.
float* NewAlignedFloat(size_t n);
void DeleteAlignedFloat(float* p);

// dst[i] = src[i]
void Copy(const float* __restrict src, float* __restrict dst, size_t n);
// dst[i] = value
void SetConstant(float* dst, float value, size_t n);
// dst[i] += src[i]
void VectorAdd(float* __restrict dst, const float* __restrict src, size_t n);
// dst[i] *= factor
void VectorScale(float* dst, float factor, size_t n);
// dst[i] /= divisor (a true division: dst[i] * (1 / divisor) may differ in the last bit)
void VectorDivide(float* dst, float divisor, size_t n);
// dst[i] = w * dst[i] + (1 - w) * src[i]
void VectorWeightedSum(float* __restrict dst, const float* __restrict src, float w, size_t n);
// dst[i] = w * dst[i] + (1 - w) * src[i]²
void VectorWeightedSqrSum(float* __restrict dst, const float* __restrict src, float w, size_t n);
// The two together, reading src once: sqr[i] = w * sqr[i] + (1 - w) * src[i]², then
// sum[i] = w * sum[i] + (1 - w) * src[i]; bit for bit what the two routines above give.
void VectorWeightedSumAndSqrSum(float* __restrict sum, float* __restrict sqr,
                                const float* __restrict src, float w, size_t n);
// The same step from other buffers, bit for bit: sum[i] = w·sumWas[i] + (1−w)·src[i] and
// sqr[i] = w·sqrWas[i] + (1−w)·src[i]². No two of the buffers may overlap.
void VectorWeightedSumAndSqrSumInto(float* __restrict sum, float* __restrict sqr,
                                    const float* __restrict sumWas, const float* __restrict sqrWas,
                                    const float* __restrict src, float w, size_t n);
// dst[i] = max(dst[i], src[i]), where a NaN in src never counts (the kept dst stays NaN when it
// was). MaximizeVectors below is the limit shop's maximum, with the NaN rule of the limits.
void VectorMaximum(float* __restrict dst, const float* __restrict src, size_t n);

// The combining steps of the limit shop. They share one NaN rule: a NaN in either input makes
// the result NaN, so a limit point that could not be computed stays visible instead of being
// replaced by (or replacing) its neighbour's value. Between equal values (+0 and -0 among them)
// the destination keeps its own.

// dst[i] = max(dst[i], src[i]); NaN when either is NaN.
void MaximizeVectors(float* __restrict dst, const float* __restrict src, size_t n);
// dst[i] = min(dst[i], src[i]); NaN when either is NaN.
void MinimizeVectors(float* __restrict dst, const float* __restrict src, size_t n);

// The sideways widening of a limit in one pass: dst[j] combines src[j - right .. j + left],
// clipped to 0 .. n - 1, with the rule of MaximizeVectors (MinimizeVectors). The order per
// element is fixed, so NaN and signed zeros come out the same on every instruction set and as
// combining shifted copies would give them: the accumulator starts at src[j], takes in
// src[j + 1], ..., src[j + left], then src[j - 1], ..., src[j - right]. left == right == 0
// copies src. dst and src must not overlap.
void MaximizeOverWindow(float* __restrict dst, const float* __restrict src, size_t n, unsigned left,
                        unsigned right);
void MinimizeOverWindow(float* __restrict dst, const float* __restrict src, size_t n, unsigned left,
                        unsigned right);

// The polygon routines work on one segment of a polygon: the straight line through (i0, y0)
// and (i1, y1) over the indices i0..i1, both ends included. With lo the smaller index, yLo its
// y, hi the larger and yHi its y, the line is, in float arithmetic,
//   line(lo) = yLo,  line(hi) = yHi  (the ends exactly, bit for bit),
//   line(lo + k) = yLo + slope * float(k)  for 0 < k < hi - lo,
//   slope = (yHi - yLo) / float(hi - lo).
// A segment given right to left (i1 < i0, from a polygon whose x falls) is the same line as
// the one from (i1, y1) to (i0, y0). A segment of a single index (i0 == i1) is the point y1:
// the later polygon point wins, the way the next segment, which starts at the shared index
// with that y, overwrites it anyway. So a polygon laid out segment by segment from index 0
// with its first y, and closed with a segment from its last point to the end at its last y,
// holds its first y up to its first point and its last y from its last point on; a polygon of
// one point sets the whole vector to its y.
// REQUIRES: i0 and i1 below the length of v. A negative index leaves v unchanged.

// v[i] = line(i) for i in i0..i1.
void SetVectorToPolygon(float* v, int i0, int i1, float y0, float y1);
// v[i] = min(v[i], line(i)) for i in i0..i1, with the NaN rule of MinimizeVectors.
void MinimizeVectorAndPolygon(float* v, int i0, int i1, float y0, float y1);
// v[i] = max(v[i], line(i)) for i in i0..i1, with the NaN rule of MaximizeVectors.
void MaximizeVectorAndPolygon(float* v, int i0, int i1, float y0, float y1);

// The routines of spectral evaluation (NumericEval.cpp): where and by how much a spectrum a
// goes over a limit b, and the sums and extremes a band is judged by. Their NaN rule: a NaN is
// never hidden behind numbers. Where a routine looks for the largest value, a NaN counts as
// larger than any number and the first NaN wins, so a caller testing `!(d <= 0)` sees a bin
// that could not be computed as a violation. Indices are unsigned: a routine that returns one
// looks at the first 4,294,967,295 elements at most (n beyond that is cut to it).

// The largest a[i] − b[i] and, in index, its first bin. When some a[i] − b[i] is NaN (a NaN
// input, or inf − inf) the result is NaN and index is the first such bin. n == 0: −inf and
// index 0. Between equal differences (+0 and −0 among them) the first bin wins, and the value
// returned is that bin's difference.
float MaxDifference(const float* a, const float* b, size_t n, unsigned& index);

// The next region where a goes over b, from bin start on: a maximal run of consecutive bins
// where d = a[i] − b[i] is > 0 or NaN, beginning at the first such bin at or after start.
// position := the bin of the run's largest d (the first on ties; the first NaN when the run has
// one), next := the bin after the run (n when the run reaches the end); returns true. Returns
// false, leaving next and position as they were, when no bin from start on is over the limit,
// start >= n among those cases. So
//   for (unsigned s = 0, next, p; LocalMaxDifferencePosition(a, b, n, s, next, p); s = next)
// reports each region once, at its worst bin.
bool LocalMaxDifferencePosition(const float* a, const float* b, size_t n, unsigned start,
                                unsigned& next, unsigned& position);

// The sum of v[i]², in double and returned as float. The order is fixed, so every instruction
// set gives the same bits: v[i]² (exact in double) is added to the partial sum acc[i % 16], in
// the order of i; then acc[j] += acc[j + 8] for j < 8, acc[j] += acc[j + 4] for j < 4,
// acc[j] += acc[j + 2] for j < 2, and the result is acc[0] + acc[1]. n == 0 gives +0. NaN and
// inf propagate as the arithmetic does (an inf gives +inf, a NaN NaN).
float VectorSqrSum(const float* v, size_t n);

// The largest (smallest) v[i] and, in index, its first bin; a NaN wins: the result is NaN and
// index the first NaN. Between equal values (+0 and −0 among them) the first bin wins and its
// value is returned. n == 0: −inf for the largest, +inf for the smallest, and index 0.
float VectorMaxIdx(const float* v, size_t n, unsigned& index);
float VectorMinIdx(const float* v, size_t n, unsigned& index);

// The first index whose value is NaN, +inf or −inf; n when every value is finite.
size_t FirstNonFinite(const float* v, size_t n);

// The arithmetic mean of v[0 … n−1]; n == 0 gives NaN.
float VectorMean(const float* v, size_t n);
// The scalar product Σ a[i]·b[i]; n == 0 gives +0.
float VectorSkalarprodukt(const float* a, const float* b, size_t n);

}  // namespace DVL

namespace numeric {

// The standard deviation from an exponentially averaged mean and mean of squares:
// sqrt(max(0, meanSquare − mean²) · k), in float arithmetic. k scales the variance (1 to show
// the learned spread, a correction factor where a limit is made). A negative difference (from
// rounding) counts as 0; a NaN input gives NaN, and so does a negative k.
// Inline in every caller, so that loops over it vectorise.
KELVA_CLONE_INLINE float stddev(float mean, float meanSquare, float k) {
  const float variance = meanSquare - mean * mean;
  // `variance < 0` is false for NaN, so a NaN stays NaN instead of hiding behind the 0.
  return std::sqrt((variance < 0.0f ? 0.0f : variance) * k);
}
// The same point by point: out[i] = stddev(mean[i], meanSquare[i], k), bit for bit. out may be
// one of the inputs.
void stddev(const float* mean, const float* meanSquare, float k, float* out, size_t n);

// The q-quantile (0 ≤ q ≤ 1) of v[0 … n−1], which the call reorders: with the values sorted
// ascending as x[0] ≤ … ≤ x[n−1] and h = (n − 1)·q, the result is
// x[⌊h⌋] + (h − ⌊h⌋)·(x[⌊h⌋ + 1] − x[⌊h⌋]) (linear interpolation between order statistics).
// n == 0 gives NaN; q is clamped to [0, 1].
float quantile(float* v, size_t n, float q);

// The bin of the first harmonic peak of a curve: the first local maximum (a bin not below
// its neighbours, the curve's ends counting as having lower neighbours outside) whose height
// above the curve's minimum reaches `threshold` times the curve's range (maximum − minimum).
// 0 for an empty or flat curve.
size_t FirstHarmonicDetector(const float* curve, size_t n, float threshold);

}  // namespace numeric
