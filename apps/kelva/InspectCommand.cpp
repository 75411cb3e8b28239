#include "InspectCommand.h"

#include <cstdio>

#include "Plugin.h"
#include "host/Output.h"
#include "host/TestPlan.h"

int InspectFile(const InspectOptions& options) {
  // The plan reader's refusal is an operator error of the output window, shown on stderr.
  PrWin::DefaultStderrSink().SetMask(PrWin::catOperator | PrWin::catWarning);
  CPlugin plugin;
  std::string text;
  if (!plugin.Load(options.plugin.empty() ? DefaultPluginPath() : options.plugin, text)) {
    std::fprintf(stderr, "kelva: %s\n", text.c_str());
    return 2;
  }
  if (!options.plan.empty() && !TestPlan::LoadFile(options.plan)) return 2;  // it has said why
  if (!plugin.DescribeFile(options.kind, options.file, options.json, text)) {
    std::fprintf(stderr, "kelva: %s\n", text.c_str());
    return 2;
  }
  std::fputs(text.c_str(), stdout);
  return 0;
}
