#include "AllocationCount.h"

#include <malloc.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> allocations{0};
std::atomic<int64_t> heldBytes{0};

// Only a benchmark that reads HeapBytesHeld pays for the tally (a size lookup per block).
#ifdef KELVA_COUNT_HEAP_BYTES
constexpr bool kTallyBytes = true;
#else
constexpr bool kTallyBytes = false;
#endif

// What a block costs the heap: its usable size and the allocator's size word before it.
int64_t BlockBytes(void* memory) {
  return static_cast<int64_t>(malloc_usable_size(memory) + sizeof(size_t));
}
void* Held(void* memory) {
  if (kTallyBytes) heldBytes.fetch_add(BlockBytes(memory), std::memory_order_relaxed);
  return memory;
}
void Release(void* memory) {
  if (kTallyBytes && memory != nullptr)
    heldBytes.fetch_sub(BlockBytes(memory), std::memory_order_relaxed);
  std::free(memory);
}
}  // namespace

uint64_t AllocationCount() {
  return allocations.load(std::memory_order_relaxed);
}

#ifdef KELVA_COUNT_HEAP_BYTES
int64_t HeapBytesHeld() {
  return heldBytes.load(std::memory_order_relaxed);
}
#endif

void* operator new(size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* memory = std::malloc(size != 0 ? size : 1)) return Held(memory);
  throw std::bad_alloc();
}
void* operator new[](size_t size) {
  return operator new(size);
}
// The aligned forms too: the sample buffers of curves are allocated with them.
void* operator new(size_t size, std::align_val_t alignment) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  void* memory = nullptr;
  const size_t align = std::max(static_cast<size_t>(alignment), sizeof(void*));
  if (posix_memalign(&memory, align, size != 0 ? size : 1) == 0) return Held(memory);
  throw std::bad_alloc();
}
void* operator new[](size_t size, std::align_val_t alignment) {
  return operator new(size, alignment);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  Release(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
  Release(memory);
}
void operator delete(void* memory, size_t, std::align_val_t) noexcept {
  Release(memory);
}
void operator delete[](void* memory, size_t, std::align_val_t) noexcept {
  Release(memory);
}
void operator delete(void* memory) noexcept {
  Release(memory);
}
void operator delete[](void* memory) noexcept {
  Release(memory);
}
void operator delete(void* memory, size_t) noexcept {
  Release(memory);
}
void operator delete[](void* memory, size_t) noexcept {
  Release(memory);
}
