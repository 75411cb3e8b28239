#pragma once
// CSourceTrack: the scalar track a calculator of single values reads in one pass, with the
// trigger axis its cells lie on. A source is usable in pass p when its quantity has a track
// key, the track exists with generation p, and the quantity's trigger has a definite tracked
// dimension with an axis. Anything else means "nothing to compute yet" and the calculator
// skips the key without a message.

#include <cstdint>

#include "host/TriggerStore.h"
#include "store/KelStoreSValue.h"
#include "store/KelStoreTrackPoint.h"
#include "store/KelValueStore.h"
#include "store/Keys.h"
#include "store/QValueStoreTrackItem.h"

class CSourceTrack {
 public:
  using track_t = QValueStoreTrackItem<KelStoreTrackPoint>;
  using points_t = track_t::points_t;

  // Looks up the track of `source`; false when it cannot be used in `pass`.
  bool Find(const CKelValueStore& store, const QClavis& source, unsigned pass);

  const points_t& Points() const { return m_track->points; }
  const CTriggerStore::CInterval& Interval() const { return m_interval; }

  // The trigger value of a cell; false when the axis cannot convert it.
  bool Position(int64_t cell, float& x) const;
  // The nearest cell of a trigger value; false when the axis cannot convert it.
  bool Cell(float x, int64_t& cell) const;

  // Inserts `value` at `position` as the final single value `key` with generation pass + 1,
  // in the track's unit, with the track's context and expiry.
  void InsertResult(CKelValueStore& store, const QClavis& key, float value, float position,
                    unsigned pass) const;

 private:
  const track_t* m_track = nullptr;
  CTriggerStore::CInterval m_interval;
  unsigned m_dimension = 0;
};
