#pragma once
// CTrackPointMap<T>: the points of one track, ordered by their position on the trigger axis —
// an ordered map from int64 position to T kept as one sorted array.
//
// Tracks are recorded cell by cell in ascending cell order, so an insert is an append in the
// normal case (a binary search and a move otherwise); a copy into a history section is one
// allocation; iteration is a walk over contiguous memory.
//
// Iterators: any insert or erase invalidates every iterator and reference into the map.
// The key of an element must not be changed through an iterator.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

template <typename T>
class CTrackPointMap {
 public:
  using key_type = int64_t;
  using mapped_type = T;
  using value_type = std::pair<int64_t, T>;
  using iterator = typename std::vector<value_type>::iterator;
  using const_iterator = typename std::vector<value_type>::const_iterator;

  iterator begin() { return points_.begin(); }
  iterator end() { return points_.end(); }
  const_iterator begin() const { return points_.begin(); }
  const_iterator end() const { return points_.end(); }
  const_iterator cbegin() const { return points_.cbegin(); }
  const_iterator cend() const { return points_.cend(); }
  size_t size() const { return points_.size(); }
  bool empty() const { return points_.empty(); }
  void clear() { points_.clear(); }
  void reserve(size_t n) { points_.reserve(n); }

  iterator lower_bound(int64_t position) {
    return std::lower_bound(points_.begin(), points_.end(), position, KeyLess);
  }
  const_iterator lower_bound(int64_t position) const {
    return std::lower_bound(points_.begin(), points_.end(), position, KeyLess);
  }
  iterator find(int64_t position) {
    auto it = lower_bound(position);
    return it != points_.end() && it->first == position ? it : points_.end();
  }
  const_iterator find(int64_t position) const {
    auto it = lower_bound(position);
    return it != points_.end() && it->first == position ? it : points_.end();
  }
  size_t count(int64_t position) const { return find(position) == end() ? 0 : 1; }
  // Throws std::out_of_range for a position without point.
  T& at(int64_t position) {
    auto it = find(position);
    if (it == points_.end()) throw std::out_of_range("CTrackPointMap::at");
    return it->second;
  }
  const T& at(int64_t position) const {
    auto it = find(position);
    if (it == points_.end()) throw std::out_of_range("CTrackPointMap::at");
    return it->second;
  }

  // Stores the point, replacing one at that position; true in .second when it was new.
  std::pair<iterator, bool> insert_or_assign(int64_t position, const T& point) {
    if (points_.empty() || points_.back().first < position) {
      points_.emplace_back(position, point);
      return {std::prev(points_.end()), true};
    }
    auto it = lower_bound(position);
    if (it != points_.end() && it->first == position) {
      it->second = point;
      return {it, false};
    }
    return {points_.emplace(it, position, point), true};
  }

  // The point at `position`, default-constructed and inserted when there is none. The search
  // starts at `from`. REQUIRES: every point before `from` lies before `position` (a caller that
  // walks positions in ascending order passes the point after the one it got last).
  iterator find_or_emplace(const_iterator from, int64_t position) {
    auto it = std::lower_bound(points_.begin() + (from - points_.cbegin()), points_.end(), position,
                               KeyLess);
    if (it != points_.end() && it->first == position) return it;
    return points_.emplace(it, position, T{});
  }

  size_t erase(int64_t position) {
    auto it = find(position);
    if (it == points_.end()) return 0;
    points_.erase(it);
    return 1;
  }
  iterator erase(const_iterator it) { return points_.erase(it); }

  bool operator==(const CTrackPointMap&) const = default;

 private:
  static bool KeyLess(const value_type& point, int64_t position) { return point.first < position; }

  std::vector<value_type> points_;
};
