#pragma once
// The limit rule that every kind of learned limit shares (scalars, curves point by point,
// tracks point by point): around a reference value r (normally the learned mean) a limit keeps
// the width
//
//   w = r · 0.01 · p + σ · k + a
//
// with the quantity's percentage p, factor k on the standard deviation σ and absolute offset a
// (QVIpParamAndStore). The upper limit is r + w, the lower one r − w. Everything is float
// arithmetic in exactly this order, so that limits made one by one and limits made over arrays
// agree to the last bit.

#include <cstddef>

#include "host/ParamRecords.h"

namespace LimitRule {

inline float Width(float reference, float sigma, const QVIpParamAndStore& widthTerms) {
  return reference * 0.01f * widthTerms.percent + sigma * widthTerms.sigmaFactor +
         widthTerms.offset;
}

inline float Upper(float reference, float width) {
  return reference + width;
}
inline float Lower(float reference, float width) {
  return reference - width;
}

// The learned limit of a curve point by point, with the learned mean as reference and σ =
// numeric::stddev(mean[i], meanSquare[i], correction): limit[i] = Upper (upper) or Lower of
// mean[i] and Width(mean[i], σ, widthTerms), bit for bit what the rule gives one point at a
// time. One loop, built for every instruction set. limit must not overlap the inputs.
void CurveLimits(const float* mean, const float* meanSquare, float correction,
                 const QVIpParamAndStore& widthTerms, bool upper, float* limit, size_t n);

}  // namespace LimitRule
