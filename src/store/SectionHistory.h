#pragma once
// CSectionHistory<Value>: the history sections of many quantities, held as one small ring per
// quantity instead of one map node per section.
//
// It reads like an ordered map of QIdx7 (quantity, section) → Value: iteration in key order
// (per quantity its sections oldest first), size, find, lower_bound, upper_bound and
// insert_or_assign. So the table file form written from it and read into it is the one of a
// plain map, byte for byte. Entries are read-only through iterators, as the keys of a set.
//
// PushSection adds a quantity's newest section and drops its oldest in one step: once a
// quantity holds its full depth, the new section overwrites the oldest in place and nothing is
// allocated or moved. Other changes (a section inserted between others, one overwritten) put
// the ring in plain order first; they are the exceptions (files read, a section copied twice).
//
// Iterators hold the position (quantity, section), so any change to the history invalidates
// them; reading does not.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "store/Keys.h"

template <typename Value>
class CSectionHistory {
 public:
  using key_type = QIdx7;
  using mapped_type = Value;
  using value_type = std::pair<QIdx7, Value>;
  using size_type = size_t;

 private:
  // One quantity's sections: entry i (oldest first) is ring[(head + i) mod ring.size()].
  // A quantity in the history is never empty.
  struct Quantity {
    QClavis key;
    size_t head = 0;
    std::vector<value_type> ring;

    size_t size() const { return ring.size(); }
    const value_type& at(size_t i) const {
      size_t j = head + i;
      if (j >= ring.size()) j -= ring.size();
      return ring[j];
    }
    int32_t NewestIndex() const { return at(ring.size() - 1).first.historyIndex(); }
    // Puts the entries in plain order, oldest at ring[0].
    void Straighten() {
      std::rotate(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(head), ring.end());
      head = 0;
    }
    // The first entry whose section is not below `historyIndex` (or above, for `after`).
    size_t FirstFrom(int32_t historyIndex, bool after) const {
      size_t i = 0;
      while (i < ring.size() && (after ? at(i).first.historyIndex() <= historyIndex
                                       : at(i).first.historyIndex() < historyIndex))
        ++i;
      return i;
    }
  };

 public:
  class const_iterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = CSectionHistory::value_type;
    using difference_type = std::ptrdiff_t;
    using pointer = const value_type*;
    using reference = const value_type&;

    const_iterator() = default;
    reference operator*() const { return (*quantities_)[q_].at(i_); }
    pointer operator->() const { return &**this; }
    const_iterator& operator++() {
      if (++i_ == (*quantities_)[q_].size()) {
        ++q_;
        i_ = 0;
      }
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++*this;
      return old;
    }
    const_iterator& operator--() {
      if (i_ == 0) i_ = (*quantities_)[--q_].size();
      --i_;
      return *this;
    }
    const_iterator operator--(int) {
      const_iterator old = *this;
      --*this;
      return old;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.q_ == b.q_ && a.i_ == b.i_;
    }

   private:
    friend class CSectionHistory;
    const_iterator(const std::vector<Quantity>* quantities, size_t q, size_t i)
        : quantities_(quantities), q_(q), i_(i) {}

    const std::vector<Quantity>* quantities_ = nullptr;
    size_t q_ = 0;  // the quantity; quantities_->size() at the end
    size_t i_ = 0;  // the section within it, oldest first
  };
  using iterator = const_iterator;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;
  using reverse_iterator = const_reverse_iterator;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  void clear() {
    quantities_.clear();
    size_ = 0;
  }

  const_iterator begin() const { return At(0, 0); }
  const_iterator end() const { return At(quantities_.size(), 0); }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  const_iterator lower_bound(const QIdx7& key) const { return Bound(key, false); }
  const_iterator upper_bound(const QIdx7& key) const { return Bound(key, true); }
  const_iterator find(const QIdx7& key) const {
    const const_iterator it = lower_bound(key);
    return it != end() && it->first == key ? it : end();
  }
  size_t count(const QIdx7& key) const { return find(key) != end() ? 1 : 0; }

  // The sections of one quantity, oldest first.
  std::pair<const_iterator, const_iterator> Sections(const QClavis& key) const {
    const size_t q = QuantityAtOrAfter(0, key);
    if (q == quantities_.size() || !(quantities_[q].key == key)) return {At(q, 0), At(q, 0)};
    return {At(q, 0), At(q + 1, 0)};
  }

  // Inserts the entry, or overwrites the value of the entry with its key.
  std::pair<const_iterator, bool> insert_or_assign(const QIdx7& key, const Value& value) {
    const size_t q = FindOrAdd(QuantityAtOrAfter(0, key.clavis()), key.clavis());
    const auto [i, inserted] = Put(quantities_[q], key, value);
    return {At(q, i), inserted};
  }

  // Adds `historyIndex` as a section of `key` with `value` after dropping the key's
  // `dropOldest` oldest sections (all it has, when it has fewer); a section already there is
  // overwritten. `hint` is the quantity to look at first: keys pushed in ascending order with
  // the hint kept between the calls are found without a search.
  void PushSection(size_t& hint, const QClavis& key, int32_t historyIndex, unsigned dropOldest,
                   const Value& value) {
    const size_t q = FindOrAdd(QuantityAtOrAfter(hint, key), key);
    hint = q + 1;
    Quantity& quantity = quantities_[q];
    const QIdx7 at(key, historyIndex);
    if (dropOldest == 1 && !quantity.ring.empty() && quantity.NewestIndex() < historyIndex) {
      // The steady state: the oldest slot becomes the newest.
      value_type& slot = quantity.ring[quantity.head];
      slot.first = at;
      slot.second = value;
      if (++quantity.head == quantity.size()) quantity.head = 0;
      return;
    }
    if (dropOldest > 0) {
      quantity.Straighten();
      const size_t dropped = std::min<size_t>(dropOldest, quantity.size());
      quantity.ring.erase(quantity.ring.begin(),
                          quantity.ring.begin() + static_cast<std::ptrdiff_t>(dropped));
      size_ -= dropped;
    }
    Put(quantity, at, value);
  }

 private:
  const_iterator At(size_t q, size_t i) const { return const_iterator(&quantities_, q, i); }

  // The first quantity whose key is not below `key`, searched from `from` on when the
  // quantity before `from` is below it, else from the start.
  size_t QuantityAtOrAfter(size_t from, const QClavis& key) const {
    const size_t n = quantities_.size();
    if (from < n && quantities_[from].key == key) return from;
    if (from > n || (from > 0 && !(quantities_[from - 1].key < key))) from = 0;
    const auto it = std::lower_bound(
        quantities_.begin() + static_cast<std::ptrdiff_t>(from), quantities_.end(), key,
        [](const Quantity& quantity, const QClavis& k) { return quantity.key < k; });
    return static_cast<size_t>(it - quantities_.begin());
  }

  // The quantity of `key`, which belongs at position q; added there (empty) when missing. An
  // added quantity gets its first section from the caller at once.
  size_t FindOrAdd(size_t q, const QClavis& key) {
    if (q == quantities_.size() || !(quantities_[q].key == key))
      quantities_.insert(quantities_.begin() + static_cast<std::ptrdiff_t>(q),
                         Quantity{key, 0, {}});
    return q;
  }

  // Places the entry in section order within its quantity; returns its position and whether it
  // was added.
  std::pair<size_t, bool> Put(Quantity& quantity, const QIdx7& key, const Value& value) {
    const int32_t historyIndex = key.historyIndex();
    quantity.Straighten();
    if (!quantity.ring.empty() && quantity.NewestIndex() < historyIndex) {
      quantity.ring.emplace_back(key, value);
      ++size_;
      return {quantity.size() - 1, true};
    }
    const size_t i = quantity.FirstFrom(historyIndex, false);
    if (i < quantity.size() && quantity.ring[i].first.historyIndex() == historyIndex) {
      quantity.ring[i].second = value;
      return {i, false};
    }
    quantity.ring.insert(quantity.ring.begin() + static_cast<std::ptrdiff_t>(i),
                         value_type(key, value));
    ++size_;
    return {i, true};
  }

  const_iterator Bound(const QIdx7& key, bool after) const {
    const QClavis clavis = key.clavis();
    const size_t q = QuantityAtOrAfter(0, clavis);
    if (q == quantities_.size() || !(quantities_[q].key == clavis)) return At(q, 0);
    const size_t i = quantities_[q].FirstFrom(key.historyIndex(), after);
    return i == quantities_[q].size() ? At(q + 1, 0) : At(q, i);
  }

  std::vector<Quantity> quantities_;  // in key order
  size_t size_ = 0;                   // entries of all quantities
};
