#pragma once
// Gives the empty learned curves of an item the shape of a stored limit curve — its number of
// points, x step and units, no samples yet — so that learning can start on them. Used by the
// limit curves of final curves and of curve tracks while not enough is learned.

#include "learn/KelLearnCurve.h"
#include "store/KelSigLimitCurve.h"

inline void ShapeLearnedLike(KelLearnCurve& learned, const KelSigLimitCurve& curve) {
  const CDescription& shape = curve.description();
  const float xStep = shape.Delta(0);
  learned.Average().ImportData(nullptr, curve.size(), xStep, shape.XUnit(0), shape.YUnit());
  learned.SqAverage().ImportData(nullptr, curve.size(), xStep, shape.XUnit(0), shape.YUnit());
}
