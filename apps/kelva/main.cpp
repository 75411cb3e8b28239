// kelva: the test-bench host. `kelva run` loads the Kelva plug-in and a test plan, creates the
// sequencer and the intake station, and drives simulated parts through the test sequence;
// `kelva replay` drives the recorded parts of measurement logs the same way;
// `kelva check` reads a plan and its simulation section without running anything;
// `kelva inspect` describes a history or a learn file, the limits a work folder's learn
// state gives, or the memory samples of a run; `kelva report --html` writes an HTML page of the
// recorded runs.
#include <CLI/CLI.hpp>

#include "CheckCommand.h"
#include "InspectCommand.h"
#include "InspectLimitsCommand.h"
#include "InspectMemoryCommand.h"
#include "ReportCommand.h"
#include "RunCommand.h"
#include "frame/FileDescriber.h"

namespace {

// `kelva inspect <kind> FILE [--plan PLAN] [--json] [--plugin FILE]`.
CLI::App* AddInspectKind(CLI::App& inspect, const std::string& name, const std::string& what,
                         InspectOptions& options) {
  CLI::App* kind = inspect.add_subcommand(name, what);
  kind->add_option("FILE", options.file, "the file to describe")->required();
  kind->add_option("--plan", options.plan, "test plan (JSON) that names the ids of the keys");
  kind->add_flag("--json", options.json, "one JSON object instead of text");
  kind->add_option("--plugin", options.plugin, "the Kelva plug-in (libkelva.so)");
  return kind;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"kelva: end-of-line noise and vibration test bench"};
  app.require_subcommand(1);
  RunOptions options;
  CLI::App* run = app.add_subcommand("run", "drive simulated parts through a test plan");
  run->add_option("--plan", options.plan, "test plan (JSON); the embedded demo plan by default");
  run->add_option("--parts", options.parts, "number of parts")->check(CLI::Range(1, 10000000));
  run->add_option("--seed", options.seed, "seed of the simulated parts");
  run->add_option("--workdir", options.workdir, "folder of settings, history and log");
  run->add_option("--plugin", options.plugin, "the Kelva plug-in (libkelva.so)");
  run->add_flag("--verbose", options.verbose, "every output-window line on stderr");
  run->add_flag("--json", options.json, "one JSON object per part and one for the summary");
  run->add_option("--save-every", options.saveEvery,
                  "save settings and history every N parts (default 100)")
      ->check(CLI::Range(1, 10000000));
  run->add_option("--save-seconds", options.saveSeconds,
                  "save settings and history at least every S seconds (default 5)")
      ->check(CLI::Range(0.0, 86400.0));
  run->add_option("--lamp", options.lamp,
                  "write the signal lamp's commands to this device or file (a serial port)");
  run->add_option("--cycle-ms", options.cycleMs,
                  "run on a simulated clock: every part's cycle takes this many milliseconds")
      ->check(CLI::Range(int64_t{0}, int64_t{86'400'000}));
  run->add_flag("--print", options.print,
                "print the report of every part that does not pass (text files in "
                "<workdir>/reports/)");
  run->add_option("--record", options.record,
                  "record every part the run sends to the library into this measurement log");
  run->add_option("--memory-every", options.memoryEvery,
                  "sample the run's resident memory before the first part and after every K "
                  "parts into <workdir>/memory.csv (parts,rss_kib,peak_kib)")
      ->check(CLI::Range(1, 10000000));
  RunOptions replayOptions;
  CLI::App* replay =
      app.add_subcommand("replay", "drive the parts of measurement logs through a test plan");
  replay->add_option("--plan", replayOptions.plan, "test plan (JSON)")->required();
  replay->add_option("--input", replayOptions.inputs, "measurement logs, replayed in this order")
      ->required();
  replay->add_option("--workdir", replayOptions.workdir, "folder of settings, history and log");
  replay->add_option("--plugin", replayOptions.plugin, "the Kelva plug-in (libkelva.so)");
  replay->add_flag("--verbose", replayOptions.verbose, "every output-window line on stderr");
  replay->add_flag("--json", replayOptions.json,
                   "one JSON object per part and one for the summary");
  replay
      ->add_option("--save-every", replayOptions.saveEvery,
                   "save settings and history every N parts (default 100)")
      ->check(CLI::Range(1, 10000000));
  replay
      ->add_option("--save-seconds", replayOptions.saveSeconds,
                   "save settings and history at least every S seconds (default 5)")
      ->check(CLI::Range(0.0, 86400.0));
  replay->add_option("--lamp", replayOptions.lamp,
                     "write the signal lamp's commands to this device or file (a serial port)");
  replay
      ->add_option("--memory-every", replayOptions.memoryEvery,
                   "sample the run's resident memory before the first part and after every K "
                   "parts into <workdir>/memory.csv (parts,rss_kib,peak_kib)")
      ->check(CLI::Range(1, 10000000));
  replay->add_flag("--print", replayOptions.print,
                   "print the report of every part that does not pass (text files in "
                   "<workdir>/reports/)");
  std::string planToCheck;
  CLI::App* check = app.add_subcommand("check", "check a test plan and its simulation section");
  check->add_option("PLAN", planToCheck, "test plan (JSON)")->required();
  InspectOptions inspectOptions;
  CLI::App* inspect = app.add_subcommand("inspect", "describe a file the bench keeps");
  inspect->require_subcommand(1);
  CLI::App* inspectHistory =
      AddInspectKind(*inspect, "history", "a history file (.dhf)", inspectOptions);
  CLI::App* inspectLearn =
      AddInspectKind(*inspect, "learn", "a learn file (.learn)", inspectOptions);
  CLI::App* inspectLimits = inspect->add_subcommand(
      "limits", "the limits the learn files of a work folder give under a plan");
  inspectLimits->add_option("WORKDIR", inspectOptions.file, "the work folder of a run")->required();
  inspectLimits->add_option("--plan", inspectOptions.plan, "the test plan (JSON) of the run")
      ->required();
  inspectLimits->add_flag("--json", inspectOptions.json, "one JSON object instead of text");
  inspectLimits->add_option("--plugin", inspectOptions.plugin, "the Kelva plug-in (libkelva.so)");
  InspectMemoryOptions memoryOptions;
  CLI::App* inspectMemory = inspect->add_subcommand(
      "memory", "the memory samples of a run (memory.csv) and whether they stay flat");
  inspectMemory->add_option("WORKDIR", memoryOptions.workdir, "the work folder of the run")
      ->required();
  inspectMemory
      ->add_option(
          "--warm-up", memoryOptions.warmUpParts,
          "parts before the memory is judged (default " + std::to_string(kDefaultWarmUpParts) + ")")
      ->check(CLI::Range(int64_t{0}, int64_t{10000000}));
  ReportOptions reportOptions;
  CLI::App* report = app.add_subcommand("report", "write a report of the runs in a work folder");
  report->add_option("--html", reportOptions.html, "the HTML file to write")->required();
  report->add_option("WORKDIR", reportOptions.workdir, "the work folder (default kelva-work)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help exits 0; every usage error exits 2, as a refused input does.
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (check->parsed()) return CheckPlan(planToCheck);
  if (report->parsed()) return WriteReport(reportOptions);
  if (inspectLimits->parsed()) return InspectLimits(inspectOptions);
  if (inspectMemory->parsed()) return InspectMemory(memoryOptions);
  if (inspectHistory->parsed() || inspectLearn->parsed()) {
    inspectOptions.kind =
        inspectHistory->parsed() ? FileDescriber::kindHistory : FileDescriber::kindLearn;
    return InspectFile(inspectOptions);
  }
  if (replay->parsed()) return RunBench(replayOptions);
  return RunBench(options);
}
