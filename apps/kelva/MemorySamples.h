#pragma once
// The run's own memory, sampled for a bench that runs unattended for years: with
// `--memory-every K` the run writes "memory.csv" into its work directory, one line per sample,
//
//   parts,rss_kib,peak_kib
//   0,13204,13412
//   1000,14876,16220
//
// a sample before the first part (parts 0) and one after every K-th part: the parts this run
// has done, the resident set size and its highest value since the process started, both in KiB
// as the kernel reports them (VmRSS and VmHWM of /proc/self/status). The peak catches what
// happens between two samples, such as a file rewritten in the middle of a part.
//
// Each run that samples writes the file anew (through a temporary name, as every file the run
// replaces) and appends one whole line per sample, so a killed run leaves the samples it took.
// When the memory cannot be read (no /proc) or the file cannot be written, stderr says so once
// and the run goes on without samples; the run's result and exit code do not depend on them.

#include <cstdint>
#include <string>

struct MemoryReading {
  int64_t rssKib = 0;
  int64_t peakKib = 0;
};

// Reads VmRSS and VmHWM from a process status file such as "/proc/self/status". False with
// `error` set (naming the file) when it cannot be read or lacks either line.
bool ReadMemoryStatus(const std::string& statusPath, MemoryReading& reading, std::string& error);

class CMemorySamples {
 public:
  // `every` 0: no samples, no file. `statusPath` is where the memory is read from.
  CMemorySamples(std::string csvPath, int every, std::string statusPath = "/proc/self/status");

  // Writes the header and the sample of part 0.
  void Start();
  // After the run's `parts`-th part: a sample when `parts` is a multiple of `every`.
  void AfterPart(int parts);

  static std::string File(const std::string& workdir) { return workdir + "memory.csv"; }
  static constexpr const char* kHeader = "parts,rss_kib,peak_kib";

 private:
  void Sample(int parts);
  void GiveUp(const std::string& why);

  std::string csvPath_;
  int every_;
  std::string statusPath_;
  bool on_;
};
