#pragma once
// QValueStoreTrackItem<T>: one stored track of one quantity — its points ordered by their
// position on the track's abscissa (a trigger value such as a speed, in the host's integer
// units) and the unit of the values. Inserting or erasing a point invalidates iterators and
// references to the points (see CTrackPointMap).

#include <cstdint>

#include "host/MeasuringUnit.h"
#include "store/QValueStoreItemBase.h"
#include "store/TrackPointMap.h"

template <typename T>
class QValueStoreTrackItem : public QValueStoreItemBase {
 public:
  using points_t = CTrackPointMap<T>;

  QValueStoreTrackItem() = default;
  ~QValueStoreTrackItem() override = default;
  QValueStoreTrackItem(const QValueStoreTrackItem&) = default;
  QValueStoreTrackItem& operator=(const QValueStoreTrackItem&) = default;

  // Stores `point` at `position` (replacing a point there) and returns the stored point. The
  // unit is taken from the first insertion into an empty track and kept afterwards. The
  // returned reference is valid until the next insert into or erase from this track.
  T& Insert(int64_t position, const T& point, const CMeasuringUnit& pointUnit) {
    if (points.empty()) unit = pointUnit;
    return points.insert_or_assign(position, point).first->second;
  }

  points_t points;
  CMeasuringUnit unit;
};
