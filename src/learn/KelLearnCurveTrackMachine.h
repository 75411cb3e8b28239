#pragma once
// CKelLearnCurveTrack: the learn machine of curve tracks (spectrograms: a curve at every
// trigger position). It learns every curve into a KelLearnCurve item at its position
// ("<EvLearnCurveTrack>"). A quantity whose number to learn is 0 has its learned track erased.

#include "learn/KelLearnCurve.h"
#include "learn/KelLearnTrackMachine.h"
#include "store/KelTrackCurveStore.h"

class CKelLearnCurveTrack : public CKelLearnTrackMachine<KelLearnCurve, CKelTrackCurveStore> {
 public:
  CKelLearnCurveTrack(CKelLearnStore& store, CKelTrackCurveStore& source);

  // For every track on the store's evaluation list whose quantity belongs to the mode, whose
  // expiry matches the event and which has a learn procedure: with a number to learn of 0 the
  // learned track is erased; otherwise every curve is learned into the item at its position
  // (an active item that has learned nothing yet is started with the number to learn and its
  // curves are zeroed to the curve's shape).
  unsigned Learn(int mode, Kelva::sequencer_events_t event) override;
  void FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const override;
};
