#pragma once
// The host's railway: measured data travels from the worker threads to the modules as trains
// of wagons. A wagon is 16 bytes — its type id, the byte size of its marshalled data, the index
// of its live object in the train (or kNone) and the offset of its marshalled data in the
// train's buffer (or kNone). The train owns the objects and the bytes.
//
// Reading a wagon as T (ReadWagon): a live object is down-cast (no result when it is not a T);
// otherwise, when the wagon's id is T's marshalling id, a T is built from the marshalled data
// (no result when the data is short or malformed); any other id gives no result.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "host/Module.h"
#include "host/RailwayObject.h"

class CTrain {
 public:
  static constexpr uint32_t kNone = 0xffffffffu;
  struct SWagon {
    uint32_t id;
    uint32_t size;    // bytes of marshalled data (0 for a live object)
    uint32_t object;  // index of the live object, or kNone
    uint32_t data;    // offset of the marshalled data, or kNone
  };
  static_assert(sizeof(SWagon) == 16);

  // A wagon carrying a live object.
  void AddObject(std::shared_ptr<const CRailwayObject> object);
  // A wagon carrying marshalled data of type `id`.
  void AddMarshalled(uint32_t id, const void* data, uint32_t size);
  // A wagon carrying the marshalled form of `object`.
  void AddMarshalledOf(const CRailwayObject& object);
  // Takes every wagon off; the train keeps its room, so that a sender that reuses it for train
  // after train does not allocate.
  void Clear();

  const SWagon* begin() const { return wagons_.data(); }
  const SWagon* end() const { return wagons_.data() + wagons_.size(); }
  size_t size() const { return wagons_.size(); }
  // The first wagon of that type id, or null.
  const SWagon* find_id(uint32_t id) const;

  const CRailwayObject* Object(const SWagon& wagon) const;
  // The marshalled bytes of a wagon (null for a live object).
  const uint8_t* Data(const SWagon& wagon) const;

 private:
  std::vector<SWagon> wagons_;
  std::vector<std::shared_ptr<const CRailwayObject>> objects_;
  std::vector<uint8_t> bytes_;
};

// The wagon's content as a T without a copy: the live object when it is a T, or T's marshalled
// form unmarshalled into `storage`; null when the wagon holds no T. Every wagon class names a
// wagon type of its own, so a live object of T's wagon type is a T and needs no type search;
// only objects of other wagon types are searched for a T base, and none when T is final.
template <typename T>
const T* ViewWagon(const CTrain& train, const CTrain::SWagon& wagon, std::optional<T>& storage) {
  if (const CRailwayObject* object = train.Object(wagon)) {
    if (wagon.id == MarshalingYard::ID<T>::id()) return static_cast<const T*>(object);
    if constexpr (std::is_final_v<T>)
      return nullptr;
    else
      return dynamic_cast<const T*>(object);
  }
  if (wagon.id != MarshalingYard::ID<T>::id()) return nullptr;
  const uint8_t* data = train.Data(wagon);
  if (data == nullptr) return nullptr;
  storage = T::Unmarshal(data, wagon.size);
  return storage ? &*storage : nullptr;
}

// The wagon's content as a copy of T (see ViewWagon).
template <typename T>
std::optional<T> ReadWagon(const CTrain& train, const CTrain::SWagon& wagon) {
  std::optional<T> storage;
  const T* content = ViewWagon(train, wagon, storage);
  if (content == nullptr) return std::nullopt;
  if (storage) return storage;
  return *content;
}

// A module that receives trains on named inputs.
class CRailwayStation : public CSpecialModeClient {
 public:
  using handler_t = std::function<void(const CTrain&)>;

  // `flag` is reserved (pass false); `defaultHandler` (may be empty) gets trains sent to an
  // input the station does not have.
  CRailwayStation(bool flag, handler_t defaultHandler);
  ~CRailwayStation() override;

  void SetupInput(handler_t handler, const std::string& input);
  // Delivers a train to the input of this station; false for an unknown input (the default
  // handler, when there is one, then gets it).
  bool Deliver(const std::string& input, const CTrain& train);
  // Delivers a train to the named input of the live station with that module name.
  static bool DeliverTo(const std::string& station, const std::string& input, const CTrain& train);

 private:
  struct Input {
    std::string name;
    handler_t handler;
  };
  std::vector<Input> inputs_;
  handler_t defaultHandler_;
};

// A packet of integer parameters sent on an output wire.
class CSimpleDataPacket {
 public:
  std::vector<int64_t>& Values() { return values_; }
  const std::vector<int64_t>& Values() const { return values_; }

 private:
  std::vector<int64_t> values_;
};

// A view of `count` integer parameters of a packet starting at `first`.
class CSimpleParameterPacket {
 public:
  CSimpleParameterPacket(CSimpleDataPacket& packet, int first, int count, int flags);
  // REQUIRES: 0 <= index < count.
  void SetInt(int index, int64_t value);
  // SetInt(first + i, values[i]) for i < n.
  void SetInts(int first, const int64_t* values, int n);

 private:
  CSimpleDataPacket& packet_;
  int first_;
};

// A named output of a module; listeners (other modules, the bench) receive what is sent.
class CModuleOutputWire {
 public:
  using listener_t = std::function<void(const CSimpleDataPacket&)>;
  // Receives text sent on the wire (a serial output's commands).
  using text_listener_t = std::function<void(const std::wstring&)>;

  // The wire of that name of the branch module; created when missing and `create` is set.
  static CModuleOutputWire* FindAndConnectOutWire(CModule* branch, const std::string& name,
                                                  bool create);
  // A wire by name, whatever module made it (for listeners); null when none.
  static CModuleOutputWire* Find(const std::string& name);

  bool SendData(const CSimpleDataPacket& packet, int count, void* reserved);
  // Sends `length` wide characters of text. False when nobody listens.
  bool SendData(const wchar_t* text, int length, void* reserved);
  void Listen(listener_t listener) { listeners_.push_back(std::move(listener)); }
  void ListenText(text_listener_t listener) { textListeners_.push_back(std::move(listener)); }
  void ClearListeners() {
    listeners_.clear();
    textListeners_.clear();
  }
  const std::string& Name() const { return name_; }
  // True when a packet sent now would reach somebody: a sender may skip making it otherwise.
  bool HasPacketListeners() const { return !listeners_.empty(); }

 private:
  std::string name_;
  const CModule* branch_ = nullptr;
  std::vector<listener_t> listeners_;
  std::vector<text_listener_t> textListeners_;
  friend struct OutputWireRegistry;
};
