#pragma once
// AssignInPlace(to, from): makes the ordered table `to` equal to `from`. When both hold the same
// keys (a store and its copy, part after part), each value is assigned where it is, so the
// entries keep their nodes and the arrays of their values; otherwise the whole table is
// assigned.

#include <algorithm>

template <typename Table>
void AssignInPlace(Table& to, const Table& from) {
  const bool sameKeys = to.size() == from.size() &&
                        std::equal(to.begin(), to.end(), from.begin(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; });
  if (!sameKeys) {
    to = from;
    return;
  }
  auto target = to.begin();
  for (const auto& entry : from) (target++)->second = entry.second;
}
