#pragma once
// CUniqueTreeMap: the host's ordered map with unique keys, the container of most tables.

#include <functional>
#include <map>
#include <memory>
#include <utility>

template <typename Key, typename Value, typename Compare = std::less<Key>,
          typename Allocator = std::allocator<std::pair<const Key, Value>>>
using CUniqueTreeMap = std::map<Key, Value, Compare, Allocator>;
