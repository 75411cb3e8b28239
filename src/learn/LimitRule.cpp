#include "learn/LimitRule.h"

#include "host/Numeric.h"
#include "host/VectorClones.h"

namespace LimitRule {

KELVA_VECTOR_CLONES void CurveLimits(const float* __restrict mean,
                                     const float* __restrict meanSquare, float correction,
                                     const QVIpParamAndStore& widthTerms, bool upper,
                                     float* __restrict limit, size_t n) {
  const QVIpParamAndStore terms = widthTerms;  // a local copy: the limit cannot alias it
  if (upper) {
    for (size_t i = 0; i < n; ++i)
      limit[i] = Upper(mean[i],
                       Width(mean[i], numeric::stddev(mean[i], meanSquare[i], correction), terms));
  } else {
    for (size_t i = 0; i < n; ++i)
      limit[i] = Lower(mean[i],
                       Width(mean[i], numeric::stddev(mean[i], meanSquare[i], correction), terms));
  }
}

}  // namespace LimitRule
