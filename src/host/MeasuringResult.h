#pragma once
// Measured results as the host's measuring modules deliver them: the key of the quantity, the
// trigger and cell of a run (for results sampled along a run), the time-slice context and
// expiry, and the set points the measuring module knew. Each type travels as a wagon, live or
// marshalled (docs/file-formats.md, "Wagons").

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/MeasuringUnit.h"
#include "host/RailwayObject.h"
#include "host/SignalBase.h"

// The key of a measured result: mode, instrument, channel, location, parameter, sensor.
struct SClavis {
  int32_t mode = -1, instrument = -1, channel = -1, location = -1, parameter = -1, sensor = -1;
};

// Up to 16 set points (operating values such as a speed or a torque at the time of the
// measurement), each with its set-point id.
class CSetPoint {
 public:
  static constexpr int kSlots = 16;
  void Set(int slot, int32_t id, float value);
  bool Defined(int slot) const;
  int DefinedCount() const;
  float Value(int slot) const;
  int32_t Id(int slot) const;
  // The slot holding set-point id `id`; -1 when none.
  int id2idx(int32_t id) const;

 private:
  struct Slot {
    bool defined = false;
    int32_t id = -1;
    float value = 0.0f;
  };
  std::array<Slot, kSlots> slots_{};
};

class CMeasuringResultBase : public CRailwayObject {
 public:
  const SClavis& clavis() const { return clavis_; }
  int32_t trigger() const { return trigger_; }
  int64_t cell() const { return cell_; }
  uint64_t context() const { return context_; }
  SignalBase::measuring_expire_t expire() const { return expire_; }
  const CSetPoint& set_point() const { return setPoint_; }

  void SetClavis(const SClavis& clavis) { clavis_ = clavis; }
  void SetTrigger(int32_t trigger, int64_t cell) {
    trigger_ = trigger;
    cell_ = cell;
  }
  void SetTimeslice(uint64_t context, SignalBase::measuring_expire_t expire) {
    context_ = context;
    expire_ = expire;
  }
  CSetPoint& set_point() { return setPoint_; }

 protected:
  // The marshalled form of the fields above (178 bytes) and reading it back; false when
  // fewer than 178 bytes remain or the expiry is not 1 … 4.
  void MarshalBase(std::vector<uint8_t>& out) const;
  bool UnmarshalBase(const uint8_t*& data, size_t& size);

 private:
  SClavis clavis_;
  int32_t trigger_ = -1;
  int64_t cell_ = 0;
  uint64_t context_ = 22;
  SignalBase::measuring_expire_t expire_ = SignalBase::expire_measurement;
  CSetPoint setPoint_;
};

class CMeasuringResultScalar final : public CMeasuringResultBase {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('M', 'R', 'S', 'C');
  float value = 0.0f;
  CMeasuringUnit unit;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CMeasuringResultScalar> Unmarshal(const uint8_t* data, size_t size);
};

// A scalar result together with the target value it was measured against.
class CMeasuringResultScalarTarget final : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('M', 'R', 'S', 'T');
  CMeasuringResultScalar scalar;
  float target = 0.0f;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CMeasuringResultScalarTarget> Unmarshal(const uint8_t* data, size_t size);
};

// A raw (integer) signal of a data-acquisition channel.
template <typename T>
class CTypedSignal;

template <>
class CTypedSignal<unsigned long> : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('R', 'A', 'W', 'S');
  std::vector<uint32_t> samples;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CTypedSignal> Unmarshal(const uint8_t* data, size_t size);
};

// Resampling information of an order-resampled channel.
class CResampInfo : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('R', 'S', 'I', 'N');
  uint32_t samplesPerRevolution = 0;
  int32_t rotor = -1;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CResampInfo> Unmarshal(const uint8_t* data, size_t size);
};

// A list of speed pulses (times in seconds).
class CDzPulsListe : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('D', 'Z', 'P', 'L');
  std::vector<float> times;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CDzPulsListe> Unmarshal(const uint8_t* data, size_t size);
};

// A list of slowly changing values (temperatures, torques) over time.
class CFueGroeHopListe : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('F', 'G', 'H', 'L');
  std::vector<float> values;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CFueGroeHopListe> Unmarshal(const uint8_t* data, size_t size);
};

// Where a trigger stands: its id, its state and the current cell of the run.
class CTriggerInfo : public CRailwayObject {
 public:
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('T', 'R', 'I', 'N');
  enum state_t : int32_t { st_idle = 0, st_armed = 1, st_running = 2, st_stopped = 3 };
  int32_t trigger = -1;
  state_t state = st_idle;
  int64_t cell = 0;

  // "idle", "armed", "running", "stopped", or "unknown".
  const char* StateName() const;
  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<CTriggerInfo> Unmarshal(const uint8_t* data, size_t size);
};
