#include "RunCommand.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Bench.h"
#include "BenchSettings.h"
#include "Checkpoints.h"
#include "Plugin.h"
#include "RunLog.h"
#include "Simulation.h"
#include "Summary.h"
#include "WorkDir.h"
#include "host/Candidate.h"
#include "host/FileIO.h"
#include "host/LearnFileDlg.h"
#include "host/Module.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlan.h"

namespace {

int Refuse(const std::string& message) {
  std::fprintf(stderr, "kelva: %s\n", message.c_str());
  return 2;
}

std::unique_ptr<CModule> CreateModule(const std::string& className, const std::string& name) {
  std::unique_ptr<CModule> module = CModuleRegister::CreateModule(className);
  if (!module || !module->Create(name, nullptr)) return nullptr;
  if (auto* client = dynamic_cast<CSpecialModeClient*>(module.get())) client->OnSpecialCreate();
  return module;
}

// A settings file that lost entries is kept beside before anything is saved over it. False
// when it exists but cannot be kept (then nothing may be saved over it).
bool KeepDamagedSettings(const std::string& settingsFile) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(settingsFile, error))) return true;
  std::string keptAs;
  if (!FileIO::KeepDamagedFile(settingsFile, &keptAs)) return false;
  std::fprintf(stderr, "kelva: the damaged settings file was kept as %s\n", keptAs.c_str());
  return true;
}

// Drives the parts; the modules exist for exactly this scope.
int RunParts(const RunOptions& options, const CPlugin& plugin, const SimPlan& simulation,
             const std::string& settingsFile, int lastIssued) {
  // The host's learn-file module first: the sequencer finds it when it is created, and it
  // outlives the sequencer.
  CQLearnFileDlg learnFile;
  learnFile.Create("LearnFile", nullptr);
  std::unique_ptr<CModule> sequencer = CreateModule("CKelSequencer", "Sequencer");
  std::unique_ptr<CModule> station = CreateModule("CMainStation", "MainStation");
  auto* client = dynamic_cast<CSpecialModeClient*>(sequencer.get());
  if (client == nullptr || !station)
    return Refuse("the plug-in does not provide CKelSequencer and CMainStation");
  sequencer->PostCreate();
  station->PostCreate();

  const CDtParamInstance params;
  CBench bench(plugin, simulation, station->Name(), options.seed);
  CSummary summary(options.json);
  CCheckpoints checkpoints(plugin, *client, settingsFile, options.saveEvery, options.saveSeconds);
  const int lastPart = lastIssued + options.parts;
  checkpoints.Start(lastIssued, lastPart);
  const bool progress = !options.json && isatty(STDERR_FILENO) && options.parts >= 50;
  const auto started = std::chrono::steady_clock::now();
  bool learned = false;  // once complete, the learn phase stays so for the run
  for (int i = 0; i < options.parts; ++i) {
    const int serial = lastIssued + 1 + i;
    if (!learned) learned = LearnPhaseComplete(plugin.LearnSummary());
    summary.Part(bench.RunPart(serial), params.BaseType(), params, learned);
    std::fflush(stdout);  // a part's line is out when the part is done, even if the run is killed
    checkpoints.AfterPart(serial);
    if (progress && (i % 10 == 9 || i + 1 == options.parts)) {
      std::fprintf(stderr, "\r[%d/%d] %.0f %%", i + 1, options.parts,
                   100.0 * (i + 1) / options.parts);
      if (i + 1 == options.parts) std::fprintf(stderr, "\n");
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  checkpoints.Finish(lastPart);
  client->OnSpecialShutdown();
  summary.Print(seconds, checkpoints, plugin.LearnSummary(), params);
  station.reset();
  sequencer.reset();
  return checkpoints.SettingsFailures() > 0 || checkpoints.HistoryFailures() > 0 ||
                 checkpoints.LearnFileFailures() > 0
             ? 1
             : 0;
}

}  // namespace

int RunBench(const RunOptions& options) {
  CWorkDir workdir;
  std::string error;
  if (!workdir.Open(options.workdir, error)) return Refuse(error);
  PrWin::DefaultStderrSink().SetMask(options.verbose ? 0xff
                                                     : (PrWin::catOperator | PrWin::catWarning));
  CRunLog log;
  if (!log.Open(workdir.Path() + "kelva.log", error))
    std::fprintf(stderr, "kelva: %s\n", error.c_str());
  CScopedSink logged(&log);
  if (const int removed = workdir.RemoveLeftoverTemporaries(); removed > 0)
    std::fprintf(stderr, "kelva: removed %d temporary file(s) left by an interrupted run\n",
                 removed);

  CSeaBase::SetDefaultPaths(workdir.Path(), workdir.Path());
  const std::string settingsFile = workdir.Path() + "settings.txt";
  const bool settingsDamaged = !SeaFile::Load(settingsFile);

  CPlugin plugin;
  if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath() : options.plugin, error))
    return Refuse(error);
  const std::string planPath = options.plan.empty() ? TestPlan::DemoPlanPath() : options.plan;
  SimPlan simulation;
  if (!TestPlan::LoadFile(planPath)) return 2;  // the reader has said why
  if (ReadSimulation(planPath, simulation, error) != SimulationRead::ok) return Refuse(error);

  int lastIssued = 0;
  if (!ReadPartCounter(options.parts, lastIssued, error))
    return Refuse(error + " (in " + settingsFile + "); nothing was run");
  if (settingsDamaged && !CSeaBase::ApplicationSea()->HasEntry(kPartCounterKey))
    return Refuse("the part counter '" + std::string(kPartCounterKey) +
                  "' was lost from the damaged settings file " + settingsFile +
                  "; serials would repeat. Set it to the last serial number issued (or higher) "
                  "in that file; nothing was run");
  if (settingsDamaged && !KeepDamagedSettings(settingsFile))
    return Refuse("the damaged settings file " + settingsFile +
                  " cannot be kept aside; nothing was run, so nothing is saved over it");
  for (const std::string& key : ApplyBenchSettings())
    if (settingsDamaged)
      std::fprintf(stderr, "kelva: settings entry '%s' set to the bench's values\n", key.c_str());
  McSetPlatformName(simulation.platform);
  return RunParts(options, plugin, simulation, settingsFile, lastIssued);
}
