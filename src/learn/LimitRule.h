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

}  // namespace LimitRule
