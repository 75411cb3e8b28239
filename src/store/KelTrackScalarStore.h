#pragma once
// CKelTrackScalarStore: scalar tracks — a level over the speed of a run-up, one point per
// trigger cell.

#include "host/Display.h"
#include "store/KelStoreTrackPoint.h"
#include "store/KelTrackStore.h"

class CKelTrackScalarStore : public CKelTrackStore<KelStoreTrackPoint> {
 public:
  static constexpr uint32_t s_version = 1;

  // What FindMaximum looks for.
  enum maximum_kind_t {
    max_value = 0,         // the largest value
    max_upper_margin = 1,  // the largest upperLimit − value over points with an upper limit
    max_lower_margin = 2,  // the largest value − lowerLimit over points with a lower limit
  };

  CKelTrackScalarStore();

  // Stores value at the position of track `where.trackKey` (replacing a point there) and
  // returns the stored point. A new track takes the context and expiry, an empty one the unit.
  // The reference is valid until the next insert into or erase from the same track, or the
  // track's removal; inserts into other tracks leave it valid (see KelTrackStore.h). Fill a
  // point through it right away; to come back to a point later, keep the track key and
  // position.
  KelStoreTrackPoint& InsertValue(S1int1int64 where, float value, const CMeasuringUnit& unit,
                                  unsigned long long context, SignalBase::measuring_expire_t expire,
                                  unsigned validate);
  // The same under the quantity's track key (assigned on first use).
  KelStoreTrackPoint& InsertValue(const QClavis& key, long long position, float value,
                                  const CMeasuringUnit& unit, unsigned long long context,
                                  SignalBase::measuring_expire_t expire, unsigned validate);

  // The quantity's track (its track key assigned on first use), for a caller that fills many
  // points in one go, as a derived track is made: created with the context and expiry when new,
  // put on the validation list with a non-zero tag, as InsertValue does. Points are stored with
  // track_t::Insert. The reference stays valid while no track is erased (see KelTrackStore.h).
  track_t& TrackToFill(const QClavis& key, uint64_t context, SignalBase::measuring_expire_t expire,
                       unsigned validate) {
    return TrackFor(static_cast<int32_t>(GenerateKeyOfDovetar(key)), context, expire, validate);
  }

  // The maximum of `kind` over the quantity's track; false without track or without a point
  // that has the limit asked for. The position is given on the trigger axis (the cell itself
  // when the quantity has no trigger interval).
  bool FindMaximum(const QClavis& key, maximum_kind_t kind, float& maximum,
                   float* position = nullptr, KelStoreTrackPoint* point = nullptr) const;

  // The current track as a polygon over the trigger axis; the number of points, 0 without
  // track. `dimension` (1-based) gives the x unit.
  int GeneratePolygonData(const QClavis& key, int dimension, CVisDataPolygon* out) const;
  // The history sections of the track, oldest first, one after the other in one polygon.
  int GeneratePolygonHistory(const QClavis& key, int dimension, CVisDataPolygon* out) const;
  // A grid of the current track (row 0) and its history sections (rows 1…, oldest first) over
  // the positions of the current track; a position a section lacks is NaN. Number of columns.
  int GenerateArrayData(const QClavis& key, int dimension, CVisDataGrid* out) const;
  // The axis and value units of the quantity's track; false without track or trigger axis.
  bool SetTrackPolygonUnits(const QClavis& key, CVisDataItem& item) const;

 private:
  // Trigger-axis value of a cell (the cell itself without interval).
  float AxisValue(const CTriggerStore::CInterval& interval, int dimension, int64_t cell) const;
  int AppendPoints(const QValueStoreTrackItem<KelStoreTrackPoint>& track, const QClavis& key,
                   CVisDataPolygon* out) const;
};
