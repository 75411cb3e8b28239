#pragma once
// The heap allocations of the whole process (the plug-in's included) since it started, counted
// by the replaced global operator new and delete (plain and aligned) of AllocationCount.cpp,
// linked into a benchmark that reports allocations or memory.
#include <cstdint>

uint64_t AllocationCount();

#ifdef KELVA_COUNT_HEAP_BYTES
// The bytes the blocks made by operator new hold now (usable size and the allocator's size word
// of each), net of those freed by operator delete. Memory taken with malloc directly is not in
// it. Only in a benchmark built with KELVA_COUNT_HEAP_BYTES: the tally costs every allocation.
int64_t HeapBytesHeld();
#endif
