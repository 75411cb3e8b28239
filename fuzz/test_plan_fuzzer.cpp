// The test plan and its simulation section: TestPlan::Parse and Check, and, for a plan that
// passes, its installation and ReadSimulation of the same file.
#include <string>

#include "FuzzSupport.h"
#include "Simulation.h"
#include "host/ParamSet.h"
#include "host/TestPlan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::shared_ptr<CParamSet> plan = TestPlan::Parse(text, "plan.json", error);
  if (plan == nullptr) {
    if (error.empty()) Fuzz::Fail("a plan refused without a reason");
    return 0;
  }
  if (!TestPlan::Check(*plan).text.empty()) return 0;
  if (!TestPlan::Install(plan, "plan.json")) Fuzz::Fail("a checked plan is not installed");
  SimPlan simulation;
  const SimulationRead read =
      ReadSimulation(Fuzz::ScratchFile("plan.json", text), simulation, error);
  if (read != SimulationRead::ok && error.empty())
    Fuzz::Fail("a simulation section refused without a reason");
  return 0;
}
