#include "learn/KelLearnItemBaseKernel.h"

#include <limits>

#include "host/Clock.h"

KelLearnItemBaseKernel::KelLearnItemBaseKernel() : KelLearnItemBaseKernel(0, 0, 1) {}

KelLearnItemBaseKernel::KelLearnItemBaseKernel(int32_t remaining, uint32_t count, int32_t active)
    : remaining(remaining),
      count(count),
      active(active),
      initTime(HostClock::WallTime()),
      restartTime(initTime) {}

void KelLearnItemBaseKernel::LearnStep() {
  if (count < std::numeric_limits<uint32_t>::max()) ++count;
  if (remaining > 0) --remaining;
  if (remaining == 0) active = 0;
}

bool KelLearnItemBaseKernel::NextFactor(long tc, float& factor) {
  CExpAverFacMemo factors;
  return NextFactor(tc, factor, factors);
}

bool KelLearnItemBaseKernel::NextFactor(long tc, float& factor, CExpAverFacMemo& factors) {
  if (active == 0) return false;
  LearnStep();
  factor = factors.GetFactor(static_cast<long>(count), tc);
  return true;
}
