#include "host/NodePool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "host/UniqueTreeMap.h"

namespace {

using Table = CUniqueTreeMap<int64_t, double>;

// Runs body on a thread of its own, whose free lists start empty.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

void Fill(Table& table, int64_t first, int64_t count) {
  for (int64_t key = first; key < first + count; ++key)
    table.emplace(key, static_cast<double>(key) * 0.5);
}

TEST(NodePool, ATableFilledAgainAfterClearingTakesNoNodeFromTheHeap) {
  OnFreshThread([] {
    Table table;
    const uint64_t start = NodePool::heapBlocks;
    Fill(table, 0, 500);
    EXPECT_EQ(NodePool::heapBlocks - start, 500u);

    table.clear();
    Fill(table, 1000, 500);
    EXPECT_EQ(NodePool::heapBlocks - start, 500u);
    ASSERT_EQ(table.size(), 500u);
    EXPECT_EQ(table.begin()->first, 1000);
    EXPECT_EQ(table.rbegin()->second, 749.5);

    // Erasing some and inserting as many takes them back; one more comes from the heap.
    table.erase(table.begin(), std::next(table.begin(), 20));
    Fill(table, 5000, 21);
    EXPECT_EQ(NodePool::heapBlocks - start, 501u);
    EXPECT_EQ(table.size(), 501u);
  });
}

TEST(NodePool, AFreeListKeepsAtMostItsBoundAndGivesTheRestBackToTheHeap) {
  OnFreshThread([] {
    Table table;
    // One node size only on this thread: the count is that of its list.
    Fill(table, 0, static_cast<int64_t>(NodePool::kMaxFreeBlocks) + 10);
    EXPECT_EQ(NodePool::freeBlocks, 0u);
    table.clear();
    EXPECT_EQ(NodePool::freeBlocks, NodePool::kMaxFreeBlocks);
    EXPECT_EQ(NodePool::freeBytes % NodePool::kMaxFreeBlocks, 0u);
    const size_t blockBytes = NodePool::freeBytes / NodePool::kMaxFreeBlocks;
    EXPECT_GE(blockBytes, sizeof(Table::value_type));

    // Taking from the list counts it down.
    Fill(table, 0, 3);
    EXPECT_EQ(NodePool::freeBlocks, NodePool::kMaxFreeBlocks - 3);
    EXPECT_EQ(NodePool::freeBytes, (NodePool::kMaxFreeBlocks - 3) * blockBytes);
  });
}

TEST(NodePool, CopiesAndArraysWork) {
  OnFreshThread([] {
    Table table;
    Fill(table, 0, 100);
    Table copy = table;
    EXPECT_EQ(copy, table);
    copy.clear();
    copy = table;  // the copy takes the nodes the clear gave back
    EXPECT_EQ(copy.size(), 100u);

    // Arrays bypass the lists.
    CNodePoolAllocator<double> allocator;
    const size_t before = NodePool::freeBlocks;
    double* array = allocator.allocate(64);
    array[63] = 1.0;
    allocator.deallocate(array, 64);
    EXPECT_EQ(NodePool::freeBlocks, before);
  });
}

}  // namespace
