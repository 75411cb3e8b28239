#pragma once
// KelLearnSummary: how far a learn store has learned, per mode — for the bench's summary and
// for inspecting learn files. A quantity counts when a learn procedure applies to it and it has
// learned at least one value; its
// number of learned parts is its item's count (for a track, the largest count of its points).
// A quantity has learned enough when each of its items has at least the procedure's number of
// base learns: below that its limits are the fixed ones.

#include <cstdint>
#include <vector>

class CKelLearnStore;

struct mode_learning_t {
  int32_t mode = -1;
  int32_t quantities = 0;     // quantities of the mode with a learn procedure
  int32_t learnedEnough = 0;  // of them, those with at least their base learns
  uint32_t fewestParts = 0;   // the smallest number of parts a quantity learned from
  uint32_t mostParts = 0;     // the largest
};

// One entry per mode that has learned data, ascending by mode.
std::vector<mode_learning_t> KelLearnSummary(const CKelLearnStore& store);
