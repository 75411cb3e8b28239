#pragma once
// CKelFinalStore<Value, History>: the common part of the final scalar and final curve stores —
// one value per quantity of the current part, the two work lists that drive validation and
// evaluation, and a bounded history of earlier parts.
//
// A value moves through: inserted (on ToValidateMap when inserted with a non-zero validation
// tag) → CopyToHistoryStore copies it into a history section while it is still pending →
// validated() moves it to ToEvaluateMap → the evaluation reads ToEvaluateMap → evaluated(event)
// takes it off when its expiry matches the event.
//
// Iterators: ToValidateMap and ToEvaluateMap hold iterators into ValueMap. Overwriting a value
// keeps its map entry, so they stay valid; every erase removes list entries before or together
// with their value, so no list entry ever refers to an erased value.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <utility>

#include "host/UniqueTreeMap.h"
#include "params/ParamTable.h"
#include "sequencer/InstrumentTimesliceAssociator.h"
#include "store/IdRange.h"
#include "store/Keys.h"
#include "store/SortedCursor.h"
#include "store/ValueStoreBase.h"
#include "store/WorkLists.h"

template <typename Value, typename HistoryTable>
class CKelFinalStore : public CValueStoreBase {
 public:
  using value_map_t = CQParamTypedTable<CUniqueTreeMap<QClavis, Value>>;
  using history_map_t = HistoryTable;
  using value_iterator = typename value_map_t::iterator;
  using to_validate_item = WorkLists::to_validate_item<value_iterator>;
  using to_validate_map_t = CUniqueTreeMap<QClavis, to_validate_item>;
  using to_evaluate_map_t = CUniqueTreeMap<QClavis, value_iterator>;
  // Per quantity with history: (historyIndex of its newest entry, number of its entries).
  using section_counter_map_t = std::map<QClavis, std::pair<unsigned, unsigned>>;
  using history_iterator = typename history_map_t::const_iterator;

  CKelFinalStore(const char* valueTableName, const char* historyTableName)
      : valueMap_(valueTableName), history_(historyTableName) {}

  value_map_t& ValueMap() { return valueMap_; }
  const value_map_t& ValueMap() const { return valueMap_; }
  history_map_t& ValueMapSectionHistory() { return history_; }
  const history_map_t& ValueMapSectionHistory() const { return history_; }
  const to_validate_map_t& ToValidateMap() const { return toValidate_; }
  to_validate_map_t& ToValidateMap() { return toValidate_; }
  const to_evaluate_map_t& ToEvaluateMap() const { return toEvaluate_; }
  to_evaluate_map_t& ToEvaluateMap() { return toEvaluate_; }
  const section_counter_map_t& SectionCounterMap() const { return sectionCounter_; }

  // Erases one value together with its work-list entries; returns the iterator after it.
  value_iterator EraseValue(value_iterator it) {
    toValidate_.erase(it->first);
    toEvaluate_.erase(it->first);
    return valueMap_.erase(it);
  }

  // Moves every pending value to the evaluation list (a key already there keeps its item).
  void validated() { WorkLists::Validated(toValidate_, toEvaluate_); }

  // Takes every value whose expiry matches the event off the evaluation list.
  void evaluated(Kelva::sequencer_events_t event) { WorkLists::Evaluated(toEvaluate_, event); }

  bool evaluation_matches(const QClavis& key, Kelva::sequencer_events_t event) const {
    return WorkLists::ExpireMatches(valueMap_, key, event);
  }
  // The same for an entry of ToEvaluateMap, read through the entry's iterator instead of a
  // search of the value map.
  static bool evaluation_matches(const typename to_evaluate_map_t::value_type& entry,
                                 Kelva::sequencer_events_t event) {
    return WorkLists::ExpireMatches(*entry.second, event);
  }

  bool empty(int mode) const override {
    if (mode == -1) return valueMap_.empty();
    auto [first, last] = ModeRange(valueMap_, mode);
    return first == last;
  }
  bool empty() const override { return valueMap_.empty(); }

  void DismissValues() override {
    toValidate_.clear();
    toEvaluate_.clear();
    valueMap_.clear();
  }
  void DismissHistory() override {
    sectionCounter_.clear();
    history_.clear();
  }

  void DeleteEntriesOfMode(int mode, Kelva::sequencer_events_t event) override {
    EraseModeRange(toValidate_, mode, event,
                   [](const to_validate_item& item) -> const Value& { return item.value->second; });
    EraseModeRange(toEvaluate_, mode, event,
                   [](const value_iterator& it) -> const Value& { return it->second; });
    EraseModeRange(valueMap_, mode, event,
                   [](const Value& value) -> const Value& { return value; });
  }

  // Every pending value becomes the newest section of its quantity; a quantity that then
  // counts more sections than the depth loses its oldest. The work list is in key order, so
  // both the counters and the history are walked once, without a search per key.
  void CopyToHistoryStore(int historyIndex) override {
    if (historyDepth_ == 0) return;
    SortedCursor<section_counter_map_t> counters(sectionCounter_);
    size_t hint = 0;
    for (const auto& [key, item] : toValidate_) {
      auto& [newest, count] = counters.FindOrEmplace(key)->second;
      newest = static_cast<unsigned>(historyIndex);
      ++count;
      unsigned drop = 0;
      if (count > historyDepth_) {
        drop = count - historyDepth_;
        count = historyDepth_;
      }
      history_.PushSection(hint, key, historyIndex, drop, item.value->second);
    }
  }

  bool AverageHistory(bool all, KelValueStore::history_average_mode_t mode) override {
    if (historyDepth_ == 0 || history_.empty()) return false;
    switch (mode) {
      case KelValueStore::ham_mean:
      case KelValueStore::ham_mean_drop:
        return MeanHistory(all);
      case KelValueStore::ham_moving_average:
        return MAHistory(all);
      case KelValueStore::ham_max:
        return MaxHistory(all);
      default:
        return false;
    }
  }

  virtual bool MeanHistory(bool all) = 0;
  virtual bool MAHistory(bool all) = 0;
  virtual bool MaxHistory(bool all) = 0;

  // The history entries of one quantity, oldest first.
  std::pair<history_iterator, history_iterator> AncientValues(const QClavis& key) const {
    return history_.Sections(key);
  }

  void DumpTables() const override { valueMap_.DumpRows(100000); }

 protected:
  // Inserts or overwrites (the entry keeps its place); a non-zero tag puts the key on the
  // validation list unless it is there already. A key after every key held is placed at the
  // end without a search; any other costs one comparison more than a plain insert.
  Value& Store(const QClavis& key, const Value& value, unsigned validate) {
    const size_t size = valueMap_.size();
    auto it = valueMap_.try_emplace(valueMap_.end(), key, value);
    if (valueMap_.size() == size) it->second = value;
    if (validate != 0)
      toValidate_.try_emplace(toValidate_.end(), key, to_validate_item{validate, it});
    return it->second;
  }

  bool Qualifies(bool all, const QClavis& key) const { return all || toValidate_.count(key) != 0; }

  // Calls combine(key, first, last) for every quantity of the history that qualifies, with the
  // range of its entries; returns whether the last quantity of the walk qualified.
  template <typename Combine>
  bool ForEachHistoryGroup(bool all, Combine combine) {
    bool last = false;
    for (auto first = history_.cbegin(); first != history_.cend();) {
      const QClavis key = first->first.clavis();
      const history_iterator end = history_.Sections(key).second;
      last = Qualifies(all, key);
      if (last) combine(key, first, end);
      first = end;
    }
    return last;
  }

  // Calls combine(key, first, last, n) for every quantity of the section counter map that
  // qualifies, with the range of its newest n = min(count, maHistoryDepth) entries; returns
  // whether any quantity was combined.
  template <typename Combine>
  bool ForEachNewestSections(bool all, Combine combine) {
    bool any = false;
    for (const auto& [key, counter] : sectionCounter_) {
      auto [first, last] = AncientValues(key);
      const auto size = static_cast<unsigned>(std::distance(first, last));
      const unsigned n = std::min({counter.second, maHistoryDepth_, size});
      if (n == 0 || !Qualifies(all, key)) continue;
      std::advance(first, size - n);
      combine(key, first, last, n);
      any = true;
    }
    return any;
  }

  void ClearSectionCounters() { sectionCounter_.clear(); }

  // Rebuilds the section counters from the history table.
  void RebuildSectionCounters() {
    sectionCounter_.clear();
    for (auto first = history_.cbegin(); first != history_.cend();) {
      const QClavis key = first->first.clavis();
      unsigned count = 0;
      unsigned newest = 0;
      for (; first != history_.cend() && first->first.clavis() == key; ++first) {
        newest = static_cast<unsigned>(first->first.historyIndex());
        ++count;
      }
      sectionCounter_.emplace_hint(sectionCounter_.end(), key, std::make_pair(newest, count));
    }
  }

 private:
  template <typename Map>
  static auto ModeRange(Map& map, int mode) {
    return Kelva::ModeRange(map, mode);
  }

  // Erases the mode's entries: all for event -1, else those whose value's context matches.
  template <typename Map, typename ValueOf>
  static void EraseModeRange(Map& map, int mode, Kelva::sequencer_events_t event, ValueOf valueOf) {
    auto [first, last] = ModeRange(map, mode);
    if (event == Kelva::all_events) {
      map.erase(first, last);
      return;
    }
    while (first != last) {
      if (CInstrumentTimesliceAssociator::context_matches(valueOf(first->second).context, event))
        first = map.erase(first);
      else
        ++first;
    }
  }

  section_counter_map_t sectionCounter_;
  to_validate_map_t toValidate_;
  to_evaluate_map_t toEvaluate_;
  value_map_t valueMap_;
  history_map_t history_;
};
