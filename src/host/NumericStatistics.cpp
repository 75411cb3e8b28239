// Statistics over float vectors: mean, scalar product, quantile, first harmonic peak.
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/Numeric.h"

namespace DVL {

float VectorMean(const float* v, size_t n) {
  if (n == 0) return std::numeric_limits<float>::quiet_NaN();
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) sum += v[i];
  return static_cast<float>(sum / static_cast<double>(n));
}

float VectorSkalarprodukt(const float* a, const float* b, size_t n) {
  double sum = 0.0;
  for (size_t i = 0; i < n; ++i) sum += static_cast<double>(a[i]) * b[i];
  return static_cast<float>(sum);
}

}  // namespace DVL

namespace numeric {

float quantile(float* v, size_t n, float q) {
  if (n == 0) return std::numeric_limits<float>::quiet_NaN();
  const double h = static_cast<double>(n - 1) * std::clamp(static_cast<double>(q), 0.0, 1.0);
  const auto low = static_cast<size_t>(std::floor(h));
  std::nth_element(v, v + low, v + n);
  const double below = v[low];
  if (low + 1 >= n) return static_cast<float>(below);
  const double above = *std::min_element(v + low + 1, v + n);
  return static_cast<float>(below + (h - static_cast<double>(low)) * (above - below));
}

size_t FirstHarmonicDetector(const float* curve, size_t n, float threshold) {
  if (n == 0) return 0;
  const auto [lowest, highest] = std::minmax_element(curve, curve + n);
  const float range = *highest - *lowest;
  if (!(range > 0.0f)) return 0;
  const float needed = *lowest + threshold * range;
  for (size_t i = 0; i < n; ++i) {
    const bool notBelowLeft = i == 0 || curve[i] >= curve[i - 1];
    const bool notBelowRight = i + 1 == n || curve[i] >= curve[i + 1];
    if (notBelowLeft && notBelowRight && curve[i] >= needed) return i;
  }
  return 0;
}

}  // namespace numeric
