#include "learn/KelLearnItemBase.h"

#include "host/Clock.h"

void KelLearnItemBase::InitNewLearn(unsigned n) {
  count = 0;
  SetNrToLearn(n);
  initTime = HostClock::WallTime();
}

void KelLearnItemBase::SetNrToLearn(unsigned n) {
  remaining = static_cast<int32_t>(n);
  active = static_cast<int32_t>(n);
  restartTime = HostClock::WallTime();
}

void KelLearnItemBase::LearnForever() {
  remaining = -1;
}
