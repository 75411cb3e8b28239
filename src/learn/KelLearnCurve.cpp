#include "learn/KelLearnCurve.h"

void KelLearnCurve::InitNewLearn(unsigned n) {
  KelLearnCurveBase::InitNewLearn(n);
}

bool KelLearnCurve::Learn(const KelSigCurve& curve, float f) {
  // Both averages in one pass over the curve when both fit it: the usual case, and the hot loop
  // of learning.
  if (average_.AddDataWithSquares(sqAverage_, curve, f)) return true;
  // The squared average goes first: when it does not fit, the average is left alone too.
  if (!sqAverage_.AddSquaredData(curve, f)) {
    count = 0;
    return false;
  }
  average_.AddData(curve, f);
  return true;
}

bool KelLearnCurve::LearnCurve(const KelSigCurve& curve, long tc) {
  float f = 0.0f;
  if (!NextFactor(tc, f)) return false;
  return Learn(curve, f);
}
