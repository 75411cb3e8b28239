#pragma once
// CKelLearnSigCurve: the learn machine of final curves (spectra, order cuts). It learns the
// final curve store's curves into a table of KelLearnCurve items ("<EvLearnCurveUpperLimit>"):
// point by point an exponentially weighted average and average of squares.

#include "learn/KelLearnCurve.h"
#include "learn/KelLearnFinalMachine.h"
#include "store/KelFinalCurveStore.h"

class CKelLearnSigCurve : public CKelLearnFinalMachine<KelLearnCurve> {
 public:
  CKelLearnSigCurve(CKelLearnStore& store, CKelFinalCurveStore& source);

  // For every curve of the mode on the store's evaluation list whose expiry matches the event:
  // an active item that has learned nothing yet, or whose average has another number of points
  // or another x step than the curve, is started anew with the key's number to learn (keys
  // without a learn procedure are skipped) and its curves are zeroed to the curve's shape; then
  // the item learns the curve.
  unsigned Learn(int mode, Kelva::sequencer_events_t event) override;
  void FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const override;

 private:
  // Whether an active item goes on with the curve as it is, without a new start.
  static bool GoesOn(const KelLearnCurve& item, const KelSigLimitCurve& curve);
  unsigned Update(const QClavis& key, KelLearnCurve& item, const KelSigLimitCurve& curve) const;

  CKelFinalCurveStore& source_;
};
