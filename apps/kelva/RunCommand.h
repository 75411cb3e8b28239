#pragma once
// `kelva run`: loads the plug-in and a test plan, creates the sequencer and the intake
// station, and drives simulated parts through the test sequence. `kelva replay` does the same
// with the parts of measurement logs.

#include <cstdint>
#include <string>
#include <vector>

struct RunOptions {
  std::string plan;
  std::string workdir = "kelva-work";
  std::string plugin;
  int parts = 20;
  uint64_t seed = 1;
  bool verbose = false;
  bool json = false;
  // Checkpoints: settings and history are saved every `saveEvery` parts and at least every
  // `saveSeconds` seconds.
  int saveEvery = 100;
  double saveSeconds = 5.0;
  // The lamp device the signal light's commands are written to ("" for none).
  std::string lamp;
  // Bench time of one part's cycle in milliseconds on a simulated clock; < 0: the real clock.
  int64_t cycleMs = -1;
  // Switches on the report window's automatic printing of parts that do not pass.
  bool print = false;
  // Records every part into this measurement log ("" for none).
  std::string record;
  // Samples the run's resident memory into <workdir>/memory.csv before the first part and
  // after every `memoryEvery` parts (MemorySamples.h); 0: no samples.
  int memoryEvery = 0;
  // A replay: the parts come from these measurement logs instead of the simulation.
  std::vector<std::string> inputs;
};

// The process exit code (docs/cli.md): 0 the run completed and everything was saved, 1 the
// run completed but the settings or the history could not be saved, 2 nothing was run (bad
// input, work directory in use or unusable, plug-in missing, lamp device unusable), 130 the
// run was stopped by Ctrl-C (or SIGTERM) after a part and everything was saved.
int RunBench(const RunOptions& options);
