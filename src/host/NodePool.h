#pragma once
// CNodePoolAllocator<T>: the allocator of the host's node containers (ordered maps and sets).
// A freed single node goes onto a free list of its size, kept per thread, and the next node of
// that size comes from there. A table that is emptied and filled again every part therefore
// reuses its nodes instead of going back to the heap. Arrays (n != 1) come from the heap.
//
// Bounds: each free list keeps at most NodePool::kMaxFreeBlocks blocks; further freed nodes go
// back to the heap, so the memory a list holds is bounded. A thread's lists are handed back to
// the heap when the thread ends; nodes freed after that (tables destroyed at exit) go to the heap
// directly.
//
// Under AddressSanitizer a block on a free list is poisoned, so a node used after it was freed
// is still reported.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "host/FreeStack.h"

namespace NodePool {

inline constexpr size_t kMaxFreeBlocks = size_t{1} << 16;

// The free blocks of one size on one thread. Trivially destructible, so that it can still be
// read after its thread's drain has run.
struct FreeList {
  void* head;
  size_t count;
  bool closed;  // drained at thread end: blocks go to the heap from now on
};

// Blocks this thread took from the heap for nodes, and the blocks on its free lists, all sizes
// together (for tests and benchmarks).
inline thread_local uint64_t heapBlocks = 0;
inline thread_local size_t freeBlocks = 0;
inline thread_local size_t freeBytes = 0;

template <size_t Bytes>
class List {
 public:
  static_assert(Bytes >= sizeof(void*));

  static void* Take() {
    FreeList& list = Get();
    if (list.head == nullptr) {
      ++heapBlocks;
      return ::operator new(Bytes);
    }
    void* block = FreeStack::Pop(list.head, Bytes);
    --list.count;
    --freeBlocks;
    freeBytes -= Bytes;
    return block;
  }

  static void Give(void* block) noexcept {
    FreeList& list = Get();
    if (list.closed || list.count >= kMaxFreeBlocks) {
      ::operator delete(block, Bytes);
      return;
    }
    FreeStack::Push(list.head, block, Bytes);
    ++list.count;
    ++freeBlocks;
    freeBytes += Bytes;
  }

 private:
  // Hands the list back to the heap when its thread ends.
  struct Drain {
    FreeList& list;
    explicit Drain(FreeList& list) : list(list) {
      FreeStack::ShowHeadsToLeakChecker(&list.head, sizeof(list.head));
    }
    ~Drain() {
      FreeStack::HideHeadsFromLeakChecker(&list.head, sizeof(list.head));
      while (list.head != nullptr) ::operator delete(FreeStack::Pop(list.head, Bytes), Bytes);
      freeBlocks -= list.count;
      freeBytes -= list.count * Bytes;
      list.count = 0;
      list.closed = true;
    }
  };

  static FreeList& Get() {
    static thread_local FreeList list{nullptr, 0, false};
    static thread_local Drain drain{list};
    static_cast<void>(drain);  // made on first use, so it runs when this thread ends
    return list;
  }
};

// The block size of a node of type T.
template <typename T>
inline constexpr size_t kBlockBytes = sizeof(T) < sizeof(void*) ? sizeof(void*) : sizeof(T);

}  // namespace NodePool

template <typename T>
class CNodePoolAllocator {
 public:
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  using value_type = T;

  CNodePoolAllocator() noexcept = default;
  template <typename U>
  CNodePoolAllocator(const CNodePoolAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n == 1) return static_cast<T*>(NodePool::List<NodePool::kBlockBytes<T>>::Take());
    return std::allocator<T>{}.allocate(n);
  }
  void deallocate(T* p, size_t n) noexcept {
    if (n == 1)
      NodePool::List<NodePool::kBlockBytes<T>>::Give(p);
    else
      std::allocator<T>{}.deallocate(p, n);
  }

  template <typename U>
  bool operator==(const CNodePoolAllocator<U>&) const noexcept {
    return true;
  }
};
