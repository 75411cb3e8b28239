#pragma once
// SortedCursor<Map>: looks up keys asked for in ascending order in an ordered map by stepping
// along it from the previous answer instead of searching from the root every time. The work
// lists of the value store are ordered by key like the parameter and learn tables, so a loop
// over a work list finds its records a step or two on from the last.
//
// Any order of keys gives the right answers: a key below the previous one, or one more than a
// few steps ahead, is searched for from the root. The cursor holds an iterator into the map; it
// must not outlive the map, and the map must not lose the element the cursor stands on while
// the cursor is used (inserting through Emplace keeps it valid).

#include <iterator>
#include <utility>

template <typename Map>
class SortedCursor {
 public:
  using key_type = typename Map::key_type;
  using iterator = decltype(std::declval<Map&>().begin());

  explicit SortedCursor(Map& map) : map_(map), at_(map.begin()) {}

  // The entry of key, or the map's end.
  iterator Find(const key_type& key) {
    Seek(key);
    return at_ != map_.end() && !(key < at_->first) ? at_ : map_.end();
  }

  // The entry of key, made with a value-initialised mapped value when missing (a non-const
  // map only).
  iterator FindOrEmplace(const key_type& key) {
    const iterator found = Find(key);
    if (found != map_.end()) return found;
    at_ = map_.emplace_hint(at_, key, typename Map::mapped_type{});
    return at_;
  }

 private:
  // Steps taken before a search from the root is cheaper.
  static constexpr int kMaxSteps = 8;

  // Moves the cursor to the first entry not below key.
  void Seek(const key_type& key) {
    if (started_ && key < last_) {
      at_ = map_.lower_bound(key);
    } else {
      int steps = 0;
      while (at_ != map_.end() && at_->first < key) {
        if (++steps > kMaxSteps) {
          at_ = map_.lower_bound(key);
          break;
        }
        ++at_;
      }
    }
    started_ = true;
    last_ = key;
  }

  Map& map_;
  iterator at_;
  key_type last_{};
  bool started_ = false;
};
