#pragma once
// FreeStack: the stack of free blocks that the node and buffer pools keep. A block on the stack
// holds the address of the next one in its first bytes, so the stack needs no memory of its own.
//
// Under AddressSanitizer a block is poisoned while it is on the stack, all but the address of
// the next block, so a block used after it went back to its pool is still reported; the leak
// checker ignores addresses in poisoned memory and would take every block below the top of the
// stack for leaked. Without the sanitizer nothing is marked.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define KELVA_POISON_POOLED_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVA_POISON_POOLED_MEMORY 1
#endif
#endif
#if defined(KELVA_POISON_POOLED_MEMORY)
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace FreeStack {

// Puts `block` (of `bytes`, at least a pointer's size) on top of the stack `head`.
inline void Push(void*& head, void* block, [[maybe_unused]] size_t bytes) noexcept {
  *static_cast<void**>(block) = head;
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_POISON_MEMORY_REGION(static_cast<char*>(block) + sizeof(void*), bytes - sizeof(void*));
#endif
  head = block;
}

// Takes the top block (of `bytes`) off the stack `head`, which must not be empty.
inline void* Pop(void*& head, [[maybe_unused]] size_t bytes) noexcept {
  void* block = head;
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_UNPOISON_MEMORY_REGION(static_cast<char*>(block) + sizeof(void*), bytes - sizeof(void*));
#endif
  head = *static_cast<void**>(block);
  return block;
}

// The blocks on a thread's stacks are reachable only through the heads, which live in the
// thread's own storage. The leak checker does not always look there (the thread storage of a
// shared library, while the process runs), so under the sanitizer a pool shows the region that
// holds its heads to the checker as a root when the thread first uses it, and takes it back when
// the thread ends. Without the sanitizer these do nothing.
inline void ShowHeadsToLeakChecker([[maybe_unused]] const void* region,
                                   [[maybe_unused]] size_t bytes) noexcept {
#if defined(KELVA_POISON_POOLED_MEMORY)
  __lsan_register_root_region(region, bytes);
#endif
}
inline void HideHeadsFromLeakChecker([[maybe_unused]] const void* region,
                                     [[maybe_unused]] size_t bytes) noexcept {
#if defined(KELVA_POISON_POOLED_MEMORY)
  __lsan_unregister_root_region(region, bytes);
#endif
}

}  // namespace FreeStack
