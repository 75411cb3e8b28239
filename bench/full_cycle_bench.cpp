// The whole cycle of the reference part (ReferencePart.h) through the plug-in, as the bench host
// drives it: the candidate enters, every train of the part goes through the intake station
// (instruments, limits, history, evaluation, learning), the result is requested and the test
// ends. Every part comes with new sample buffers, as real measurements do, made outside the
// timing. The parts before the timing complete the learn phase, so the figure is a running
// line's steady state. The heap allocations a part makes are counted too.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "AllocationCount.h"
#include "BenchClock.h"
#include "BenchSettings.h"
#include "HostModules.h"
#include "PartDriver.h"
#include "Plugin.h"
#include "ReferencePlanFile.h"
#include "ReferenceRecord.h"
#include "host/LearnFileDlg.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlan.h"

namespace {

constexpr int kWarmUpParts = 5;  // the learn phase (two base learns) and then some

// A bench host with the reference plan loaded, in a work folder of its own. Made once and never
// destroyed: the modules would otherwise outlive the plug-in's statics at exit.
struct Line {
  std::string folder;
  CPlugin plugin;
  std::unique_ptr<CBenchClock> clock;
  CQLearnFileDlg learnFile;
  std::unique_ptr<CModule> sequencer, station;
  std::unique_ptr<CPartDriver> driver;
  int serial = 0;
  std::string error;

  Line() {
    char name[] = "/tmp/kelva-full-cycle-XXXXXX";
    if (mkdtemp(name) == nullptr) {
      error = "no temporary folder";
      return;
    }
    folder = std::string(name) + "/";
    std::ofstream(folder + "reference-plan.json") << ReferencePlanFile::Plan().dump() << "\n";
    PrWin::DefaultStderrSink().SetMask(PrWin::catWarning);
    CSeaBase::SetDefaultPaths(folder, folder);
    if (!plugin.Load(DefaultPluginPath(), error)) return;
    if (!TestPlan::LoadFile(folder + "reference-plan.json")) {
      error = "the reference plan was refused";
      return;
    }
    ApplyBenchSettings();
    clock = std::make_unique<CBenchClock>(4000);
    learnFile.Create("LearnFile", nullptr);
    sequencer = CreateHostModule("CKelSequencer", "Sequencer");
    station = CreateHostModule("CMainStation", "MainStation");
    if (!sequencer || !station) {
      error = "the plug-in does not provide CKelSequencer and CMainStation";
      return;
    }
    sequencer->PostCreate();
    station->PostCreate();
    driver = std::make_unique<CPartDriver>(plugin, station->Name());
    for (int i = 0; i < kWarmUpParts; ++i) Drive(ReferenceRecord::Make(++serial));
  }
  ~Line() { std::filesystem::remove_all(folder); }

  int32_t Drive(PartRecord part) {
    part.tick = clock->StartCycle();
    const int32_t result = driver->Drive(part).result;
    clock->FinishCycle(false);
    return result;
  }
};

Line& TheLine() {
  static Line* line = new Line();
  return *line;
}

void BM_FullCycleOfTheReferencePart(benchmark::State& state) {
  Line& line = TheLine();
  if (!line.error.empty()) {
    state.SkipWithError(line.error.c_str());
    return;
  }
  uint64_t allocated = 0;
  int32_t result = -1;
  // The part lives on until the next one is made, so that the bench's own buffers are freed
  // outside the timing as they are made outside it.
  PartRecord part;
  for (auto _ : state) {
    state.PauseTiming();
    part = ReferenceRecord::Make(++line.serial);
    part.tick = line.clock->StartCycle();
    const uint64_t before = AllocationCount();
    state.ResumeTiming();
    const PartOutcome outcome = line.driver->Drive(part);
    state.PauseTiming();
    allocated += AllocationCount() - before;
    result = outcome.result;
    line.clock->FinishCycle(false);
    state.ResumeTiming();
  }
  state.counters["allocations"] =
      benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
  state.counters["result"] = result;
}
BENCHMARK(BM_FullCycleOfTheReferencePart)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
