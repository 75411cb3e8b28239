#include "CheckCommand.h"

#include <cstdio>

#include "Simulation.h"
#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlan.h"

namespace {

// "<n> <one>" for n = 1, else "<n> <many>" ("<one>s" when `many` is not given).
std::string Count(size_t n, const std::string& one, const std::string& many = "") {
  return std::to_string(n) + " " + (n == 1 ? one : many.empty() ? one + "s" : many);
}

std::string PlanContents() {
  const CDtParamInstance params;
  return Count(params.Mode().size(), "mode") + ", " +
         Count(params.Instrument().size(), "instrument") + ", " +
         Count(ParamDatabase::Current().origins.quantities.size(), "quantity", "quantities") +
         ", " + Count(params.ErrorCode().size(), "error code");
}

}  // namespace

int CheckPlan(const std::string& planPath) {
  // The plan reader's refusal is an operator error of the output window, shown on stderr.
  PrWin::DefaultStderrSink().SetMask(PrWin::catOperator | PrWin::catWarning);
  if (!TestPlan::LoadFile(planPath)) return 2;
  SimPlan simulation;
  std::string error;
  std::string simulationText;
  switch (ReadSimulation(planPath, simulation, error)) {
    case SimulationRead::refused:
      std::fprintf(stderr, "kelva: %s\n", error.c_str());
      return 2;
    case SimulationRead::missing:
      simulationText = "no simulation section (kelva run needs one)";
      break;
    case SimulationRead::ok:
      simulationText = "simulation of " + Count(simulation.sequence.size(), "mode") + " with " +
                       Count(simulation.quantities.size(), "quantity", "quantities");
      break;
  }
  std::printf("Test plan '%s' (\"%s\") is valid: %s; %s\n", planPath.c_str(),
              CDtParamInstance().PlanName().c_str(), PlanContents().c_str(),
              simulationText.c_str());
  return 0;
}
