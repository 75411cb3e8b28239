#pragma once
// The entries of one id in an ordered map whose keys lead with that id: the entries of a mode
// in a QClavis-keyed map, the history sections of a track key, the points of a polygon.
//
// The range ends at the first key of the next id. Ids are signed 32-bit numbers and the
// largest one, INT32_MAX, has no next id (id + 1 would overflow and wrap to the smallest key,
// which makes the range end before it begins): its range runs to the end of the map. Every
// range of this kind goes through here so that no caller writes `id + 1` again.

#include <cstdint>
#include <limits>
#include <utility>

#include "store/Keys.h"

namespace Kelva {

// [map.lower_bound(firstKeyOf(id)), map.lower_bound(firstKeyOf(id + 1))), or up to map.end()
// for INT32_MAX. `firstKeyOf(n)` makes the smallest key of id n the caller wants to see.
// REQUIRES: the map's keys order by the id first.
template <typename Map, typename FirstKeyOf>
auto IdRange(Map& map, int32_t id, FirstKeyOf firstKeyOf) {
  auto first = map.lower_bound(firstKeyOf(id));
  auto last =
      id == std::numeric_limits<int32_t>::max() ? map.end() : map.lower_bound(firstKeyOf(id + 1));
  return std::make_pair(first, last);
}

// The entries of one mode in a map keyed by QClavis or a key that leads with it (QIdx7):
// [ModeBegin(mode), ModeBegin(mode + 1)).
template <typename Map>
auto ModeRange(Map& map, int32_t mode) {
  return IdRange(map, mode, &QClavis::ModeBegin);
}

}  // namespace Kelva
