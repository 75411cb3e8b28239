#include "learn/LearnedValues.h"

namespace LearnedValues {

KelSigLimitCurve LimitCurveOf(const KelLearnCurve& item) {
  const KelSigCurve& average = item.Average();
  if (average.size() == 0 || !average.FitTogether(item.SqAverage())) {
    KelSigLimitCurve empty(average);
    empty.LimitState(kShownEvalMode);
    return empty;
  }
  KelSigCurve deviation = average;
  numeric::stddev(average.data(), item.SqAverage().data(), 1.0f, deviation.data(), average.size());
  KelSigLimitCurve curve(average, deviation);
  curve.LimitState(kShownEvalMode);
  return curve;
}

}  // namespace LearnedValues
