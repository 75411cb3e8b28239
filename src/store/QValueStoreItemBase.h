#pragma once
// QValueStoreItemBase: what every stored measured value carries about its origin, copied by
// every copy and assignment of the records derived from it.

#include <cstdint>

#include "host/Signal.h"
#include "store/QValueBase.h"

class QValueStoreItemBase : public QValueBase {
 public:
  // The measuring context: which time slices of the test the value belongs to. Only the low
  // five bits are used (bit 1 measurement, 2 mode, 3 shift lane, 4 candidate).
  static constexpr uint64_t kDefaultContext = 22;

  QValueStoreItemBase() = default;
  QValueStoreItemBase(uint64_t context, SignalBase::measuring_expire_t expire)
      : context(context), expire(expire) {}
  ~QValueStoreItemBase() override = default;
  QValueStoreItemBase(const QValueStoreItemBase&) = default;
  QValueStoreItemBase& operator=(const QValueStoreItemBase&) = default;

  uint64_t context = kDefaultContext;
  // At which end of the sequence the value becomes final.
  SignalBase::measuring_expire_t expire = SignalBase::expire_measurement;
};
