#pragma once
// BufferPool: where the sample buffers of curves come from. A freed buffer goes onto a free list
// of its byte size, kept per thread, and the next buffer of that size comes from there, so that
// the curves of a part replace those of the one before without going back to the heap.
//
// Bounds: a thread keeps buffers of at most kMaxSizes distinct sizes and at most kMaxHeldBytes
// in all; a freed buffer beyond either goes back to the heap. A thread's buffers are handed back
// to the heap when the thread ends; buffers freed after that go to the heap directly. Under
// AddressSanitizer a pooled buffer is poisoned (FreeStack.h).

#include <cstddef>
#include <cstdint>

namespace BufferPool {

inline constexpr size_t kAlignment = 32;  // every buffer's start
inline constexpr size_t kMaxSizes = 16;
inline constexpr size_t kMaxHeldBytes = size_t{64} << 20;

// A buffer of `bytes` (a positive multiple of kAlignment), aligned to kAlignment, its content
// unspecified.
void* Take(size_t bytes);
// Gives back a buffer that Take returned for the same `bytes`.
void Give(void* buffer, size_t bytes) noexcept;

// This thread's buffers taken from the heap since it started, and the bytes its free lists
// hold (for tests and benchmarks).
uint64_t HeapBuffers();
size_t HeldBytes();

}  // namespace BufferPool
