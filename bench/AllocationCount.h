#pragma once
// The heap allocations of the whole process (the plug-in's included) since it started, counted
// by the replaced global operator new (plain and aligned) of AllocationCount.cpp, linked into a
// benchmark that reports allocations.
#include <cstdint>

uint64_t AllocationCount();
