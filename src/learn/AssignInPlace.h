#pragma once
// AssignInPlace(to, from): makes the ordered table `to` equal to `from`. When both hold the same
// keys (a store and its copy, part after part), each value is assigned where it is, so the
// entries keep their nodes and the arrays of their values; otherwise the whole table is
// assigned.

template <typename Table>
void AssignInPlace(Table& to, const Table& from) {
  if (to.size() == from.size()) {
    // One walk compares the keys and assigns the values; values assigned before a key that
    // differs are assigned again with the whole table.
    auto target = to.begin();
    auto source = from.begin();
    for (; source != from.end(); ++source, ++target) {
      if (!(target->first == source->first)) break;
      target->second = source->second;
    }
    if (source == from.end()) return;
  }
  to = from;
}
