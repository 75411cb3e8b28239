// Measured results and their marshalled forms. Every form is little-endian without padding
// (docs/file-formats.md, "Wagons"). Readers check each length before they read and each count
// against the bytes that remain before they allocate; a form must fill its wagon exactly.

#include "host/MeasuringResult.h"

#include <bit>
#include <cstring>
#include <type_traits>

#include "host/File.h"
#include "host/Signal.h"
#include "host/StateMachine.h"

namespace {

template <typename T>
void Put(std::vector<uint8_t>& out, T value) {
  static_assert(std::is_arithmetic_v<T>);
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  out.insert(out.end(), bytes, bytes + sizeof(T));
}

// Reads one number and moves past it; false (nothing moved) when fewer bytes remain.
template <typename T>
bool Get(const uint8_t*& data, size_t& size, T& value) {
  static_assert(std::is_arithmetic_v<T>);
  if (size < sizeof(T)) return false;
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, data, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  std::memcpy(&value, bytes, sizeof(T));
  data += sizeof(T);
  size -= sizeof(T);
  return true;
}

// A unit travels in its 16-byte file form and is read with the file form's rules.
void PutUnit(std::vector<uint8_t>& out, const CMeasuringUnit& unit) {
  CMemFile file;
  unit.WriteToFile(file);
  out.insert(out.end(), file.Bytes().begin(), file.Bytes().end());
}

bool GetUnit(const uint8_t*& data, size_t& size, CMeasuringUnit& unit) {
  if (size < CMeasuringUnit::kFileSize) return false;
  CMemFile file(std::vector<uint8_t>(data, data + CMeasuringUnit::kFileSize));
  if (!unit.ReadFromFile(file)) return false;
  data += CMeasuringUnit::kFileSize;
  size -= CMeasuringUnit::kFileSize;
  return true;
}

// uint32 n + n numbers of T.
template <typename T>
void PutArray(std::vector<uint8_t>& out, const std::vector<T>& values) {
  Put(out, static_cast<uint32_t>(values.size()));
  for (T value : values) Put(out, value);
}

// The count must match the remaining bytes exactly; nothing is allocated before that is known.
template <typename T>
bool GetArrayToEnd(const uint8_t*& data, size_t& size, std::vector<T>& values) {
  uint32_t n = 0;
  if (!Get(data, size, n)) return false;
  if (static_cast<uint64_t>(n) * sizeof(T) != size) return false;
  values.resize(n);
  for (T& value : values) Get(data, size, value);
  return true;
}

bool ValidExpire(int32_t expire) {
  return expire >= SignalBase::expire_measurement && expire <= SignalBase::expire_candidate;
}

}  // namespace

// ---- CSetPoint -------------------------------------------------------------------------------

void CSetPoint::Set(int slot, int32_t id, float value) {
  if (slot < 0 || slot >= kSlots) return;
  slots_[slot] = Slot{true, id, value};
}

bool CSetPoint::Defined(int slot) const {
  return slot >= 0 && slot < kSlots && slots_[slot].defined;
}

int CSetPoint::DefinedCount() const {
  int count = 0;
  for (const Slot& slot : slots_) count += slot.defined ? 1 : 0;
  return count;
}

float CSetPoint::Value(int slot) const {
  return Defined(slot) ? slots_[slot].value : 0.0f;
}

int32_t CSetPoint::Id(int slot) const {
  return Defined(slot) ? slots_[slot].id : -1;
}

int CSetPoint::id2idx(int32_t id) const {
  for (int slot = 0; slot < kSlots; ++slot)
    if (slots_[slot].defined && slots_[slot].id == id) return slot;
  return -1;
}

// ---- CMeasuringResultBase --------------------------------------------------------------------

void CMeasuringResultBase::MarshalBase(std::vector<uint8_t>& out) const {
  for (int32_t field : {clavis_.mode, clavis_.instrument, clavis_.channel, clavis_.location,
                        clavis_.parameter, clavis_.sensor})
    Put(out, field);
  Put(out, trigger_);
  Put(out, cell_);
  Put(out, context_);
  Put(out, static_cast<int32_t>(expire_));
  uint16_t mask = 0;
  for (int slot = 0; slot < CSetPoint::kSlots; ++slot)
    if (setPoint_.Defined(slot)) mask = static_cast<uint16_t>(mask | (1u << slot));
  Put(out, mask);
  for (int slot = 0; slot < CSetPoint::kSlots; ++slot) {
    Put(out, setPoint_.Id(slot));
    Put(out, setPoint_.Value(slot));
  }
}

bool CMeasuringResultBase::UnmarshalBase(const uint8_t*& data, size_t& size) {
  SClavis clavis;
  int32_t trigger = 0;
  int64_t cell = 0;
  uint64_t context = 0;
  int32_t expire = 0;
  uint16_t mask = 0;
  for (int32_t* field : {&clavis.mode, &clavis.instrument, &clavis.channel, &clavis.location,
                         &clavis.parameter, &clavis.sensor})
    if (!Get(data, size, *field)) return false;
  if (!Get(data, size, trigger) || !Get(data, size, cell) || !Get(data, size, context) ||
      !Get(data, size, expire) || !Get(data, size, mask))
    return false;
  if (!ValidExpire(expire)) return false;
  CSetPoint setPoint;
  for (int slot = 0; slot < CSetPoint::kSlots; ++slot) {
    int32_t id = 0;
    float value = 0.0f;
    if (!Get(data, size, id) || !Get(data, size, value)) return false;
    if ((mask >> slot) & 1u) setPoint.Set(slot, id, value);
  }
  clavis_ = clavis;
  trigger_ = trigger;
  cell_ = cell;
  context_ = context;
  expire_ = static_cast<SignalBase::measuring_expire_t>(expire);
  setPoint_ = setPoint;
  return true;
}

// ---- Scalars ---------------------------------------------------------------------------------

void CMeasuringResultScalar::Marshal(std::vector<uint8_t>& out) const {
  MarshalBase(out);
  Put(out, value);
  PutUnit(out, unit);
}

std::optional<CMeasuringResultScalar> CMeasuringResultScalar::Unmarshal(const uint8_t* data,
                                                                        size_t size) {
  CMeasuringResultScalar result;
  if (!result.UnmarshalBase(data, size) || !Get(data, size, result.value) ||
      !GetUnit(data, size, result.unit) || size != 0)
    return std::nullopt;
  return result;
}

void CMeasuringResultScalarTarget::Marshal(std::vector<uint8_t>& out) const {
  scalar.Marshal(out);
  Put(out, target);
}

std::optional<CMeasuringResultScalarTarget> CMeasuringResultScalarTarget::Unmarshal(
    const uint8_t* data, size_t size) {
  constexpr size_t kTargetSize = sizeof(float);
  if (size < kTargetSize) return std::nullopt;
  std::optional<CMeasuringResultScalar> scalar =
      CMeasuringResultScalar::Unmarshal(data, size - kTargetSize);
  if (!scalar) return std::nullopt;
  CMeasuringResultScalarTarget result;
  result.scalar = *scalar;
  data += size - kTargetSize;
  size = kTargetSize;
  Get(data, size, result.target);
  return result;
}

// ---- Lists and run information ---------------------------------------------------------------

void CTypedSignal<unsigned long>::Marshal(std::vector<uint8_t>& out) const {
  PutArray(out, samples);
}

std::optional<CTypedSignal<unsigned long>> CTypedSignal<unsigned long>::Unmarshal(
    const uint8_t* data, size_t size) {
  CTypedSignal result;
  if (!GetArrayToEnd(data, size, result.samples)) return std::nullopt;
  return result;
}

void CResampInfo::Marshal(std::vector<uint8_t>& out) const {
  Put(out, samplesPerRevolution);
  Put(out, rotor);
}

std::optional<CResampInfo> CResampInfo::Unmarshal(const uint8_t* data, size_t size) {
  CResampInfo result;
  if (!Get(data, size, result.samplesPerRevolution) || !Get(data, size, result.rotor) || size != 0)
    return std::nullopt;
  return result;
}

void CDzPulsListe::Marshal(std::vector<uint8_t>& out) const {
  PutArray(out, times);
}

std::optional<CDzPulsListe> CDzPulsListe::Unmarshal(const uint8_t* data, size_t size) {
  CDzPulsListe result;
  if (!GetArrayToEnd(data, size, result.times)) return std::nullopt;
  return result;
}

void CFueGroeHopListe::Marshal(std::vector<uint8_t>& out) const {
  PutArray(out, values);
}

std::optional<CFueGroeHopListe> CFueGroeHopListe::Unmarshal(const uint8_t* data, size_t size) {
  CFueGroeHopListe result;
  if (!GetArrayToEnd(data, size, result.values)) return std::nullopt;
  return result;
}

const char* CTriggerInfo::StateName() const {
  switch (state) {
    case st_idle:
      return "idle";
    case st_armed:
      return "armed";
    case st_running:
      return "running";
    case st_stopped:
      return "stopped";
  }
  return "unknown";
}

void CTriggerInfo::Marshal(std::vector<uint8_t>& out) const {
  Put(out, trigger);
  Put(out, static_cast<int32_t>(state));
  Put(out, cell);
}

std::optional<CTriggerInfo> CTriggerInfo::Unmarshal(const uint8_t* data, size_t size) {
  CTriggerInfo result;
  int32_t state = 0;
  if (!Get(data, size, result.trigger) || !Get(data, size, state) ||
      !Get(data, size, result.cell) || size != 0)
    return std::nullopt;
  if (state < st_idle || state > st_stopped) return std::nullopt;
  result.state = static_cast<state_t>(state);
  return result;
}

// ---- Float signal ----------------------------------------------------------------------------

void CSignalieee32::Marshal(std::vector<uint8_t>& out) const {
  MarshalBase(out);
  const CDescription& description = Description();
  Put(out, description.XDims());
  for (uint32_t i = 0; i < description.XDims(); ++i) {
    const CXDimension& x = description.X(i);
    Put(out, x.size);
    Put(out, x.delta);
    Put(out, x.start);
    PutUnit(out, x.unit);
  }
  Put(out, description.YDims());
  PutUnit(out, description.YUnit());
  for (uint32_t i = 0; i < description.YDims(); ++i) {
    Put(out, description.Y(i).flags);
    Put(out, description.Y(i).signal);
  }
  Put(out, static_cast<uint32_t>(NumberOfElements()));
  for (size_t i = 0; i < NumberOfElements(); ++i) Put(out, Data()[i]);
}

std::optional<CSignalieee32> CSignalieee32::Unmarshal(const uint8_t* data, size_t size) {
  CSignalieee32 base;
  if (!base.UnmarshalBase(data, size)) return std::nullopt;
  CDescription description;
  uint32_t xDims = 0;
  if (!Get(data, size, xDims) || xDims < 1 || xDims > CDescription::kMaxXDims) return std::nullopt;
  description.SetXDims(xDims);
  for (uint32_t i = 0; i < xDims; ++i) {
    CXDimension& x = description.X(i);
    if (!Get(data, size, x.size) || !Get(data, size, x.delta) || !Get(data, size, x.start) ||
        !GetUnit(data, size, x.unit))
      return std::nullopt;
  }
  uint32_t yDims = 0;
  CMeasuringUnit yUnit;
  if (!Get(data, size, yDims) || yDims > CDescription::kMaxYDims || !GetUnit(data, size, yUnit))
    return std::nullopt;
  description.SetYDims(yDims);
  description.SetYUnit(yUnit);
  for (uint32_t i = 0; i < yDims; ++i) {
    if (!Get(data, size, description.Y(i).flags) || !Get(data, size, description.Y(i).signal))
      return std::nullopt;
  }
  std::vector<float> samples;
  if (!GetArrayToEnd(data, size, samples)) return std::nullopt;
  CSignalieee32 result(description, std::move(samples));
  result.SetClavis(base.clavis());
  result.SetTrigger(base.trigger(), base.cell());
  result.SetTimeslice(base.context(), base.expire());
  result.set_point() = base.set_point();
  return result;
}

// ---- Thread key ------------------------------------------------------------------------------

void CThreadSynch::Key::Marshal(std::vector<uint8_t>& out) const {
  Put(out, sequence);
  Put(out, thread);
}

std::optional<CThreadSynch::Key> CThreadSynch::Key::Unmarshal(const uint8_t* data, size_t size) {
  Key key;
  if (!Get(data, size, key.sequence) || !Get(data, size, key.thread) || size != 0)
    return std::nullopt;
  return key;
}
