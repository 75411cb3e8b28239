#pragma once
// CKelLearnTrackMachine<Item, TrackStore>: what the machines of tracks (scalar tracks and curve
// tracks) share — a learn table of tracks keyed by the track store's track keys, its file form
// (the track store's key map first, which ties the track keys to their quantities), clean-up,
// restart and purge.

#include <string>
#include <utility>

#include "learn/KelLearnMachine.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLearnTables.h"
#include "learn/LearnedValues.h"

template <typename Item, typename TrackStore>
class CKelLearnTrackMachine : public CKelLearnMachine {
 public:
  using table_t = TLearnTrack<Item>;

  CKelLearnTrackMachine(CKelLearnStore& store, TrackStore& source, std::string tableName)
      : CKelLearnMachine(store), source_(source), table_(std::move(tableName)) {}

  table_t& Table() { return table_; }
  const table_t& Table() const { return table_; }

  // The quantity of a track key, and the reverse, as the track store maps them.
  const QClavis& DovetarOfKey(const QIdx1& trackKey) const {
    return source_.DovetarOfKey(trackKey);
  }
  const QIdx1& KeyOfDovetar(const QClavis& key) const { return source_.KeyOfDovetar(key); }

  bool Read(CFile& file) override {
    table_.clear();
    return source_.ReadKeyMap(file) && table_.read(file);
  }
  bool Write(CFile& file) const override { return source_.WriteKeyMap(file) && table_.write(file); }

  void CleanUp() override {
    const auto& parametrised = params_.IpParamAndStore();
    std::erase_if(table_, [this, &parametrised](const auto& entry) {
      return parametrised.find(DovetarOfKey(entry.first)) == parametrised.end();
    });
  }

  void LearnNewEverything() override {
    for (auto& [trackKey, track] : table_) {
      auto [n, found] = store_.NrToLearn(DovetarOfKey(trackKey));
      if (!found) continue;
      for (auto& point : track) point.second.InitNewLearn(static_cast<unsigned>(n));
    }
  }

  void PurgeMachine() override { table_.clear(); }

 protected:
  // FillValueStore of a track store that holds values: per stored track, the points without
  // learned data are erased and the others show their learned item (a track without learned
  // data is emptied).
  template <typename TargetStore>
  void UpdateStoredTracks(TargetStore& target) const {
    for (auto& [targetKey, stored] : target.ValueMap()) {
      auto learned = table_.find(KeyOfDovetar(target.DovetarOfKey(targetKey)));
      if (learned == table_.end()) {
        stored.points.clear();
        continue;
      }
      auto& points = stored.points;  // a lambda may not capture a structured binding in clang 14
      LearnedValues::UpdateSideBySide(
          points, learned->second,
          [](auto& point, const Item& item) { LearnedValues::ShowLearned(point, item); },
          [&points](auto it) { return points.erase(it); });
    }
  }

  TrackStore& source_;
  table_t table_;
};
