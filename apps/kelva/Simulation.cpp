#include "Simulation.h"

#include <cstdio>

SimPart DrawPart(const SimPlan& plan, uint64_t seed, int number) {
  SimPart part;
  part.number = number;
  char serial[32];
  std::snprintf(serial, sizeof(serial), "%06d", number);
  part.serial = plan.serialPrefix + serial;
  part.random.seed(seed * 1000003u + static_cast<uint64_t>(number));
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const double draw = uniform(part.random);
  if (plan.quantities.empty()) return part;
  std::uniform_int_distribution<int> which(0, static_cast<int>(plan.quantities.size()) - 1);
  if (draw < plan.defectShare) {
    part.defective = true;
    // An acoustic defect shows in a quantity that can carry one.
    for (int tries = 0; tries < 32 && part.defectQuantity < 0; ++tries) {
      const int q = which(part.random);
      if (plan.quantities[static_cast<size_t>(q)].defect > 0.0f) part.defectQuantity = q;
    }
    if (part.defectQuantity < 0) part.defective = false;
  } else if (draw < plan.defectShare + plan.missingSignalShare) {
    part.missingSignal = true;
    part.defectQuantity = which(part.random);
  }
  return part;
}
