#include "host/ExpAverFacGenerator.h"

#include <algorithm>
#include <limits>

namespace {

// (n − 1) / n and n / (n − 1) are computed in double and rounded once to float, so that a large
// count (not exactly representable as float) still gives the correctly rounded factor.
float RoundedRatio(long numerator, long denominator) {
  return static_cast<float>(static_cast<double>(numerator) / static_cast<double>(denominator));
}

}  // namespace

float CExpAverFacGenerator::GetFactor(long count, long tc) {
  if (count <= 0) return 0.0f;
  const long n = std::min(count, std::max(tc, 1L));
  return RoundedRatio(n - 1, n);
}

float CExpAverFacGenerator::GetCorrFactor(long count, long tc) {
  // 2·tc − 1 without overflow: a time constant beyond half the range never limits the count.
  const long window =
      tc > std::numeric_limits<long>::max() / 2 ? std::numeric_limits<long>::max() : 2 * tc - 1;
  const long nEffective = std::min(count, window);
  if (nEffective <= 1) return 0.0f;
  return RoundedRatio(nEffective, nEffective - 1);
}
