#pragma once
// FreeStack: the stack of free blocks that the node and buffer pools keep. A block on the stack
// holds the address of the next one in its first bytes, so the stack needs no memory of its own.
//
// Under AddressSanitizer a block is poisoned while it is on the stack, so a block used after it
// went back to its pool is still reported; without the sanitizer nothing is marked.

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
#endif

namespace FreeStack {

// Puts `block` (of `bytes`, at least a pointer's size) on top of the stack `head`.
inline void Push(void*& head, void* block, [[maybe_unused]] size_t bytes) noexcept {
  *static_cast<void**>(block) = head;
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_POISON_MEMORY_REGION(block, bytes);
#endif
  head = block;
}

// Takes the top block (of `bytes`) off the stack `head`, which must not be empty.
inline void* Pop(void*& head, [[maybe_unused]] size_t bytes) noexcept {
  void* block = head;
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_UNPOISON_MEMORY_REGION(block, bytes);
#endif
  head = *static_cast<void**>(block);
  return block;
}

}  // namespace FreeStack
