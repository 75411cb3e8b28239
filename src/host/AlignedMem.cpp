#include "host/AlignedMem.h"

namespace CAlignedMemStats {
namespace {
std::atomic<uint64_t> allocations{0};
std::atomic<uint64_t> bytesCopied{0};
}  // namespace

uint64_t Allocations() {
  return allocations.load(std::memory_order_relaxed);
}
uint64_t BytesCopied() {
  return bytesCopied.load(std::memory_order_relaxed);
}
void CountAllocation() {
  allocations.fetch_add(1, std::memory_order_relaxed);
}
void CountCopy(uint64_t bytes) {
  bytesCopied.fetch_add(bytes, std::memory_order_relaxed);
}
}  // namespace CAlignedMemStats
