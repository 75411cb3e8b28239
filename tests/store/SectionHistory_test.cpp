#include "store/SectionHistory.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <vector>

namespace {

using History = CSectionHistory<int>;
using Reference = std::map<QIdx7, int>;

QClavis Key(int n) {
  return QClavis(1, n, 1, 1, 1, 0);
}

// What pushing a section means for a plain map: drop the key's oldest entries, then insert or
// overwrite.
void PushToReference(Reference& map, const QClavis& key, int32_t section, unsigned drop,
                     int value) {
  auto first = map.lower_bound(QIdx7(key, INT32_MIN));
  for (; drop > 0 && first != map.end() && first->first.clavis() == key; --drop)
    first = map.erase(first);
  map.insert_or_assign(QIdx7(key, section), value);
}

std::vector<std::pair<QIdx7, int>> Entries(const History& history) {
  return {history.begin(), history.end()};
}
std::vector<std::pair<QIdx7, int>> Entries(const Reference& map) {
  return {map.begin(), map.end()};
}

// The entry an iterator is at, or a marker for the end, so positions of both can be compared.
template <typename Map, typename It>
std::pair<QIdx7, int> At(const Map& map, It it) {
  return it == map.end() ? std::make_pair(QIdx7(), -1) : std::make_pair(it->first, it->second);
}

void ExpectSameAsReference(const History& history, const Reference& map, std::mt19937& random) {
  ASSERT_EQ(Entries(history), Entries(map));
  ASSERT_EQ(history.size(), map.size());
  std::vector<std::pair<QIdx7, int>> backwards(history.rbegin(), history.rend());
  ASSERT_EQ(backwards, (std::vector<std::pair<QIdx7, int>>(map.rbegin(), map.rend())));
  for (int probe = 0; probe < 20; ++probe) {
    const QIdx7 key(Key(static_cast<int>(random() % 8)), static_cast<int32_t>(random() % 30) - 2);
    ASSERT_EQ(At(history, history.lower_bound(key)), At(map, map.lower_bound(key)));
    ASSERT_EQ(At(history, history.upper_bound(key)), At(map, map.upper_bound(key)));
    ASSERT_EQ(At(history, history.find(key)), At(map, map.find(key)));
    const auto [first, last] = history.Sections(key.clavis());
    ASSERT_EQ(At(history, first), At(map, map.lower_bound(QIdx7(key.clavis(), INT32_MIN))));
    ASSERT_EQ(At(history, last), At(map, map.upper_bound(QIdx7(key.clavis(), INT32_MAX))));
  }
}

}  // namespace

// Random pushes in the pattern of a store (keys ascending per part, sections rising, drops of
// one in the steady state) mixed with the exceptions (a section copied twice, larger drops, an
// entry inserted between others, keys out of order for the hint): the history must hold what a
// plain ordered map holds and answer every search the same.
TEST(SectionHistory, HoldsAndFindsWhatAPlainMapHolds) {
  std::mt19937 random(7);
  History history;
  Reference map;
  for (int part = 0; part < 60; ++part) {
    size_t hint = 0;
    for (int n = 0; n < 8; ++n) {
      if (random() % 4 == 0) continue;  // the quantity was not measured on this part
      const QClavis key = Key(n);
      const auto section = static_cast<int32_t>(part % 5 == 4 ? part - 1 : part);
      const unsigned drop = random() % 6 == 0 ? static_cast<unsigned>(random() % 4) : 1u;
      const int value = static_cast<int>(random() % 1000);
      if (random() % 9 == 0) hint = random() % 10;  // a stale hint must not mislead
      history.PushSection(hint, key, section, drop, value);
      PushToReference(map, key, section, drop, value);
    }
    if (part % 7 == 3) {
      const QIdx7 between(Key(static_cast<int>(random() % 8)), part - 2);
      EXPECT_EQ(history.insert_or_assign(between, -part).second, map.count(between) == 0);
      map.insert_or_assign(between, -part);
    }
    ExpectSameAsReference(history, map, random);
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(history.size(), 8u);
  history.clear();
  EXPECT_TRUE(history.empty());
  EXPECT_EQ(history.begin(), history.end());
}

// The steady state: with drops of one the quantity keeps its depth, its sections oldest first,
// while the oldest slot is overwritten in place.
TEST(SectionHistory, PushingPastTheDepthKeepsTheNewestInOrder) {
  History history;
  const QClavis key = Key(3);
  for (int32_t section = 0; section < 13; ++section) {
    size_t hint = 0;
    history.PushSection(hint, key, section, section < 4 ? 0u : 1u, section * 10);
    EXPECT_EQ(hint, 1u);
  }
  std::vector<int32_t> sections;
  std::vector<int> values;
  for (const auto& [at, value] : history) {
    EXPECT_EQ(at.clavis(), key);
    sections.push_back(at.historyIndex());
    values.push_back(value);
  }
  EXPECT_EQ(sections, (std::vector<int32_t>{9, 10, 11, 12}));
  EXPECT_EQ(values, (std::vector<int>{90, 100, 110, 120}));
  EXPECT_EQ(std::prev(history.end())->second, 120);
  EXPECT_EQ(history.find(QIdx7(key, 10))->second, 100);
  EXPECT_EQ(history.find(QIdx7(key, 8)), history.end());
}
