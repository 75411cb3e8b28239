#pragma once
// KelStoreSValue: one stored scalar value with the limit it was evaluated against.

#include <cstdint>
#include <tuple>

#include "host/InstrumentParam.h"
#include "store/QValueStoreItemBase.h"

class KelStoreSValue : public QValueStoreItemBase {
 public:
  KelStoreSValue() = default;
  ~KelStoreSValue() override = default;
  KelStoreSValue(const KelStoreSValue&) = default;
  KelStoreSValue& operator=(const KelStoreSValue&) = default;

  float value = 0.0f;     // the measured value
  float position = 0.0f;  // where it was taken on its abscissa (0 when not applicable)
  // Limit direction set by the limit generation; the margin is limit − value for an upper
  // limit and value − limit otherwise, a negative margin being a violation.
  int32_t evalMode = QVInstrumentParam::eval_none;
  int32_t aux = 0;  // carried and persisted, never interpreted
  float limit = 0.0f;
  float mean = 0.0f;  // the learned mean the limit was derived from

  // The persisted columns, in file order.
  auto tuple() { return std::tie(value, position, evalMode, aux, limit, mean); }
  auto tuple() const { return std::tie(value, position, evalMode, aux, limit, mean); }
};
