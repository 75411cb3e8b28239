#pragma once
// LearnedValues: learned statistics shown as stored values (the machines' FillValueStore).
//
// A learned scalar or track point is shown as its mean with the standard deviation
// (numeric::stddev with factor 1) as limit and evaluation mode 2; a learned curve as a limit
// curve of its average with the point-wise standard deviation as limit and limit state 2.

#include "host/Numeric.h"
#include "learn/KelLearnCurve.h"
#include "learn/KelLearnSValue.h"
#include "store/KelSigLimitCurve.h"
#include "store/KelStoreSValue.h"
#include "store/KelStoreTrackPoint.h"

namespace LearnedValues {

inline constexpr int32_t kShownEvalMode = 2;

// Sets the learned fields of an existing record; the other fields keep their values.
inline void ShowLearned(KelStoreSValue& value, const KelLearnSValue& item) {
  value.value = item.mean;
  value.limit = numeric::stddev(item.mean, item.meanSquare, 1.0f);
  value.evalMode = kShownEvalMode;
}
inline void ShowLearned(KelStoreTrackPoint& point, const KelLearnSValue& item) {
  point.value = item.mean;
  point.upperLimit = numeric::stddev(item.mean, item.meanSquare, 1.0f);
  point.evalMode = kShownEvalMode;
}
// The average with the standard deviation as limit; a curve item without samples gives an
// empty limit curve.
KelSigLimitCurve LimitCurveOf(const KelLearnCurve& item);
inline void ShowLearned(KelSigLimitCurve& curve, const KelLearnCurve& item) {
  curve = LimitCurveOf(item);
}

// A new record of the learned item (the fields not learned are 0).
template <typename Record, typename Item>
Record NewRecord(const Item& item) {
  Record record;
  ShowLearned(record, item);
  return record;
}
inline KelStoreSValue StoredValue(const KelLearnSValue& item) {
  return NewRecord<KelStoreSValue>(item);
}

// Walks the stored records and the learned items side by side (both ascending by key): a record
// without a learned item is erased (erase(it) returns the iterator after it), one with an item
// gets show(record, item).
template <typename Records, typename Items, typename Show, typename Erase>
void UpdateSideBySide(Records& records, const Items& items, Show show, Erase erase) {
  auto item = items.begin();
  for (auto record = records.begin(); record != records.end();) {
    while (item != items.end() && item->first < record->first) ++item;
    if (item == items.end() || record->first < item->first) {
      record = erase(record);
      continue;
    }
    show(record->second, item->second);
    ++record;
  }
}

}  // namespace LearnedValues
