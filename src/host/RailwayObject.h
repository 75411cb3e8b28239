#pragma once
// CRailwayObject: the root of everything that travels in a train as a live object. Each type
// has a marshalling id (MarshalingYard::ID<T>::id(), four ASCII characters) and a marshalled
// form: a little-endian byte layout that another thread or process can send instead of the
// live object. Unmarshal checks every length and refuses short data (std::nullopt).

#include <cstdint>
#include <vector>

class CRailwayObject {
 public:
  virtual ~CRailwayObject() = default;
  // The marshalling id of the object's type.
  virtual uint32_t WagonId() const = 0;
  // Appends the marshalled form.
  virtual void Marshal(std::vector<uint8_t>& out) const = 0;
};

namespace MarshalingYard {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
         static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

// ID<T>::id(): the marshalling id of wagon type T; every wagon type defines kWagonId.
template <typename T>
struct ID {
  static constexpr uint32_t id() { return T::kWagonId; }
};

}  // namespace MarshalingYard
