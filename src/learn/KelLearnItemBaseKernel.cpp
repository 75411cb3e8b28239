#include "learn/KelLearnItemBaseKernel.h"

#include "host/Clock.h"

KelLearnItemBaseKernel::KelLearnItemBaseKernel() : KelLearnItemBaseKernel(0, 0, 1) {}

KelLearnItemBaseKernel::KelLearnItemBaseKernel(int32_t remaining, uint32_t count, int32_t active)
    : remaining(remaining),
      count(count),
      active(active),
      initTime(HostClock::WallTime()),
      restartTime(initTime) {}

bool KelLearnItemBaseKernel::NextFactor(long tc, float& factor) {
  CExpAverFacMemo factors;
  return NextFactor(tc, factor, factors);
}
