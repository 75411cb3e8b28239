#include "store/KelTrackStoreBase.h"

#include <limits>
#include <string>
#include <utility>

#include "host/Output.h"

namespace {
const QIdx1 kNoTrackKey(-1);
const QClavis kNoQuantity;
}  // namespace

unsigned CKelTrackStoreBase::GenerateKeyOfDovetar(const QClavis& key) {
  if (lastTrackKey_ >= 0 && key == lastQuantity_) return static_cast<unsigned>(lastTrackKey_);
  auto it = keyMap_.find(key);
  if (it == keyMap_.end()) {
    const QIdx1 trackKey(NextTrackKey());
    it = keyMap_.emplace(key, trackKey).first;
    reverseMap_[trackKey] = key;
  }
  lastQuantity_ = key;
  lastTrackKey_ = it->second.id();
  return static_cast<unsigned>(lastTrackKey_);
}

const QIdx1& CKelTrackStoreBase::KeyOfDovetar(const QClavis& key) const {
  auto it = keyMap_.find(key);
  return it == keyMap_.end() ? kNoTrackKey : it->second;
}

const QClavis& CKelTrackStoreBase::DovetarOfKey(const QIdx1& trackKey) const {
  auto it = reverseMap_.find(trackKey);
  return it == reverseMap_.end() ? kNoQuantity : it->second;
}

std::pair<CKelTrackStoreBase::key_map_t::const_iterator,
          CKelTrackStoreBase::key_map_t::const_iterator>
CKelTrackStoreBase::DovetarKeyRange(int mode) const {
  return Kelva::ModeRange(keyMap_, mode);
}

int32_t CKelTrackStoreBase::NextTrackKey() const {
  if (reverseMap_.empty()) return 0;
  const int32_t largest = reverseMap_.rbegin()->first.id();
  if (largest < std::numeric_limits<int32_t>::max()) return largest + 1;
  // Keys are non-negative and ascend in the reverse map; the map holds far fewer than 2^31
  // keys, so a gap comes before INT32_MAX.
  int32_t unused = 0;
  for (const auto& entry : reverseMap_) {
    if (entry.first.id() != unused) break;
    ++unused;
  }
  return unused;
}

std::string CKelTrackStoreBase::TakeOverKeyMap(key_map_t::map_type&& keys) {
  reverse_map_t reverse;
  for (const auto& [quantity, trackKey] : keys) {
    if (trackKey.id() < 0) return "track key " + std::to_string(trackKey.id()) + " is negative";
    if (!reverse.emplace(trackKey, quantity).second)
      return "track key " + std::to_string(trackKey.id()) + " is given to two quantities";
  }
  static_cast<key_map_t::map_type&>(keyMap_) = std::move(keys);
  reverseMap_ = std::move(reverse);
  return "";
}

bool CKelTrackStoreBase::ReadKeyMap(CFile& file) {
  keyMap_.clear();
  reverseMap_.clear();
  lastTrackKey_ = -1;
  key_map_t read(keyMap_.Name());
  std::string why;
  if (read.read(file, why)) why = TakeOverKeyMap(std::move(read));
  if (why.empty()) return true;
  PrWin::Output(PrWin::catOperator, 3,
                "CKelTrackStoreBase::ReadKeyMap(): the key map %s is damaged (%s); it is left "
                "empty\n",
                keyMap_.Name().c_str(), why.c_str());
  return false;
}

bool CKelTrackStoreBase::WriteKeyMap(CFile& file) const {
  return keyMap_.write(file);
}

int CKelTrackStoreBase::GetTrackInterval(const QClavis& key,
                                         CTriggerStore::CInterval& interval) const {
  const int trigger = params_.TriggerId(key.parameter());
  const CTriggerStore triggers(params_);
  const int dimension = triggers.Dimension(key.mode(), trigger);
  if (dimension < 0) return dimension;
  if (!triggers.field(key.mode(), trigger, static_cast<unsigned>(dimension), interval))
    return CTriggerStore::kNoTriggerParameters;
  return dimension;
}

int CKelTrackStoreBase::GetTrackDimension(const QClavis& key) const {
  const int trigger = params_.TriggerId(key.parameter());
  if (trigger == -1) return 0;
  int count = 0;
  while (params_.TriggerParam().count(QIdx3(key.mode(), trigger, count + 1)) != 0) ++count;
  return count;
}

bool CKelTrackStoreBase::HasValidLimit(int parameter, int side) const {
  auto it = params_.InstrumentParam().find(QIdx1(parameter));
  if (it == params_.InstrumentParam().end()) return false;
  const int mode = it->second.evalMode;
  if (side == 1) return mode == 2 || mode == 3;
  if (side == 2) return mode == 1 || mode == 3;
  return false;
}

void CKelTrackStoreBase::AssignStructure(const CKelTrackStoreBase& other) {
  static_cast<key_map_t::map_type&>(keyMap_) = other.keyMap_;
  reverseMap_ = other.reverseMap_;
  lastTrackKey_ = -1;
}

void CKelTrackStoreBase::PurgeStore() {
  DismissValues();
  DismissHistory();
  keyMap_.clear();
  reverseMap_.clear();
  lastTrackKey_ = -1;
}

bool CKelTrackStoreBase::GetAxisUnit(const QClavis& key, int dimension,
                                     CMeasuringUnit& unit) const {
  const int trigger = params_.TriggerId(key.parameter());
  auto axis = params_.TriggerParam().find(QIdx3(key.mode(), trigger, dimension));
  if (axis == params_.TriggerParam().end()) return false;
  auto signal = params_.AppSignalProperty().find(QIdx1(axis->second.appSignal));
  if (signal == params_.AppSignalProperty().end()) return false;
  unit = signal->second.unit;
  return true;
}
