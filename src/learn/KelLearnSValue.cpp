#include "learn/KelLearnSValue.h"

KelLearnSValue::KelLearnSValue(int32_t remaining, uint32_t count, int32_t active, float mean,
                               float meanSquare)
    : KelLearnItemBase(remaining, count, active), mean(mean), meanSquare(meanSquare) {}

void KelLearnSValue::InitNewLearn(unsigned n) {
  KelLearnItemBase::InitNewLearn(n);
  mean = 0.0f;
  meanSquare = 0.0f;
}

bool KelLearnSValue::LearnValue(float x, long tc) {
  float f = 0.0f;
  if (!NextFactor(tc, f)) return false;
  Update(x, f);
  return true;
}
