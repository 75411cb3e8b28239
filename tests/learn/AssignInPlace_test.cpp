#include "learn/AssignInPlace.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using Table = std::map<int, std::vector<float>>;

}  // namespace

// Part after part a store and its copy hold the same keys: the values are assigned where they
// are, so a value's array is reused, not freed and made again. Other keys assign the table.
TEST(AssignInPlace, SameKeysKeepTheirEntriesOtherKeysTakeTheWholeTable) {
  Table to = {{1, {1, 2, 3}}, {4, {4, 5, 6, 7}}};
  const float* array = to.at(4).data();
  const auto* entry = &to.at(1);
  const Table next = {{1, {9}}, {4, {8, 7, 6}}};
  AssignInPlace(to, next);
  EXPECT_EQ(to, next);
  EXPECT_EQ(&to.at(1), entry);
  EXPECT_EQ(to.at(4).data(), array);

  const Table moreKeys = {{1, {1}}, {2, {2}}, {4, {4}}};
  AssignInPlace(to, moreKeys);
  EXPECT_EQ(to, moreKeys);
  const Table otherKey = {{1, {5}}, {3, {3}}, {4, {6}}};
  AssignInPlace(to, otherKey);
  EXPECT_EQ(to, otherKey);
  AssignInPlace(to, Table{});
  EXPECT_TRUE(to.empty());
}
