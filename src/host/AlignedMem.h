#pragma once
// CAlignedMem<T>: an owned, 32-byte aligned buffer of n elements, the sample storage of curves.
// It is not copyable; Clone makes an explicit copy. Process-wide counters of allocations and
// copied bytes let tests and benchmarks prove that sharing code paths copy nothing.
//
// The buffers come from the buffer pool (BufferPool.h), and Make places a shared buffer's
// object and count in the node pool (NodePool.h): a part whose curves replace those of the part
// before takes nothing from the heap.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

#include "host/BufferPool.h"
#include "host/NodePool.h"

namespace CAlignedMemStats {
// Number of buffer allocations and of bytes copied by Clone since the start of the process.
uint64_t Allocations();
uint64_t BytesCopied();
void CountAllocation();
void CountCopy(uint64_t bytes);
}  // namespace CAlignedMemStats

template <typename T>
class CAlignedMem {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  static constexpr size_t kAlignment = BufferPool::kAlignment;

  CAlignedMem() = default;
  // n elements, zero-initialised.
  explicit CAlignedMem(size_t n) { Allocate(n); }
  // n elements whose values are unspecified until written (the padding up to the alignment is
  // zero): for a caller that writes every element at once.
  struct ForOverwrite {};
  CAlignedMem(size_t n, ForOverwrite) {
    const size_t bytes = Allocate(n, false);
    if (n == 0) return;
    std::memset(reinterpret_cast<char*>(data_) + n * sizeof(T), 0, bytes - n * sizeof(T));
  }
  // n elements copied from source (the padding up to the alignment is zero); written once, not
  // zeroed first.
  CAlignedMem(const T* source, size_t n) {
    const size_t bytes = Allocate(n, false);
    if (n == 0) return;
    std::memcpy(static_cast<void*>(data_), source, n * sizeof(T));
    std::memset(reinterpret_cast<char*>(data_) + n * sizeof(T), 0, bytes - n * sizeof(T));
  }
  ~CAlignedMem() { Release(); }
  CAlignedMem(const CAlignedMem&) = delete;
  CAlignedMem& operator=(const CAlignedMem&) = delete;

  // A shared buffer made with the arguments of one of the constructors.
  template <typename... Args>
  static std::shared_ptr<CAlignedMem> Make(Args&&... args) {
    return std::allocate_shared<CAlignedMem>(CNodePoolAllocator<CAlignedMem>{},
                                             std::forward<Args>(args)...);
  }

  // A new buffer with the same elements.
  std::shared_ptr<CAlignedMem> Clone() const {
    auto copy = Make(data_, size_);
    if (size_ > 0) CAlignedMemStats::CountCopy(size_ * sizeof(T));
    return copy;
  }

  // Reallocates to n zero elements (the old content is dropped); no-op when n equals size().
  void Resize(size_t n) {
    if (n == size_) return;
    Release();
    Allocate(n);
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  // The bytes of a buffer of n elements: rounded up to the alignment.
  static size_t BytesOf(size_t n) {
    return (n * sizeof(T) + kAlignment - 1) / kAlignment * kAlignment;
  }

  // Returns the bytes allocated.
  size_t Allocate(size_t n, bool zero = true) {
    if (n == 0) return 0;
    const size_t bytes = BytesOf(n);
    data_ = static_cast<T*>(BufferPool::Take(bytes));
    if (zero) std::memset(static_cast<void*>(data_), 0, bytes);
    size_ = n;
    CAlignedMemStats::CountAllocation();
    return bytes;
  }
  void Release() {
    if (data_ != nullptr) BufferPool::Give(data_, BytesOf(size_));
    data_ = nullptr;
    size_ = 0;
  }

  T* data_ = nullptr;
  size_t size_ = 0;
};

using CAlignedFloatMem = CAlignedMem<float>;
using CAlignedFloatHandle = std::shared_ptr<CAlignedMem<float>>;
