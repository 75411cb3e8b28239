#pragma once
// The host's signal library: units, descriptions, the expiry of measured results and the
// float signal that measuring instruments deliver, and the learning factors.

#include <cstdint>
#include <vector>

#include <optional>

#include "host/Description.h"
#include "host/ExpAverFacGenerator.h"
#include "host/MeasuringResult.h"
#include "host/MeasuringUnit.h"
#include "host/SignalBase.h"

// A measured float signal (a spectrum, an order cut) with its description and the context and
// expiry of the measuring result it came with.
class CSignalieee32 final : public CMeasuringResultBase {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('S', 'I', '3', '2');

  CSignalieee32() = default;
  CSignalieee32(const CDescription& description, std::vector<float> samples, uint64_t context = 22,
                SignalBase::measuring_expire_t expire = SignalBase::expire_measurement)
      : description_(description), samples_(std::move(samples)) {
    SetTimeslice(context, expire);
  }

  const CDescription& Description() const { return description_; }
  size_t NumberOfElements() const { return samples_.size(); }
  const float* Data() const { return samples_.data(); }

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CSignalieee32> Unmarshal(const uint8_t* data, size_t size);

 private:
  CDescription description_;
  std::vector<float> samples_;
};
