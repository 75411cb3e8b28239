#pragma once
// KelStoreError: one entry of the error list — the code and the values of the violating
// record at the time of the error, and the entry's order number.

#include <cstdint>
#include <tuple>

#include "store/QValueBase.h"

class KelStoreError : public QValueBase {
 public:
  static constexpr uint32_t s_version = 1;

  KelStoreError() = default;
  KelStoreError(int32_t code, float value, float limit, float mean, float position,
                int32_t sequence)
      : code(code),
        value(value),
        limit(limit),
        mean(mean),
        position(position),
        sequence(sequence) {}
  ~KelStoreError() override = default;
  KelStoreError(const KelStoreError&) = default;
  KelStoreError& operator=(const KelStoreError&) = default;

  int32_t code = 0;
  float value = 0.0f;
  float limit = 0.0f;
  float mean = 0.0f;
  float position = 0.0f;
  int32_t sequence = -1;  // order number from the result shop's running counter

  // The fields the error list shows and writes.
  auto tuple() { return std::tie(code, value, limit, mean, position); }
  auto tuple() const { return std::tie(code, value, limit, mean, position); }
};
