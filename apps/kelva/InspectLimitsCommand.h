#pragma once
// `kelva inspect limits --plan PLAN WORKDIR`: the limits the learn state of a work folder gives
// under a plan, as readable text or (--json) one JSON object. The plan is installed first; the
// plug-in then reads every learn file of WORKDIR/Learn (in name order) and describes the limits
// of each (src/frame/LimitsDescriber.h). The learn files are only read.

#include "InspectCommand.h"

// `options.file` is the work folder, `options.plan` is required. The process exit code
// (docs/cli.md): 0 the description is on stdout; 2 the plan, the work folder, its learn files
// or the plug-in cannot be used (one line on stderr says why).
int InspectLimits(const InspectOptions& options);
