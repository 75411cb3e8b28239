#include "host/BufferPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "host/AlignedMem.h"
#include "host/NodePool.h"

namespace {

// Runs body on a thread of its own, whose pools start empty.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

TEST(BufferPool, ABufferOfASizeFreedBeforeIsTakenAgainZeroedAndAligned) {
  OnFreshThread([] {
    const uint64_t start = BufferPool::HeapBuffers();
    {
      CAlignedFloatMem first(4096);
      first.data()[0] = 1.5f;
      first.data()[4095] = -2.0f;
    }
    EXPECT_EQ(BufferPool::HeapBuffers() - start, 1u);
    EXPECT_EQ(BufferPool::HeldBytes(), 4096 * sizeof(float));

    CAlignedFloatMem again(4096);
    EXPECT_EQ(BufferPool::HeapBuffers() - start, 1u);
    EXPECT_EQ(BufferPool::HeldBytes(), 0u);
    EXPECT_EQ(again.data()[0], 0.0f);
    EXPECT_EQ(again.data()[4095], 0.0f);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(again.data()) % BufferPool::kAlignment, 0u);

    // 1,000 floats round up to 4,000 bytes, 1,001 to 4,032: two sizes, two heap buffers.
    { CAlignedFloatMem other(1000); }
    { CAlignedFloatMem other(1001); }
    EXPECT_EQ(BufferPool::HeapBuffers() - start, 3u);
    EXPECT_EQ(BufferPool::HeldBytes(), 4000u + 4032u);
    const float source[3] = {1.0f, 2.0f, 3.0f};
    CAlignedFloatMem copy(source, 3);
    EXPECT_EQ(copy.data()[2], 3.0f);
    EXPECT_EQ(copy.data()[7], 0.0f);  // padding up to the alignment
  });
}

TEST(BufferPool, AThreadKeepsAtMostItsBytesAndItsSizes) {
  OnFreshThread([] {
    constexpr size_t kQuarter = BufferPool::kMaxHeldBytes / 4;
    {
      std::vector<std::unique_ptr<CAlignedMem<char>>> buffers;
      for (int i = 0; i < 5; ++i) buffers.push_back(std::make_unique<CAlignedMem<char>>(kQuarter));
    }
    EXPECT_EQ(BufferPool::HeldBytes(), BufferPool::kMaxHeldBytes);
  });
  OnFreshThread([] {
    for (size_t size = 1; size <= BufferPool::kMaxSizes + 1; ++size)
      CAlignedMem<char>(size * BufferPool::kAlignment);
    const size_t sizes = BufferPool::kMaxSizes;
    EXPECT_EQ(BufferPool::HeldBytes(), sizes * (sizes + 1) / 2 * BufferPool::kAlignment);
  });
}

TEST(BufferPool, SharedBuffersTakeTheirCountFromTheNodePool) {
  OnFreshThread([] {
    CAlignedFloatHandle first = CAlignedFloatMem::Make(256);
    first->data()[5] = 7.0f;
    CAlignedFloatHandle clone = first->Clone();
    EXPECT_EQ(clone->data()[5], 7.0f);
    const size_t freeNodes = NodePool::freeBlocks;
    first.reset();
    clone.reset();
    EXPECT_EQ(NodePool::freeBlocks, freeNodes + 2);
    const uint64_t nodes = NodePool::heapBlocks;
    const uint64_t buffers = BufferPool::HeapBuffers();
    CAlignedFloatHandle again = CAlignedFloatMem::Make(256, CAlignedFloatMem::ForOverwrite{});
    CAlignedFloatHandle second = CAlignedFloatMem::Make(256);
    EXPECT_EQ(NodePool::heapBlocks, nodes);
    EXPECT_EQ(NodePool::freeBlocks, freeNodes);
    EXPECT_EQ(BufferPool::HeapBuffers(), buffers);
    EXPECT_EQ(second->data()[5], 0.0f);
  });
}

}  // namespace
