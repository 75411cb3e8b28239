#pragma once
// CKelTrackStoreBase: what the scalar and curve track stores share — the key map that gives
// every quantity that ever receives a track a compact track key (0, 1, 2, … in order of first
// appearance), its reverse, and the trigger geometry of a quantity. The key map is kept in a
// file across runs so that learned track data stays attached to the same keys; it survives
// DismissValues, DismissHistory and DeleteEntriesOfMode, and only PurgeStore and ReadKeyMap
// replace it.
//
// A track key belongs to one quantity for good: keys are never negative, no two quantities
// share one, and a new quantity gets the key one above the largest key given so far, so a key
// map read from a file (which may have gaps) never makes a new quantity take over the learned
// data of a key that is already in use.

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "host/File.h"
#include "host/TriggerStore.h"
#include "host/UniqueTreeMap.h"
#include "params/ParamTable.h"
#include "store/IdRange.h"
#include "store/Keys.h"
#include "store/ValueStoreBase.h"

class CKelTrackStoreBase : public CValueStoreBase {
 public:
  // Key of the history tables: track key and history section.
  class Qiqi : public QValueBase {
   public:
    Qiqi() = default;
    Qiqi(int32_t trackKey, int32_t historyIndex) : trackKey(trackKey), historyIndex(historyIndex) {}
    int32_t trackKey = -1;
    int32_t historyIndex = -1;
    auto tuple() { return std::tie(trackKey, historyIndex); }
    auto tuple() const { return std::tie(trackKey, historyIndex); }
    friend bool operator<(const Qiqi& a, const Qiqi& b) { return a.tuple() < b.tuple(); }
    friend bool operator==(const Qiqi& a, const Qiqi& b) { return a.tuple() == b.tuple(); }
  };

  using key_map_t = CQParamFileTypedTable<CUniqueTreeMap<QClavis, QIdx1>>;
  using reverse_map_t = std::map<QIdx1, QClavis>;

  explicit CKelTrackStoreBase(const char* keyMapName) : keyMap_(keyMapName) {}

  // The track key of a quantity, assigned on first use: one above the largest key in the map
  // (0 for an empty map). Only when the largest key is INT32_MAX, the smallest key not in use.
  unsigned GenerateKeyOfDovetar(const QClavis& key);
  // The assigned track key, or a key with id -1.
  const QIdx1& KeyOfDovetar(const QClavis& key) const;
  // The quantity of a track key, or a key with all fields -1.
  const QClavis& DovetarOfKey(const QIdx1& trackKey) const;
  // The key-map entries of one mode.
  std::pair<key_map_t::const_iterator, key_map_t::const_iterator> DovetarKeyRange(int mode) const;
  const key_map_t& KeyMap() const { return keyMap_; }

  // Replaces the key map by the one in the file (the reverse map is rebuilt), all or nothing:
  // a table that cannot be read completely, a negative track key or a track key given to two
  // quantities make the map damaged. Then the key map is left empty, the output window gets
  // "CKelTrackStoreBase::ReadKeyMap(): the key map <table name> is damaged (<reason>); it is
  // left empty" (category 1, style 3), and the result is false. The key map is one block of a
  // larger file, so what follows it is not looked at.
  bool ReadKeyMap(CFile& file);
  bool WriteKeyMap(CFile& file) const;

  // The trigger interval of the quantity's tracked dimension: the dimension (0 or more);
  // -2 (CTriggerStore::kNoTriggerParameters) when no trigger parameters exist for the mode —
  // the parameter has no trigger, its trigger no dimension in the mode, or the tracked
  // dimension no axis; -1 (CTriggerStore::kNoDefiniteDimension) when the trigger has
  // dimensions in the mode but tracks no definite one (none or several marked tracked).
  // `interval` is changed only when the result is 0 or more.
  int GetTrackInterval(const QClavis& key, CTriggerStore::CInterval& interval) const;
  // The number of trigger dimensions of the quantity (consecutive dimensions 1, 2, … in the
  // trigger-parameter table); 0 without trigger.
  int GetTrackDimension(const QClavis& key) const;
  // Whether instrument parameter `parameter` is limited on `side`: side 1 asks for an upper
  // limit (evaluation mode 2 or 3), side 2 for a lower one (1 or 3).
  bool HasValidLimit(int parameter, int side) const;
  // Takes over the key map and reverse map of another store.
  void AssignStructure(const CKelTrackStoreBase& other);

  void PurgeStore() override;

 protected:
  // The history sections of one track key in a table keyed by Qiqi, oldest first.
  template <typename HistoryMap>
  static auto SectionRange(HistoryMap& history, int32_t trackKey) {
    return Kelva::IdRange(history, trackKey, [](int32_t key) {
      return Qiqi(key, std::numeric_limits<int32_t>::min());
    });
  }

  // The axis unit of trigger dimension `dimension` (1-based) of the quantity; false when the
  // trigger parameter or its signal is missing.
  bool GetAxisUnit(const QClavis& key, int dimension, CMeasuringUnit& unit) const;

 private:
  int32_t NextTrackKey() const;
  // Replaces both maps by `keys`; "" when `keys` is a valid key map, else why it is not (and
  // nothing is replaced).
  std::string TakeOverKeyMap(key_map_t::map_type&& keys);

  key_map_t keyMap_;
  reverse_map_t reverseMap_;
  // The last quantity GenerateKeyOfDovetar answered for: the points of a track arrive one
  // after the other under the same quantity. Cleared whenever the key map is replaced.
  QClavis lastQuantity_;
  int32_t lastTrackKey_ = -1;
};
