#pragma once
// The two work lists every store of current values keeps: the values still to be validated
// (with their validation tag) and the validated values still to be evaluated. Both hold
// iterators into the store's value map; the store removes list entries before or together
// with the values they refer to.

#include <map>

#include "sequencer/InstrumentTimesliceAssociator.h"
#include "sequencer/SequencerEvents.h"

namespace WorkLists {

template <typename ValueIterator>
struct to_validate_item {
  unsigned validate;    // the validation tag: the value's generation
  ValueIterator value;  // the value in the store's value map
};

// Moves every pending entry to the evaluation list (a key already there keeps its item). Both
// lists are sorted by the same key, so each entry is placed from where the one before went: in
// constant time where it goes right after it.
template <typename ToValidate, typename ToEvaluate>
void Validated(ToValidate& toValidate, ToEvaluate& toEvaluate) {
  auto hint = toEvaluate.begin();
  for (const auto& [key, item] : toValidate) {
    hint = toEvaluate.try_emplace(hint, key, item.value);
    ++hint;
  }
  toValidate.clear();
}

// Takes every entry whose value's expiry matches the event off the evaluation list.
template <typename ToEvaluate>
void Evaluated(ToEvaluate& toEvaluate, Kelva::sequencer_events_t event) {
  for (auto it = toEvaluate.begin(); it != toEvaluate.end();) {
    if (CInstrumentTimesliceAssociator::expire_matches(it->second->second.expire, event))
      it = toEvaluate.erase(it);
    else
      ++it;
  }
}

// Whether the expiry of a value map's entry matches the event.
template <typename Entry>
bool ExpireMatches(const Entry& entry, Kelva::sequencer_events_t event) {
  return CInstrumentTimesliceAssociator::expire_matches(entry.second.expire, event);
}

// Whether the map holds a value under the key whose expiry matches the event.

template <typename Map, typename Key>
bool ExpireMatches(const Map& values, const Key& key, Kelva::sequencer_events_t event) {
  auto it = values.find(key);
  return it != values.end() && ExpireMatches(*it, event);
}

}  // namespace WorkLists
