#pragma once
// CKelLearnScalarTrack: the learn machine of scalar tracks (values over a trigger axis, such as
// an order level over speed). It learns every point of a track into a KelLearnSValue item at
// the point's trigger position ("<EvLearnTrack>").
//
// Learn modes: a track is learned as an exponentially weighted average, except the tracks of
// instrument 5000, which keep the extreme value seen at each position: the minimum when the
// instrument parameter is evaluated against a lower limit, else the maximum (meanSquare then
// stays 0).

#include "host/Display.h"
#include "learn/KelLearnSValue.h"
#include "learn/KelLearnTrackMachine.h"
#include "store/KelTrackScalarStore.h"

class CKelLearnScalarTrack : public CKelLearnTrackMachine<KelLearnSValue, CKelTrackScalarStore> {
 public:
  enum learn_mode_t : int32_t {
    lm_average = 0,
    lm_minimum = 1,
    lm_maximum = 2,
  };
  // The instrument whose tracks keep extreme values.
  static constexpr int32_t kExtremeValueInstrument = 5000;

  CKelLearnScalarTrack(CKelLearnStore& store, CKelTrackScalarStore& source);

  // For every track on the store's evaluation list whose quantity belongs to the mode, whose
  // expiry matches the event and which has a learn procedure: every point is learned into the
  // item at its position (created when missing; an active item that has learned nothing yet is
  // started with the number to learn, and in the minimum or maximum mode from the largest float
  // or its negative).
  unsigned Learn(int mode, Kelva::sequencer_events_t event) override;
  void FillValueStore(CKelValueStore& valueStore, bool storeIsEmpty) const override;

  // The learned track of the quantity for display, over the axis of its trigger interval:
  // what = 1 the variance (meanSquare − mean²), 2 the learned count, else the mean. False (an
  // empty polygon) when nothing was learned for the quantity or it has no trigger interval.
  bool GeneratePolygon(const QClavis& key, CVisDataPolygon* polygon, int what) const;

  // The learn mode of a quantity's track.
  learn_mode_t LearnModeOf(const QClavis& key) const;

 private:
  // One point; 1 when learned, 0 for an inactive item.
  static unsigned UpdateLearn(float x, KelLearnSValue& item, long tc, learn_mode_t mode);
};
