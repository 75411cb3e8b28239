#pragma once
// Marks memory that a pool holds as unusable under AddressSanitizer, so that a block used after
// it went back to its pool is still reported; without the sanitizer both calls do nothing.

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

namespace Poison {

inline void Pooled([[maybe_unused]] void* block, [[maybe_unused]] size_t bytes) {
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_POISON_MEMORY_REGION(block, bytes);
#endif
}

inline void Taken([[maybe_unused]] void* block, [[maybe_unused]] size_t bytes) {
#if defined(KELVA_POISON_POOLED_MEMORY)
  ASAN_UNPOISON_MEMORY_REGION(block, bytes);
#endif
}

}  // namespace Poison
