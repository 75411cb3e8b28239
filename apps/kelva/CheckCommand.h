#pragma once
// `kelva check PLAN`: reads a test plan and its simulation section with every rule `kelva run`
// applies, without loading the plug-in or touching a work directory, so a test engineer can
// check a plan before running it.

#include <string>

// The process exit code (docs/cli.md): 0 the plan is valid (one line on stdout names it and
// what it holds), 2 the plan or its simulation section is refused (the reason on stderr).
int CheckPlan(const std::string& planPath);
