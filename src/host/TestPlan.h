#pragma once
// Test plans: the parameter database as one JSON file (docs/test-plan.md). A plan is read
// whole into a new CParamSet, checked, and only then made current; a plan that breaks the
// format is refused with one message that names the file, the place in the file (a JSON
// pointer such as "/quantities/3/key") and what was expected, and the previous plan stays
// current. Nothing of a refused plan is ever visible.

#include <memory>
#include <string>

#include "host/ParamSet.h"

namespace TestPlan {

// Reads, checks and installs a plan file. False: one message (category 1, style 3), the
// current plan unchanged.
bool LoadFile(const std::string& path);
// The same for a plan given as text; `fileName` names it in the message.
bool LoadText(const std::string& text, const std::string& fileName);

// Reads a plan without installing it. Null with `error` set (the message text without the
// trailing line feed) when it is refused.
std::shared_ptr<CParamSet> Parse(const std::string& text, const std::string& fileName,
                                 std::string& error);

// Checks the references inside a set (modes, instruments, parameters, polygons, codes, ...);
// "" when it is sound, else what is wrong, naming the table and the key.
std::string Check(const CParamSet& set);

// Checks and installs a set built in code (the tests' way to make small plans). False with
// one message when Check refuses it; the current plan is then unchanged.
bool Install(std::shared_ptr<const CParamSet> set, const std::string& origin);

// The embedded default plan: data/demo-plan.json of the source tree, or $KELVA_DATA_DIR.
std::string DemoPlanPath();

}  // namespace TestPlan
