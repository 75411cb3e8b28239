#pragma once
// CKelTrackCurveStore: curve tracks — one spectrum per trigger cell (a spectrogram).

#include "host/Display.h"
#include "store/KelSigCurve.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelTrackStore.h"

class CKelTrackCurveStore : public CKelTrackStore<KelSigLimitCurve> {
 public:
  CKelTrackCurveStore();

  // Stores the curve at the position (sharing its samples, limit reset), replacing a curve
  // there, and returns the stored record. A new track takes the curve's context and expiry, an
  // empty one its y unit. The reference is valid until the next insert into or erase from the
  // same track, or the track's removal; inserts into other tracks leave it valid (see
  // KelTrackStore.h).
  KelSigLimitCurve& InsertValue(const S1int1int64& where, const KelSigCurve& curve,
                                unsigned validate);
  KelSigLimitCurve& InsertValue(const QClavis& key, long long position, const KelSigCurve& curve,
                                unsigned validate);

  // Removes the quantity's track (and its work-list entries); the number of curves it held.
  unsigned DeleteSpectrogram(const QClavis& key);

  // The curve at `position` for display, and the position on the trigger axis.
  bool GetCurve(const QClavis& key, long long position, CVisDataVector& curve,
                float& axisValue) const;
  // Every curve of the track, in position order; the limit curves into `limits` when given
  // (named like the curves with the suffix "-lim"). Returns the number of curves.
  int GenerateCurveArray(const QClavis& key, CVisDataArray& curves, CVisDataArray* limits) const;
  // The same for history section `historyIndex`.
  int GenerateCurveArrayHistory(const QClavis& key, int historyIndex, CVisDataArray& curves) const;

 private:
  int FillArray(const QClavis& key, const QValueStoreTrackItem<KelSigLimitCurve>& track,
                CVisDataArray& curves, CVisDataArray* limits) const;
  float AxisValue(const QClavis& key, int64_t cell) const;
};
