#include "host/Numeric.h"

#include <cmath>
#include <new>

// One version of a routine per instruction set, chosen by the loader on first use.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define KELVA_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KELVA_VECTOR_CLONES
#endif

namespace DVL {

const char* InstructionSet() {
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
  // The same order of preference as the clones above.
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
