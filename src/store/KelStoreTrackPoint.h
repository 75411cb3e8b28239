#pragma once
// KelStoreTrackPoint: one point of a scalar track. At insertion only `value` is set; the limit
// generation for tracks fills the rest.

#include <cstdint>
#include <tuple>

#include "host/InstrumentParam.h"
#include "store/QValueStoreItemBase.h"

class KelStoreTrackPoint : public QValueStoreItemBase {
 public:
  KelStoreTrackPoint() = default;
  explicit KelStoreTrackPoint(float value) : value(value) {}
  ~KelStoreTrackPoint() override = default;
  KelStoreTrackPoint(const KelStoreTrackPoint&) = default;
  KelStoreTrackPoint& operator=(const KelStoreTrackPoint&) = default;

  float value = 0.0f;
  int32_t evalMode = QVInstrumentParam::eval_none;
  float upperLimit = 0.0f;
  float lowerLimit = 0.0f;
  float mean = 0.0f;  // the learned mean at this position

  auto tuple() { return std::tie(value, evalMode, upperLimit, lowerLimit, mean); }
  auto tuple() const { return std::tie(value, evalMode, upperLimit, lowerLimit, mean); }
};
