#pragma once
// The memory samples of a run (memory.csv, MemorySamples.h) read back, and the rule that says
// whether the run's memory stayed flat. One rule for every caller: `kelva inspect memory`, which
// scripts/soak runs, and the soak test apply this function.
//
// The rule. A run's memory grows while its bounded stores fill: the single-value history to its
// depth, the learn store until every quantity has its base learns, the report's detail file until
// it is first cut back to its bound (DetailRule), the allocator's pools to the largest part seen.
// Samples taken before `warmUpParts` parts are left out. The samples after the warm-up are split
// in two halves in part order (an odd middle sample goes to the later half). The memory is flat
// when neither the later half's largest resident size nor its peak (VmHWM, which also holds what
// happened between two samples) exceeds the earlier half's by more than the margin: the larger
// of 2 MiB and 5 % of the earlier half's largest resident size. Once every store has reached its
// bound, resident memory moves only by the working set of one part (its record, its spectra and
// tracks, a detail line being cut back) and by what the allocator keeps of it, a few hundred
// KiB; 2 MiB is several times that, and is reached by a leak of 1 KiB a part over 2,000 parts.
// The 5 % covers runs whose resident size is itself large, such as a build with sanitizers,
// whose allocator holds freed blocks back in a quarantine of its own.

#include <cstdint>
#include <string>
#include <vector>

struct MemorySample {
  int64_t parts = 0;
  int64_t rssKib = 0;
  int64_t peakKib = 0;
};

// Reads a memory.csv: its header, then lines of three whole numbers from 0, parts rising. False
// with `error` naming the file (and the line) when it is missing or not of that form.
bool ReadMemorySamples(const std::string& path, std::vector<MemorySample>& samples,
                       std::string& error);

// The demo plan's bounds are all reached within the first 3,000 parts: history depth 10 parts,
// the learn phase complete after about 32, the detail file first cut back after about 2,700.
constexpr int64_t kDefaultWarmUpParts = 3000;
// At least two samples in each half after the warm-up.
constexpr size_t kMinJudgedSamples = 4;
constexpr int64_t kMarginFloorKib = 2048;
constexpr int64_t kMarginPercent = 5;

struct MemoryHalf {
  int64_t firstParts = 0;
  int64_t lastParts = 0;
  int64_t maxRssKib = 0;
  int64_t maxPeakKib = 0;
};

struct MemoryVerdict {
  bool judged = false;  // false: too few samples after the warm-up; `reason` says so
  bool flat = false;
  std::string reason;  // one sentence
  MemoryHalf earlier;
  MemoryHalf later;
  int64_t marginKib = 0;
  size_t judgedSamples = 0;
};

MemoryVerdict JudgeMemory(const std::vector<MemorySample>& samples, int64_t warmUpParts);
