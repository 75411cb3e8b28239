#pragma once
// Test plans: the parameter database as one JSON file (docs/test-plan.md). A plan is read
// whole into a new CParamSet, checked, and only then made current; a plan that breaks the
// format is refused with one message that names the file, the place in the file (a JSON
// pointer such as "/quantities/3/key") and what was expected, and the previous plan stays
// current. Nothing of a refused plan is ever visible.

#include <cstdint>
#include <memory>
#include <string>

#include "host/ParamSet.h"

namespace TestPlan {

// The largest things a plan may describe (docs/test-plan.md, section 1.1). A real bench needs
// far less; the bounds keep a mistyped number from making the bench allocate without end.
constexpr uint32_t kMaxAxisCells = 100000;            // cells of one trigger axis
constexpr size_t kMaxPolygonPoints = 10000;           // points of one polygon
constexpr uint32_t kMaxSpectrumBins = 100000;         // bins of a simulated spectrum
constexpr uint64_t kMaxSpectrogramValues = 10000000;  // bins x axis cells of a spectrogram

// Reads, checks and installs a plan file. False: one message (category 1, style 3), the
// current plan unchanged.
bool LoadFile(const std::string& path);
// The same for a plan given as text; `fileName` names it in the message.
bool LoadText(const std::string& text, const std::string& fileName);

// Reads a plan without installing it. Null with `error` set (the message text without the
// trailing line feed) when it is refused.
std::shared_ptr<CParamSet> Parse(const std::string& text, const std::string& fileName,
                                 std::string& error);

// A consistency problem of a set: what is wrong (naming the table and the key) and where the
// offending entry is in the plan file, as a JSON pointer ("" for a set built in code).
struct Problem {
  std::string at;
  std::string text;  // "" when the set is sound
};

// Checks the references inside a set (modes, instruments, parameters, polygons, codes, ...).
Problem Check(const CParamSet& set);

// The one-line refusal of a plan: "Test plan '<origin>', at <place>: <text>", or without the
// place when it is not known.
std::string RefusalText(const std::string& origin, const Problem& problem);

// Checks and installs a set built in code (the tests' way to make small plans). False with
// one message when Check refuses it; the current plan is then unchanged.
bool Install(std::shared_ptr<const CParamSet> set, const std::string& origin);

// The embedded default plan: data/demo-plan.json of the source tree, or $KELVA_DATA_DIR.
std::string DemoPlanPath();

}  // namespace TestPlan
