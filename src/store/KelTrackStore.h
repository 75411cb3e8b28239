#pragma once
// CKelTrackStore<T>: tracks of the current part — one QValueStoreTrackItem<T> per quantity,
// keyed by its track key — with the validation and evaluation work lists and history sections
// of the final stores. T is KelStoreTrackPoint (scalar tracks) or KelSigLimitCurve (curves
// over the trigger axis: spectrograms).
//
// Iterators: ToValidateMap and ToEvaluateMap hold iterators into ValueMap; every erase of a
// track removes its list entries first.
//
// References to points (what InsertValue returns, points reached through ValueMap): the tracks
// are nodes of an ordered map, so creating, filling or erasing one track leaves the points of
// every other track where they are. The points of one track lie in one sorted array
// (CTrackPointMap): the next insert into or erase from the same track moves them, and erasing
// or replacing the track (DeleteEntriesOfMode, DismissValues, PurgeStore, AverageHistory, and
// DeleteSpectrogram for curves) destroys them. A caller that needs a point after such a change
// keeps its track key and position and looks it up again.
//
// Averages of history sections keep exactly the positions of the newest section: at each of
// them the values of the sections that have that position are combined (mean or maximum);
// ham_mean_drop uses only the sections with the same positions as the newest one. The limits,
// learned means and evaluation modes of the result are those of the newest section. The
// average replaces the current track without putting it on the validation list.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "host/UniqueTreeMap.h"
#include "sequencer/InstrumentTimesliceAssociator.h"
#include "store/KelTrackStoreBase.h"
#include "store/QValueStoreTrackItem.h"
#include "store/TrackPointMath.h"
#include "store/WorkLists.h"

template <typename T>
class CKelTrackStore : public CKelTrackStoreBase {
 public:
  using track_t = QValueStoreTrackItem<T>;
  using value_map_t = CQParamTypedTable<CUniqueTreeMap<QIdx1, track_t>>;
  using history_map_t = CQParamTypedTable<CUniqueTreeMap<Qiqi, track_t>>;
  using value_iterator = typename value_map_t::iterator;
  using to_validate_item = WorkLists::to_validate_item<value_iterator>;
  using to_validate_map_t = CUniqueTreeMap<QIdx1, to_validate_item>;
  using to_evaluate_map_t = CUniqueTreeMap<QIdx1, value_iterator>;

  CKelTrackStore(const char* keyMapName, const char* valueTableName, const char* historyTableName)
      : CKelTrackStoreBase(keyMapName), valueMap_(valueTableName), history_(historyTableName) {}

  value_map_t& ValueMap() { return valueMap_; }
  const value_map_t& ValueMap() const { return valueMap_; }
  history_map_t& ValueMapSectionHistory() { return history_; }
  const history_map_t& ValueMapSectionHistory() const { return history_; }
  const to_validate_map_t& ToValidateMap() const { return toValidate_; }
  const to_evaluate_map_t& ToEvaluateMap() const { return toEvaluate_; }

  // The quantity's current track, or null.
  const track_t* FindTrack(const QClavis& key) const {
    auto it = valueMap_.find(KeyOfDovetar(key));
    return it == valueMap_.end() ? nullptr : &it->second;
  }

  // Moves every pending value to the evaluation list (a key already there keeps its item).
  void validated() { WorkLists::Validated(toValidate_, toEvaluate_); }

  // Takes every value whose expiry matches the event off the evaluation list.
  void evaluated(Kelva::sequencer_events_t event) { WorkLists::Evaluated(toEvaluate_, event); }

  bool evaluation_matches(const QIdx1& trackKey, Kelva::sequencer_events_t event) const {
    return WorkLists::ExpireMatches(valueMap_, trackKey, event);
  }
  // The same for an entry of ToEvaluateMap, read through the entry's iterator instead of a
  // search of the value map.
  static bool evaluation_matches(const typename to_evaluate_map_t::value_type& entry,
                                 Kelva::sequencer_events_t event) {
    return WorkLists::ExpireMatches(*entry.second, event);
  }

  // Puts the quantity's track on the validation list with the tag (an existing item stays);
  // false when it has no track.
  bool Promote(const QClavis& key, unsigned validate) {
    auto it = valueMap_.find(KeyOfDovetar(key));
    if (it == valueMap_.end()) return false;
    return Promote(it, validate);
  }
  bool Promote(value_iterator it, unsigned validate) {
    toValidate_.try_emplace(it->first, to_validate_item{validate, it});
    return true;
  }

  bool empty(int mode) const override {
    if (mode == -1) return valueMap_.empty();
    auto [first, last] = DovetarKeyRange(mode);
    for (; first != last; ++first)
      if (valueMap_.count(first->second) != 0) return false;
    return true;
  }
  bool empty() const override { return valueMap_.empty(); }

  void DismissValues() override {
    toValidate_.clear();
    toEvaluate_.clear();
    for (auto& [trackKey, track] : valueMap_) KeepPoints(track);
    valueMap_.clear();
  }
  void DismissHistory() override { history_.clear(); }

  // Emptied point arrays kept for the next tracks (at most kMaxSparePoints).
  size_t SparePointArrays() const { return sparePoints_.size(); }
  static constexpr size_t kMaxSparePoints = 1024;
  void DumpTables() const override { valueMap_.DumpRows(100000); }

  // Number of positions of the quantity's track; -1 without track.
  int GetTrackLength(const QClavis& key) const {
    const track_t* track = FindTrack(key);
    return track == nullptr ? -1 : static_cast<int>(track->points.size());
  }

  // The x unit from trigger dimension `dimension` (1-based), the y unit from the stored track.
  bool GetTrackUnits(const QClavis& key, CMeasuringUnit& xUnit, CMeasuringUnit& yUnit,
                     int dimension) const {
    const track_t* track = FindTrack(key);
    if (!GetAxisUnit(key, dimension, xUnit) || track == nullptr) return false;
    yUnit = track->unit;
    return true;
  }

  void DeleteEntriesOfMode(int mode, Kelva::sequencer_events_t event) override {
    auto [first, last] = DovetarKeyRange(mode);
    for (; first != last; ++first) {
      auto track = valueMap_.find(first->second);
      if (track == valueMap_.end()) continue;
      if (event != Kelva::all_events &&
          !CInstrumentTimesliceAssociator::context_matches(track->second.context, event))
        continue;
      EraseTrack(track);
    }
  }

  // The oldest section that falls out of the depth carries the new one: its points array
  // takes the new points without being freed and allocated again.
  void CopyToHistoryStore(int historyIndex) override {
    if (historyDepth_ == 0) return;
    for (const auto& [trackKey, item] : toValidate_) {
      auto [first, last] = SectionRange(history_, trackKey.id());
      auto sections = static_cast<unsigned>(std::distance(first, last));
      typename history_map_t::node_type recycled;
      for (; sections > historyDepth_ - 1; --sections) {
        if (recycled.empty())
          recycled = history_.extract(first++);
        else
          first = history_.erase(first);
      }
      const Qiqi at(trackKey.id(), historyIndex);
      if (recycled.empty()) {
        history_.insert_or_assign(at, item.value->second);
        continue;
      }
      recycled.key() = at;
      recycled.mapped() = item.value->second;
      auto inserted = history_.insert(std::move(recycled));
      if (!inserted.inserted) inserted.position->second = item.value->second;
    }
  }

  bool AverageHistory(bool all, KelValueStore::history_average_mode_t mode) override {
    if (historyDepth_ == 0 || history_.empty()) return false;
    if (mode < KelValueStore::ham_mean || mode > KelValueStore::ham_max) return false;
    bool combinedAll = true;
    bool any = false;
    for (auto first = history_.cbegin(); first != history_.cend();) {
      const int32_t trackKey = first->first.trackKey;
      const auto last = SectionRange(std::as_const(history_), trackKey).second;
      if (all || toValidate_.count(QIdx1(trackKey)) != 0) {
        const bool combined = CombineSections(trackKey, first, last, mode);
        combinedAll = combinedAll && combined;
        any = any || combined;
      }
      first = last;
    }
    return any && combinedAll;
  }

 protected:
  // The track of a track key, created with the context and expiry of its first value; a
  // non-zero tag puts it on the validation list.
  track_t& TrackFor(int32_t trackKey, uint64_t context, SignalBase::measuring_expire_t expire,
                    unsigned validate) {
    auto [it, inserted] = valueMap_.try_emplace(QIdx1(trackKey));
    if (inserted) {
      it->second.context = context;
      it->second.expire = expire;
      if (!sparePoints_.empty()) {
        it->second.points = std::move(sparePoints_.back());
        sparePoints_.pop_back();
      }
    }
    if (validate != 0) toValidate_.try_emplace(it->first, to_validate_item{validate, it});
    return it->second;
  }

  // Removes a track and its list entries; returns the number of points it held.
  size_t EraseTrack(value_iterator track) {
    const size_t points = track->second.points.size();
    toEvaluate_.erase(track->first);
    toValidate_.erase(track->first);
    KeepPoints(track->second);
    valueMap_.erase(track);
    return points;
  }

  value_map_t& MutableValueMap() { return valueMap_; }

 private:
  using history_iterator = typename history_map_t::const_iterator;

  void KeepPoints(track_t& track) {
    if (sparePoints_.size() >= kMaxSparePoints || track.points.capacity() == 0) return;
    track.points.clear();
    sparePoints_.push_back(std::move(track.points));
  }

  bool CombineSections(int32_t trackKey, history_iterator first, history_iterator last,
                       KelValueStore::history_average_mode_t mode) {
    std::vector<const track_t*> sections;
    for (auto it = first; it != last; ++it) sections.push_back(&it->second);
    if (mode == KelValueStore::ham_moving_average && sections.size() > maHistoryDepth_)
      sections.erase(sections.begin(), sections.end() - maHistoryDepth_);
    if (sections.empty() || sections.back()->points.empty()) return false;
    const track_t& newest = *sections.back();
    if (mode == KelValueStore::ham_mean_drop) {
      std::vector<const track_t*> fitting;
      for (const track_t* section : sections)
        if (SamePositions(*section, newest)) fitting.push_back(section);
      sections.swap(fitting);
    }
    track_t result = newest;
    for (auto& [position, point] : result.points) {
      unsigned count = 1;
      for (size_t i = 0; i + 1 < sections.size(); ++i) {
        auto other = sections[i]->points.find(position);
        if (other == sections[i]->points.end()) continue;
        if (mode == KelValueStore::ham_max) {
          TrackPointMath::Maximize(point, other->second);
        } else if (TrackPointMath::Add(point, other->second)) {
          ++count;
        }
      }
      if (mode != KelValueStore::ham_max) TrackPointMath::Divide(point, count);
    }
    auto [it, inserted] = valueMap_.try_emplace(QIdx1(trackKey), result);
    if (!inserted) it->second = result;
    return true;
  }

  static bool SamePositions(const track_t& a, const track_t& b) {
    return a.points.size() == b.points.size() &&
           std::equal(a.points.begin(), a.points.end(), b.points.begin(),
                      [](const auto& x, const auto& y) { return x.first == y.first; });
  }

  to_validate_map_t toValidate_;
  to_evaluate_map_t toEvaluate_;
  value_map_t valueMap_;
  history_map_t history_;
  // The emptied point arrays of erased tracks: a new track takes one, so that a part's tracks
  // reuse the arrays of the part before instead of growing new ones point by point.
  std::vector<typename track_t::points_t> sparePoints_;
};
