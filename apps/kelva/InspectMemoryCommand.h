#pragma once
// `kelva inspect memory WORKDIR [--warm-up PARTS]`: the memory samples a run took with
// --memory-every (WORKDIR/memory.csv), as a table and a summary, and the verdict of the rule in
// MemoryCurve.h: flat after the warm-up or not.

#include <cstdint>
#include <string>

#include "MemoryCurve.h"

struct InspectMemoryOptions {
  std::string workdir;
  int64_t warmUpParts = kDefaultWarmUpParts;
};

// The process exit code (docs/cli.md): 0 the memory is flat after the warm-up, 1 it is not,
// 2 it cannot be judged: no samples, a damaged file, too few samples after the warm-up (one
// line on stderr says why). The table and summary are on stdout for 0 and 1, and for too few
// samples.
int InspectMemory(const InspectMemoryOptions& options);
