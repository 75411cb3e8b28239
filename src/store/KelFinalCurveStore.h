#pragma once
// CKelFinalCurveStore: the curves of the current part measured once per mode (spectra), one
// KelSigLimitCurve per quantity: the measured curve with the limit curve the limit generation
// fills in. Work lists and history follow CKelFinalStore; history sections share the curves'
// samples, so making a section copies no sample. The history lives in memory only.

#include "store/SectionHistory.h"
#include "store/KelFinalStore.h"
#include "store/KelSigLimitCurve.h"

class CKelFinalCurveStore
    : public CKelFinalStore<KelSigLimitCurve,
                            CQParamTypedTable<CSectionHistory<KelSigLimitCurve>>> {
 public:
  CKelFinalCurveStore();

  // Stores a limit curve built from the curve (sharing its samples, a zero limit of the same
  // length, limit state 0); insert-or-overwrite and the validation list as for single values.
  KelSigLimitCurve& InsertValue(const QClavis& key, const KelSigCurve& curve, unsigned validate);

  // Averages are written back as the current curve with tag 0. Curves that do not fit the
  // newest one are skipped by the sum but still counted by the mean's division.
  bool MeanHistory(bool all) override;
  bool MAHistory(bool all) override;
  bool MaxHistory(bool all) override;
};
