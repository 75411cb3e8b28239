#include "host/Numeric.h"

#include <cmath>
#include <new>

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

}  // namespace

KELVA_VECTOR_CLONES void MaximizeVectors(float* __restrict dst, const float* __restrict src,
                                         size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = MaxOf(dst[i], src[i]);
}

KELVA_VECTOR_CLONES void MinimizeVectors(float* __restrict dst, const float* __restrict src,
                                         size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = MinOf(dst[i], src[i]);
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

namespace {

// `variance < 0` is false for NaN, so a NaN stays NaN instead of hiding behind the 0.
inline float StddevOf(float mean, float meanSquare, float k) {
  const float variance = meanSquare - mean * mean;
  return std::sqrt((variance < 0.0f ? 0.0f : variance) * k);
}

}  // namespace

float stddev(float mean, float meanSquare, float k) {
  return StddevOf(mean, meanSquare, k);
}

KELVA_VECTOR_CLONES void stddev(const float* mean, const float* meanSquare, float k, float* out,
                                size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = StddevOf(mean[i], meanSquare[i], k);
}

}  // namespace numeric
