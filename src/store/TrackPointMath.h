#pragma once
// The arithmetic of track averages on one position: scalar points combine their values,
// curves their curve samples (curves that do not fit are left out and not counted).

#include "store/KelSigLimitCurve.h"
#include "store/KelStoreTrackPoint.h"

namespace TrackPointMath {

// acc += other; false when `other` does not take part.
inline bool Add(KelStoreTrackPoint& acc, const KelStoreTrackPoint& other) {
  acc.value += other.value;
  return true;
}
inline bool Add(KelSigLimitCurve& acc, const KelSigLimitCurve& other) {
  if (!acc.FitTogether(other)) return false;
  acc += other;
  return true;
}

inline void Divide(KelStoreTrackPoint& acc, unsigned count) {
  acc.value /= static_cast<float>(count);
}
inline void Divide(KelSigLimitCurve& acc, unsigned count) {
  if (count > 1) acc /= static_cast<float>(count);
}

inline void Maximize(KelStoreTrackPoint& acc, const KelStoreTrackPoint& other) {
  if (other.value > acc.value) acc.value = other.value;
}
inline void Maximize(KelSigLimitCurve& acc, const KelSigLimitCurve& other) {
  acc.maximize(other);
}

}  // namespace TrackPointMath
