#pragma once
// CUniqueTreeMap: the host's ordered map with unique keys, the container of most tables. Its
// nodes come from the node pool (NodePool.h): a table emptied and filled every part reuses them.

#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "host/NodePool.h"

template <typename Key, typename Value, typename Compare = std::less<Key>,
          typename Allocator = CNodePoolAllocator<std::pair<const Key, Value>>>
using CUniqueTreeMap = std::map<Key, Value, Compare, Allocator>;
