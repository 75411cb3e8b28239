#include "host/Railway.h"

#include <algorithm>
#include <map>
#include <mutex>

// ---- CTrain ----------------------------------------------------------------------------------

void CTrain::AddObject(std::shared_ptr<const CRailwayObject> object) {
  if (object == nullptr) return;
  const uint32_t id = object->WagonId();
  wagons_.push_back(SWagon{id, 0, static_cast<uint32_t>(objects_.size()), kNone});
  objects_.push_back(std::move(object));
}

void CTrain::Clear() {
  wagons_.clear();
  objects_.clear();
  bytes_.clear();
}

void CTrain::AddMarshalled(uint32_t id, const void* data, uint32_t size) {
  const uint32_t offset = static_cast<uint32_t>(bytes_.size());
  const auto* first = static_cast<const uint8_t*>(data);
  if (size > 0) bytes_.insert(bytes_.end(), first, first + size);
  wagons_.push_back(SWagon{id, size, kNone, offset});
}

void CTrain::AddMarshalledOf(const CRailwayObject& object) {
  std::vector<uint8_t> bytes;
  object.Marshal(bytes);
  AddMarshalled(object.WagonId(), bytes.data(), static_cast<uint32_t>(bytes.size()));
}

const CTrain::SWagon* CTrain::find_id(uint32_t id) const {
  for (const SWagon& wagon : wagons_)
    if (wagon.id == id) return &wagon;
  return nullptr;
}

const CRailwayObject* CTrain::Object(const SWagon& wagon) const {
  if (wagon.object == kNone || wagon.object >= objects_.size()) return nullptr;
  return objects_[wagon.object].get();
}

const uint8_t* CTrain::Data(const SWagon& wagon) const {
  if (wagon.data == kNone || wagon.data > bytes_.size()) return nullptr;
  if (wagon.size > bytes_.size() - wagon.data) return nullptr;
  // A wagon of zero bytes at the end of the buffer still gets a valid (unread) address.
  static const uint8_t kEmpty = 0;
  return wagon.size == 0 ? &kEmpty : bytes_.data() + wagon.data;
}

// ---- CRailwayStation -------------------------------------------------------------------------

namespace {

// The live stations. Delivery holds the lock, so a station cannot be destroyed on another
// thread while it receives a train; it is recursive so that a handler may deliver onwards.
struct StationList {
  std::recursive_mutex mutex;
  std::vector<CRailwayStation*> stations;
};

StationList& Stations() {
  static StationList list;
  return list;
}

}  // namespace

CRailwayStation::CRailwayStation(bool /*flag*/, handler_t defaultHandler)
    : defaultHandler_(std::move(defaultHandler)) {
  StationList& list = Stations();
  std::lock_guard<std::recursive_mutex> lock(list.mutex);
  list.stations.push_back(this);
}

CRailwayStation::~CRailwayStation() {
  StationList& list = Stations();
  std::lock_guard<std::recursive_mutex> lock(list.mutex);
  list.stations.erase(std::remove(list.stations.begin(), list.stations.end(), this),
                      list.stations.end());
}

void CRailwayStation::SetupInput(handler_t handler, const std::string& input) {
  for (Input& existing : inputs_) {
    if (existing.name == input) {
      existing.handler = std::move(handler);
      return;
    }
  }
  inputs_.push_back(Input{input, std::move(handler)});
}

bool CRailwayStation::Deliver(const std::string& input, const CTrain& train) {
  for (const Input& existing : inputs_) {
    if (existing.name != input) continue;
    if (existing.handler) existing.handler(train);
    return true;
  }
  if (defaultHandler_) defaultHandler_(train);
  return false;
}

bool CRailwayStation::DeliverTo(const std::string& station, const std::string& input,
                                const CTrain& train) {
  StationList& list = Stations();
  std::lock_guard<std::recursive_mutex> lock(list.mutex);
  for (CRailwayStation* candidate : list.stations)
    if (candidate->Name() == station) return candidate->Deliver(input, train);
  return false;
}

// ---- CSimpleParameterPacket ------------------------------------------------------------------

CSimpleParameterPacket::CSimpleParameterPacket(CSimpleDataPacket& packet, int first, int /*count*/,
                                               int /*flags*/)
    : packet_(packet), first_(first < 0 ? 0 : first) {}

void CSimpleParameterPacket::SetInt(int index, int64_t value) {
  if (index < 0) return;
  std::vector<int64_t>& values = packet_.Values();
  const size_t at = static_cast<size_t>(first_) + static_cast<size_t>(index);
  if (values.size() <= at) values.resize(at + 1, 0);
  values[at] = value;
}

void CSimpleParameterPacket::SetInts(int first, const int64_t* values, int n) {
  if (first < 0 || n <= 0) return;
  std::vector<int64_t>& to = packet_.Values();
  const size_t at = static_cast<size_t>(first_) + static_cast<size_t>(first);
  if (to.size() < at + static_cast<size_t>(n)) to.resize(at + static_cast<size_t>(n), 0);
  std::copy(values, values + n, to.begin() + static_cast<ptrdiff_t>(at));
}

// ---- CModuleOutputWire -----------------------------------------------------------------------

// Every wire of the process by name. The registry owns the wires; they live until the process
// ends, so listeners may keep pointers to them.
struct OutputWireRegistry {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<CModuleOutputWire>> wires;

  static OutputWireRegistry& Instance() {
    static OutputWireRegistry registry;
    return registry;
  }

  CModuleOutputWire* Find(const std::string& name) {
    const auto it = wires.find(name);
    return it == wires.end() ? nullptr : it->second.get();
  }

  CModuleOutputWire* Create(const CModule* branch, const std::string& name) {
    auto wire = std::make_unique<CModuleOutputWire>();
    wire->name_ = name;
    wire->branch_ = branch;
    CModuleOutputWire* made = wire.get();
    wires.emplace(name, std::move(wire));
    return made;
  }
};

CModuleOutputWire* CModuleOutputWire::FindAndConnectOutWire(CModule* branch,
                                                            const std::string& name, bool create) {
  OutputWireRegistry& registry = OutputWireRegistry::Instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (CModuleOutputWire* wire = registry.Find(name)) return wire;
  return create ? registry.Create(branch, name) : nullptr;
}

CModuleOutputWire* CModuleOutputWire::Find(const std::string& name) {
  OutputWireRegistry& registry = OutputWireRegistry::Instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.Find(name);
}

bool CModuleOutputWire::SendData(const CSimpleDataPacket& packet, int /*count*/,
                                 void* /*reserved*/) {
  bool delivered = false;
  for (const listener_t& listener : listeners_) {
    if (!listener) continue;
    listener(packet);
    delivered = true;
  }
  return delivered;
}

bool CModuleOutputWire::SendData(const wchar_t* text, int length, void* /*reserved*/) {
  if (text == nullptr || length < 0) return false;
  const std::wstring sent(text, static_cast<size_t>(length));
  bool delivered = false;
  for (const text_listener_t& listener : textListeners_) {
    if (!listener) continue;
    listener(sent);
    delivered = true;
  }
  return delivered;
}
