#include "RunCommand.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Bench.h"
#include "BenchClock.h"
#include "BenchSettings.h"
#include "Checkpoints.h"
#include "Interrupt.h"
#include "LampPort.h"
#include "OperatorViews.h"
#include "Plugin.h"
#include "ReportData.h"
#include "RunLog.h"
#include "Simulation.h"
#include "Summary.h"
#include "Terminal.h"
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

// The operator windows of the bench, created the way the host creates modules: Create,
// PostCreate, OnSpecialCreate. Their windows open at start (the run shows them).
std::vector<std::unique_ptr<CModule>> CreateWindows() {
  CSeaBase::PreferenceSea()->LookupSetBool("Ampel-BeimStartOffen", true, 0);
  CSeaBase::PreferenceSea()->LookupSetBool("Report-ViewOffen", true, 0);
  std::vector<std::unique_ptr<CModule>> windows;
  for (const auto& [className, name] : {std::pair<const char*, const char*>{"CAmpelModul", "Ampel"},
                                        {"CReportWindowModule", "Report"}}) {
    std::unique_ptr<CModule> module = CModuleRegister::CreateModule(className);
    if (module && module->Create(name, nullptr)) windows.push_back(std::move(module));
  }
  for (const auto& window : windows) window->PostCreate();
  for (const auto& window : windows)
    if (auto* client = dynamic_cast<CSpecialModeClient*>(window.get())) client->OnSpecialCreate();
  return windows;
}

// What the operator saw of the part that just ended.
OperatorPart TakeOperatorView(const OperatorDisplay& display, CLampPort& lamp,
                              uint64_t cycleStart) {
  OperatorPart part;
  part.modes = display.modes;
  part.lamp = lamp.Take();
  part.cycleStart = cycleStart;
  part.report = display.report;
  part.reportShown = display.reportShown;
  return part;
}

// Says once on stderr what went wrong with the lamp and the printer.
class CDeviceComplaints {
 public:
  void Check(const CLampPort& lamp, const OperatorDisplay& display) {
    if (!lampSaid_ && !lamp.WriteFailure().empty()) {
      std::fprintf(stderr, "kelva: %s; the run goes on without it\n", lamp.WriteFailure().c_str());
      lampSaid_ = true;
    }
    for (; printSaid_ < display.printFailures.size(); ++printSaid_)
      std::fprintf(stderr, "kelva: %s\n", display.printFailures[printSaid_].c_str());
  }

 private:
  bool lampSaid_ = false;
  size_t printSaid_ = 0;
};

// Drives the parts; the modules exist for exactly this scope.
int RunParts(const RunOptions& options, const CPlugin& plugin, const SimPlan& simulation,
             const std::string& workdir, CLampPort& lamp, int lastIssued) {
  const std::string settingsFile = workdir + "settings.txt";
  OperatorDisplay display;
  const COperatorViews views(display, workdir + "reports/");
  lamp.Connect();
  // The bench's clock runs before the modules are made: their timers start on it.
  CBenchClock clock(options.cycleMs);
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
  std::vector<std::unique_ptr<CModule>> windows = CreateWindows();

  const CDtParamInstance params;
  CBench bench(plugin, simulation, station->Name(), options.seed);
  CTerminal terminal(options.json, options.parts);
  CSummary summary(options.json, terminal.Colours());
  CCheckpoints checkpoints(plugin, *client, settingsFile, options.saveEvery, options.saveSeconds);
  CDeviceComplaints complaints;
  CReportData reportData(workdir);
  const CInterruptGuard interrupt;
  const int lastPart = lastIssued + options.parts;
  checkpoints.Start(lastIssued, lastPart);
  const auto started = std::chrono::steady_clock::now();
  bool learned = false;  // once complete, the learn phase stays so for the run
  int lastDone = lastIssued;
  for (int i = 0; i < options.parts; ++i) {
    const int serial = lastIssued + 1 + i;
    const bool last = i + 1 == options.parts;
    if (!learned) learned = LearnPhaseComplete(plugin.LearnSummary());
    const uint64_t cycleStart = clock.StartCycle();
    PartOutcome outcome = bench.RunPart(serial);
    clock.FinishCycle(last);
    outcome.operatorView = TakeOperatorView(display, lamp, cycleStart);
    terminal.BeforeOutput();
    summary.Part(outcome, params.BaseType(), params, learned);
    reportData.AddPart(outcome, params.BaseType(), plugin);  // what `kelva report` shows
    std::fflush(stdout);  // a part's lines are out when the part is done, even if the run is killed
    complaints.Check(lamp, display);
    checkpoints.AfterPart(serial);
    lastDone = serial;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    terminal.Progress(i + 1, summary.Ok(), summary.Nok(), seconds);
    if (CInterruptGuard::Requested()) break;
  }
  terminal.Finish();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  CFensterManager::SetNowExit(true);
  checkpoints.Finish(lastDone);
  client->OnSpecialShutdown();
  summary.Print(seconds, checkpoints, plugin.LearnSummary(), params);
  if (!options.json && !display.printed.empty())
    std::printf("  printed reports: %zu in %sreports/\n", display.printed.size(), workdir.c_str());
  windows.clear();
  CFensterManager::SetNowExit(false);
  station.reset();
  sequencer.reset();
  if (CInterruptGuard::Requested()) {
    std::fprintf(stderr, "kelva: interrupted: stopped after part %d of %d; everything is saved\n",
                 lastDone - lastIssued, options.parts);
    return 130;
  }
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
  if (options.print) CSeaBase::ApplicationSea()->LookupSetBool("Report-Druckoptionen", true, 1);
  CLampPort lamp;
  if (!options.lamp.empty() && !lamp.Open(options.lamp, error))
    return Refuse(error + "; nothing was run");
  McSetPlatformName(simulation.platform);
  return RunParts(options, plugin, simulation, workdir.Path(), lamp, lastIssued);
}
