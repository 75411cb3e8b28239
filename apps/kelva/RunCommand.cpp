#include "RunCommand.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Bench.h"
#include "BenchClock.h"
#include "BenchSettings.h"
#include "Checkpoints.h"
#include "HostModules.h"
#include "Interrupt.h"
#include "LampPort.h"
#include "MarginalBand.h"
#include "MeasurementLogReader.h"
#include "MeasurementLogWriter.h"
#include "MemorySamples.h"
#include "OperatorViews.h"
#include "PartDriver.h"
#include "PartSource.h"
#include "Plugin.h"
#include "ReportData.h"
#include "RunLog.h"
#include "Simulation.h"
#include "Summary.h"
#include "Terminal.h"
#include "WorkDir.h"
#include "host/Candidate.h"
#include "host/Clock.h"
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

// Says on stderr what went wrong with the lamp and the run's log (once each) and the printer
// (each report it could not print, then forgotten).
class CDeviceComplaints {
 public:
  void Check(const CLampPort& lamp, OperatorDisplay& display, const CRunLog& log) {
    if (!lampSaid_ && !lamp.WriteFailure().empty()) {
      std::fprintf(stderr, "kelva: %s; the run goes on without it\n", lamp.WriteFailure().c_str());
      lampSaid_ = true;
    }
    if (!logSaid_ && !log.WriteFailure().empty()) {
      std::fprintf(stderr, "kelva: %s; lines are missing from it\n", log.WriteFailure().c_str());
      logSaid_ = true;
    }
    for (const std::string& failure : display.printFailures)
      std::fprintf(stderr, "kelva: %s\n", failure.c_str());
    display.printFailures.clear();
  }

 private:
  bool lampSaid_ = false;
  bool logSaid_ = false;
};

// The simulated parts of a run: serials after the last one issued.
class CSimulatedParts : public CPartSource {
 public:
  // The serials firstSerial … firstSerial + count - 1 (which the part counter keeps in range).
  CSimulatedParts(const SimPlan& plan, uint64_t seed, int firstSerial, int count)
      : bench_(plan, seed), platform_(plan.platform), next_(firstSerial), left_(count) {}
  bool Next(PartRecord& part, std::string& error) override {
    error.clear();
    if (left_ <= 0) return false;
    --left_;
    part = bench_.MakePart(next_);
    if (left_ > 0) ++next_;  // the last serial may be the largest int
    return true;
  }
  std::string Platform() const override { return platform_; }

 private:
  CBench bench_;
  std::string platform_;
  int next_;
  int left_;
};

// What a run drives and keeps besides its results.
struct RunInput {
  CPartSource& source;
  bool replay = false;  // recorded parts: their recorded times, no serials issued
  int lastIssued = 0;   // the part counter at the start
  int parts = 0;        // how many parts the run plans, 0 when not known
  CMeasurementLogWriter* record = nullptr;  // the log the parts are recorded into, if any
  const CMarginalBands& marginal;           // the plan's marginal bands
};

// The part's values in their marginal band (none when the plan has no bands).
std::vector<MarginalValue> FindMarginal(const CMarginalBands& bands, const CPlugin& plugin) {
  std::string text;
  if (bands.Empty() || !plugin.DescribePart(text)) return {};
  const nlohmann::json part = nlohmann::json::parse(text, nullptr, false);
  return part.is_discarded() ? std::vector<MarginalValue>{} : bands.Find(part);
}

// Drives the parts; the modules exist for exactly this scope.
int RunParts(const RunOptions& options, const CPlugin& plugin, RunInput& input,
             const std::string& workdir, CLampPort& lamp, const CRunLog& log) {
  const std::string settingsFile = workdir + "settings.txt";
  OperatorDisplay display;
  const COperatorViews views(display, workdir + "reports/");
  lamp.Connect();
  std::string sourceError, recordError;
  PartRecord part, next;
  // How long the source takes for a part: the simulation or reading the log.
  double sourceMilliseconds = 0.0;
  const auto nextPart = [&](PartRecord& record) {
    const auto start = std::chrono::steady_clock::now();
    const bool got = input.source.Next(record, sourceError);
    sourceMilliseconds +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return got;
  };
  bool have = nextPart(part);
  // The bench's clock runs before the modules are made: their timers start on it. A replay's
  // clock starts where its first part was recorded.
  CBenchClock clock(options.cycleMs, input.replay);
  clock.HoldDuringParts(input.record != nullptr);
  if (input.replay && have) clock.StartAt(part.tick, part.wallMilliseconds);
  // The host's learn-file module first: the sequencer finds it when it is created, and it
  // outlives the sequencer.
  CQLearnFileDlg learnFile;
  learnFile.Create("LearnFile", nullptr);
  std::unique_ptr<CModule> sequencer = CreateHostModule("CKelSequencer", "Sequencer");
  std::unique_ptr<CModule> station = CreateHostModule("CMainStation", "MainStation");
  auto* client = dynamic_cast<CSpecialModeClient*>(sequencer.get());
  if (client == nullptr || !station)
    return Refuse("the plug-in does not provide CKelSequencer and CMainStation");
  sequencer->PostCreate();
  station->PostCreate();
  std::vector<std::unique_ptr<CModule>> windows = CreateWindows();

  const CDtParamInstance params;
  CPartDriver driver(plugin, station->Name());
  CTerminal terminal(options.json, input.parts);
  CSummary summary(options.json, terminal.Colours());
  summary.SetReplay(input.replay);
  CCheckpoints checkpoints(plugin, *client, settingsFile, options.saveEvery, options.saveSeconds);
  checkpoints.KeepPartCounter(!input.replay);
  CDeviceComplaints complaints;
  CReportData reportData(workdir);
  CMemorySamples memory(CMemorySamples::File(workdir), options.memoryEvery);
  const CInterruptGuard interrupt;
  const int lastPart = input.replay ? INT_MAX : input.lastIssued + input.parts;
  checkpoints.Start(input.lastIssued, lastPart);
  const auto started = std::chrono::steady_clock::now();
  bool learned = false;  // once complete, the learn phase stays so for the run
  int lastDone = input.lastIssued;
  std::string platform;
  memory.Start();
  for (int i = 0; have; ++i) {
    // A serial is issued only under a reservation the settings file holds: one issued beyond it
    // would be issued again by the next run.
    if (!input.replay && !checkpoints.MayIssue(input.lastIssued + i + 1)) {
      std::fprintf(stderr,
                   "kelva: the part counter could not be saved to %s, so the run stops after %d "
                   "of %d parts: the next part's serial could be issued again\n",
                   settingsFile.c_str(), i, input.parts);
      break;
    }
    // The next part is read before this one runs, so the run knows its last part.
    const bool haveNext = !CInterruptGuard::Requested() && nextPart(next);
    const bool last = !haveNext;
    if (input.source.Platform() != platform) McSetPlatformName(platform = input.source.Platform());
    if (!learned) learned = LearnPhaseComplete(plugin.LearnSummary());
    const uint64_t cycleStart = input.replay
                                    ? clock.StartRecordedCycle(part.tick, part.wallMilliseconds)
                                    : clock.StartCycle();
    if (!input.replay) {
      part.tick = cycleStart;
      part.wallMilliseconds = HostClock::WallMilliseconds();
    } else {
      part.part.number = i + 1;  // a recorded part is numbered by its place in the replay
    }
    PartOutcome outcome = driver.Drive(part);
    clock.FinishCycle(last, part.cycleMs);
    if (input.record != nullptr && input.record->IsOpen() &&
        !input.record->Write(part, outcome.result, clock.CycleSoFar(), recordError)) {
      std::fprintf(stderr, "kelva: %s; the recording stops here\n", recordError.c_str());
      recordError.clear();  // said; the end of the run must not say it again
    }
    outcome.operatorView = TakeOperatorView(display, lamp, cycleStart);
    outcome.marginal = FindMarginal(input.marginal, plugin);
    terminal.BeforeOutput();
    summary.AddSourceTime(sourceMilliseconds);
    sourceMilliseconds = 0.0;
    summary.Part(outcome, params.BaseType(), params, learned);
    reportData.AddPart(outcome, params.BaseType(), plugin);  // what `kelva report` shows
    std::fflush(stdout);  // a part's lines are out when the part is done, even if the run is killed
    complaints.Check(lamp, display, log);
    lastDone = input.lastIssued + i + 1;
    checkpoints.AfterPart(lastDone);
    memory.AfterPart(i + 1);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    terminal.Progress(i + 1, summary.Ok(), summary.Nok(), seconds);
    if (CInterruptGuard::Requested()) break;
    std::swap(part, next);
    have = haveNext;
  }
  terminal.Finish();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  CFensterManager::SetNowExit(true);
  checkpoints.Finish(lastDone);
  client->OnSpecialShutdown();
  summary.Print(seconds, checkpoints, plugin.LearnSummary(), params);
  if (!options.json && display.printed > 0)
    std::printf("  printed reports: %zu in %sreports/\n", display.printed, workdir.c_str());
  windows.clear();
  CFensterManager::SetNowExit(false);
  station.reset();
  sequencer.reset();
  const int done = lastDone - input.lastIssued;
  bool recorded = true;
  if (input.record != nullptr && (!input.record->IsOpen() || !input.record->Finish(recordError))) {
    if (!recordError.empty()) std::fprintf(stderr, "kelva: %s\n", recordError.c_str());
    recorded = false;
  }
  if (!sourceError.empty()) {
    std::fprintf(stderr,
                 "kelva: %s; the replay stopped before that part, after %d part(s), which are "
                 "saved\n",
                 sourceError.c_str(), done);
    return 2;
  }
  if (CInterruptGuard::Requested()) {
    if (input.replay)
      std::fprintf(stderr, "kelva: interrupted: stopped after part %d; everything is saved\n",
                   done);
    else
      std::fprintf(stderr, "kelva: interrupted: stopped after part %d of %d; everything is saved\n",
                   done, input.parts);
    return 130;
  }
  return !recorded || checkpoints.SettingsFailures() > 0 || checkpoints.HistoryFailures() > 0 ||
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
  const bool replay = !options.inputs.empty();
  const std::string planPath = options.plan.empty() ? TestPlan::DemoPlanPath() : options.plan;
  SimPlan simulation;
  if (!TestPlan::LoadFile(planPath)) return 2;  // the reader has said why
  const SimulationRead read = ReadSimulation(planPath, simulation, error);
  // A replay takes its parts from the logs; the plan needs no simulation section then.
  if (read == SimulationRead::refused || (read == SimulationRead::missing && !replay))
    return Refuse(error);

  int lastIssued = 0;
  if (!replay && !ReadPartCounter(options.parts, lastIssued, error))
    return Refuse(error + " (in " + settingsFile + "); nothing was run");
  if (settingsDamaged && !replay && !CSeaBase::ApplicationSea()->HasEntry(kPartCounterKey))
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
  CMarginalBands bands;
  if (!bands.Load(planPath, error)) return Refuse(error);
  CMeasurementLogWriter recording;
  if (!options.record.empty() && !recording.Open(options.record, simulation.platform, error))
    return Refuse(error + "; nothing was run");
  if (replay) {
    CMeasurementLogReader logs(options.inputs);
    RunInput input{logs, true, 0, 0, nullptr, bands};
    return RunParts(options, plugin, input, workdir.Path(), lamp, log);
  }
  CSimulatedParts simulated(simulation, options.seed, lastIssued + 1, options.parts);
  RunInput input{
      simulated, false, lastIssued, options.parts, options.record.empty() ? nullptr : &recording,
      bands};
  return RunParts(options, plugin, input, workdir.Path(), lamp, log);
}
