#pragma once
// `kelva run`: loads the plug-in and a test plan, creates the sequencer and the intake
// station, and drives simulated parts through the test sequence.

#include <cstdint>
#include <string>

struct RunOptions {
  std::string plan;
  std::string workdir = "kelva-work";
  std::string plugin;
  int parts = 20;
  uint64_t seed = 1;
  bool verbose = false;
  bool json = false;
};

// The process exit code (docs/cli.md).
int RunBench(const RunOptions& options);
