// The cursor answers as the map's own search does, for keys in any order — ascending with small
// and large gaps, repeated, going back — and inserts missing keys in their place.
#include "store/SortedCursor.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

TEST(SortedCursor, AnswersLikeFindForKeysInAnyOrder) {
  std::mt19937 rng(7);
  std::map<int, int> map;
  for (int i = 0; i < 400; ++i) map[static_cast<int>(rng() % 2000)] = i;
  const std::map<int, int>& constant = map;
  // Ascending in steps of 1 (many misses, short steps), of 37 (jumps beyond a few entries),
  // then random keys (mostly going back or far ahead).
  for (int step : {1, 37}) {
    SortedCursor<const std::map<int, int>> cursor(constant);
    for (int key = -5; key < 2010; key += step) {
      const auto found = cursor.Find(key);
      ASSERT_EQ(found, constant.find(key)) << "key " << key << " step " << step;
      ASSERT_EQ(cursor.Find(key), found) << "the same key twice";
    }
  }
  SortedCursor<const std::map<int, int>> cursor(constant);
  for (int i = 0; i < 3000; ++i) {
    const int key = static_cast<int>(rng() % 2100) - 50;
    ASSERT_EQ(cursor.Find(key), constant.find(key)) << "key " << key;
  }
}

TEST(SortedCursor, FindOrEmplaceInsertsMissingKeysWithAnEmptyValue) {
  std::map<int, int> map{{10, 1}, {20, 2}, {30, 3}};
  SortedCursor<std::map<int, int>> cursor(map);
  EXPECT_EQ(cursor.FindOrEmplace(10)->second, 1);
  EXPECT_EQ(cursor.FindOrEmplace(15)->second, 0);
  cursor.FindOrEmplace(15)->second = 5;
  EXPECT_EQ(cursor.FindOrEmplace(20)->second, 2);
  EXPECT_EQ(cursor.FindOrEmplace(40)->first, 40);
  EXPECT_EQ(cursor.FindOrEmplace(5)->first, 5);  // going back
  EXPECT_EQ(map, (std::map<int, int>{{5, 0}, {10, 1}, {15, 5}, {20, 2}, {30, 3}, {40, 0}}));
  EXPECT_EQ(cursor.Find(25), map.end());
  EXPECT_EQ(map.size(), 6u);
}
