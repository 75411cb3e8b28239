#include "RunCommand.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "Bench.h"
#include "Plugin.h"
#include "Simulation.h"
#include "Summary.h"
#include "host/Candidate.h"
#include "host/FileIO.h"
#include "host/Module.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlan.h"

namespace {

// Every output-window line of the run, in the work directory's log.
class LogSink : public PrWin::Sink {
 public:
  explicit LogSink(const std::string& path) : out_(path, std::ios::app) {}
  void Write(int category, int /*style*/, std::string_view text) override {
    if (out_) out_ << '[' << category << "] " << text;
  }

 private:
  std::ofstream out_;
};

// A fresh work directory gets the settings of a bench: history kept per part type, the plan's
// terminal error codes, and only the instruments the bench measures requested (values of
// second-level instruments are computed, not measured).
void SeedSettings(const SimPlan& simulation) {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  sea->LookupSetInt("Sequencer-Params", 0, 0);   // keep the history from part to part
  sea->LookupSetInt("Sequencer-Params", 10, 4);  // single-value history depth
  const CDtParamInstance params;
  const int codes[] = {1910, 1920, 1920, 1930};
  for (int field = 0; field < 4; ++field)
    if (params.ErrorCode().count(QIdx1(codes[field])) != 0)
      sea->LookupSetInt("Terminal-ErrorCode", codes[field], field);
  CResourceList instruments(sea, "Terminal-Instruments");
  for (const auto& [instrument, name] : params.Instrument()) {
    bool measured = false;
    for (const SimQuantity& q : simulation.quantities)
      measured = measured || q.key.instrument() == instrument.id();
    CResourceLine line = instruments.AddLineTail();
    line.SetInt(0, instrument.id());
    line.SetBool(1, measured);
  }
}

std::unique_ptr<CModule> CreateModule(const std::string& className, const std::string& name) {
  std::unique_ptr<CModule> module = CModuleRegister::CreateModule(className);
  if (!module || !module->Create(name, nullptr)) return nullptr;
  if (auto* client = dynamic_cast<CSpecialModeClient*>(module.get())) client->OnSpecialCreate();
  return module;
}

}  // namespace

int RunBench(const RunOptions& options) {
  namespace fs = std::filesystem;
  const std::string workdir = fs::absolute(options.workdir).lexically_normal().string() + "/";
  if (!FileIO::CreateFolder(workdir)) {
    std::fprintf(stderr, "kelva: cannot create the work directory %s\n", workdir.c_str());
    return 2;
  }
  PrWin::DefaultStderrSink().SetMask(options.verbose ? 0xff
                                                     : (PrWin::catOperator | PrWin::catWarning));
  LogSink log(workdir + "kelva.log");
  PrWin::AddSink(&log);
  CSeaBase::SetDefaultPaths(workdir, workdir);
  const std::string settingsFile = workdir + "settings.txt";
  const bool freshWorkdir = !fs::exists(settingsFile);
  if (!SeaFile::Load(settingsFile))
    std::fprintf(stderr, "kelva: settings reset to their defaults\n");

  CPlugin plugin;
  std::string error;
  if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath() : options.plugin, error)) {
    std::fprintf(stderr, "kelva: %s\n", error.c_str());
    PrWin::RemoveSink(&log);
    return 2;
  }
  const std::string planPath = options.plan.empty() ? TestPlan::DemoPlanPath() : options.plan;
  SimPlan simulation;
  if (!TestPlan::LoadFile(planPath) || !ReadSimulation(planPath, simulation, error)) {
    if (!error.empty()) std::fprintf(stderr, "kelva: %s\n", error.c_str());
    PrWin::RemoveSink(&log);
    return 2;
  }
  if (freshWorkdir) SeedSettings(simulation);
  McSetPlatformName(simulation.platform);

  int status = 0;
  {
    std::unique_ptr<CModule> sequencer = CreateModule("CKelSequencer", "Sequencer");
    std::unique_ptr<CModule> station = CreateModule("CMainStation", "MainStation");
    if (!sequencer || !station) {
      std::fprintf(stderr, "kelva: the plug-in does not provide CKelSequencer and CMainStation\n");
      PrWin::RemoveSink(&log);
      return 2;
    }
    sequencer->PostCreate();
    station->PostCreate();

    const CDtParamInstance params;
    CBench bench(plugin, simulation, station->Name(), options.seed);
    CSummary summary(options.json);
    const int firstPart = CSeaBase::ApplicationSea()->LookupGetInt("Bench-Simulation", 0, 0) + 1;
    const bool progress = !options.json && isatty(STDERR_FILENO) && options.parts >= 50;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < options.parts; ++i) {
      const PartOutcome outcome = bench.RunPart(firstPart + i);
      summary.Part(outcome, params.BaseType(), params);
      if (progress && (i % 10 == 9 || i + 1 == options.parts)) {
        std::fprintf(stderr, "\r[%d/%d] %.0f %%", i + 1, options.parts,
                     100.0 * (i + 1) / options.parts);
        if (i + 1 == options.parts) std::fprintf(stderr, "\n");
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    CSeaBase::ApplicationSea()->LookupSetInt("Bench-Simulation", firstPart + options.parts - 1, 0);

    auto* client = dynamic_cast<CSpecialModeClient*>(sequencer.get());
    client->OnSpecialFileSave();
    client->OnSpecialShutdown();
    if (!SeaFile::Save(settingsFile)) status = 1;

    const std::string history =
        workdir + "History/" +
        FileIO::sanitizeFileName(simulation.platform + "_" + params.BaseType()) + ".dhf";
    summary.Print(seconds, fs::exists(history) ? history : std::string());
    station.reset();
    sequencer.reset();
  }
  PrWin::RemoveSink(&log);
  return status;
}
