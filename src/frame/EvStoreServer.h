#pragma once
// CEvStoreServer<T>: the process-wide registry of stores of one type (value stores, learn
// stores, result shops). Modules find a store by index without holding its owner; slot 0 is
// the default store, asked for with any index below 1. The server never owns or deletes a
// store: the modules that register them do, and release them before they die.
//
// The three instances live in libkelva.so (EvStoreServer.cpp), so that the host application
// and the library see one registry.

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Object.h"
#include "host/Output.h"

class CKelValueStore;
class CKelLearnStore;
class CResultShop;

template <typename T>
class CEvStoreServer {
 public:
  static CEvStoreServer& Object();

  // Makes `store` the default (slot 0); true when slot 0 was empty or null before.
  bool RegisterDefault(const CObject* owner, T* store) {
    bool wasFree = true;
    if (stores_.empty()) {
      stores_.push_back(store);
    } else {
      wasFree = stores_[0] == nullptr;
      stores_[0] = store;
    }
    registrations_.emplace(owner, std::make_pair(std::string("Default"), 0));
    return wasFree;
  }

  // Puts the store in the first free slot (a named store never becomes the default by being
  // appended to an empty registry); returns its index.
  int Register(const CObject* owner, const std::string& name, T* store) {
    int index = -1;
    for (size_t i = 0; i < stores_.size(); ++i) {
      if (stores_[i] == nullptr) {
        index = static_cast<int>(i);
        break;
      }
    }
    if (index < 0) {
      if (stores_.empty()) stores_.push_back(nullptr);
      stores_.push_back(store);
      index = static_cast<int>(stores_.size()) - 1;
    } else {
      stores_[static_cast<size_t>(index)] = store;
    }
    registrations_.emplace(owner, std::make_pair(name, index));
    return index;
  }

  // A negative index clears the whole registry; otherwise the slot becomes null and its first
  // registration is removed.
  bool Release(int index) {
    if (index < 0) {
      stores_.clear();
      registrations_.clear();
      return true;
    }
    if (static_cast<size_t>(index) < stores_.size()) stores_[static_cast<size_t>(index)] = nullptr;
    for (auto it = registrations_.begin(); it != registrations_.end(); ++it) {
      if (it->second.second == index) {
        registrations_.erase(it);
        break;
      }
    }
    return true;
  }

  // Frees every slot the owner registered; false when it had none.
  bool Release(const CObject* owner) {
    auto [first, last] = registrations_.equal_range(owner);
    if (first == last) return false;
    for (auto it = first; it != last; ++it) {
      const auto slot = static_cast<size_t>(it->second.second);
      if (slot < stores_.size()) stores_[slot] = nullptr;
    }
    registrations_.erase(first, last);
    return true;
  }

  // Index below 1: the default store (null with a trace line while nothing was ever
  // registered). An index at or beyond the number of slots throws std::out_of_range.
  T* Store(int index) const {
    if (index < 1) {
      if (stores_.empty()) {
        PrWin::Output(16, 4, "CEvStoreServer: Unregistered default store requested\n");
        return nullptr;
      }
      return stores_[0];
    }
    if (static_cast<size_t>(index) >= stores_.size())
      throw std::out_of_range("invalid vector<T> subscript");
    return stores_[static_cast<size_t>(index)];
  }

  // The name of the first registration of the index, or "".
  std::string StoreName(int index) const {
    for (const auto& [owner, registration] : registrations_)
      if (registration.second == index) return registration.first;
    return std::string();
  }

  // Number of slots, released ones included.
  unsigned MaxIndex() const { return static_cast<unsigned>(stores_.size()); }

 private:
  CEvStoreServer() = default;

  std::vector<T*> stores_;
  std::multimap<const CObject*, std::pair<std::string, int>> registrations_;
};

extern template class CEvStoreServer<CKelValueStore>;
extern template class CEvStoreServer<CKelLearnStore>;
extern template class CEvStoreServer<CResultShop>;
