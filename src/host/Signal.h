#pragma once
// The host's signal library: units, descriptions, the expiry of measured results and the
// float signal that measuring instruments deliver.

#include <cstdint>
#include <vector>

#include "host/Description.h"
#include "host/MeasuringUnit.h"

namespace SignalBase {
// At which end of the test sequence a measured result becomes final.
enum measuring_expire_t : int32_t {
  expire_measurement = 1,
  expire_mode = 2,
  expire_shiftlane = 3,
  expire_candidate = 4,
};
}  // namespace SignalBase

// A measured float signal (a spectrum, an order cut) with its description and the context and
// expiry of the measuring result it came with.
class CSignalieee32 {
 public:
  CSignalieee32() = default;
  CSignalieee32(const CDescription& description, std::vector<float> samples, uint64_t context = 22,
                SignalBase::measuring_expire_t expire = SignalBase::expire_measurement)
      : description_(description),
        samples_(std::move(samples)),
        context_(context),
        expire_(expire) {}

  const CDescription& Description() const { return description_; }
  size_t NumberOfElements() const { return samples_.size(); }
  const float* Data() const { return samples_.data(); }
  uint64_t context() const { return context_; }
  SignalBase::measuring_expire_t expire() const { return expire_; }

 private:
  CDescription description_;
  std::vector<float> samples_;
  uint64_t context_ = 22;
  SignalBase::measuring_expire_t expire_ = SignalBase::expire_measurement;
};
