#include "host/Numeric.h"

#include <new>

namespace DVL {

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

void Copy(const float* __restrict src, float* __restrict dst, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = src[i];
}

void SetConstant(float* dst, float value, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = value;
}

void VectorAdd(float* __restrict dst, const float* __restrict src, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] += src[i];
}

void VectorScale(float* dst, float factor, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] *= factor;
}

void VectorWeightedSum(float* __restrict dst, const float* __restrict src, float w, size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) dst[i] = w * dst[i] + v * src[i];
}

void VectorWeightedSqrSum(float* __restrict dst, const float* __restrict src, float w, size_t n) {
  const float v = 1.0f - w;
  for (size_t i = 0; i < n; ++i) dst[i] = w * dst[i] + v * (src[i] * src[i]);
}

void VectorMaximum(float* __restrict dst, const float* __restrict src, size_t n) {
  for (size_t i = 0; i < n; ++i) dst[i] = dst[i] < src[i] ? src[i] : dst[i];
}

}  // namespace DVL
