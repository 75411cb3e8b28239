#pragma once
// KelLearnSValue: the learn item of one final scalar or one track point: an exponentially
// weighted mean and mean of squares of the values learned.

#include <cstdint>
#include <tuple>

#include "learn/KelLearnItemBase.h"

class KelLearnSValue : public KelLearnItemBase {
 public:
  // Format version of the item's row in the learn file.
  static constexpr uint32_t s_version = 2;

  // Kernel defaults (active, nothing learned), mean and meanSquare 0.
  KelLearnSValue() = default;
  KelLearnSValue(int32_t remaining, uint32_t count, int32_t active, float mean, float meanSquare);
  ~KelLearnSValue() override = default;
  KelLearnSValue(const KelLearnSValue&) = default;
  KelLearnSValue& operator=(const KelLearnSValue&) = default;

  // Kernel start, then mean and meanSquare 0.
  void InitNewLearn(unsigned n) override;

  // The exponential average step with the weight f of the old values, in float arithmetic:
  // mean := f·mean + (1 − f)·x, meanSquare := f·meanSquare + (1 − f)·x². Inline: the
  // machines call it once for every track point.
  void Update(float x, float f) {
    const float newWeight = 1.0f - f;
    mean = f * mean + newWeight * x;
    meanSquare = f * meanSquare + newWeight * (x * x);
  }

  // Offers the value x with time constant tc: an inactive item returns false unchanged; an
  // active one takes the learn step, updates with GetFactor(count, tc) and returns true.
  bool LearnValue(float x, long tc);

  // References to remaining, count, active, initTime, restartTime, mean, meanSquare: the
  // columns of the item's row in the learn file.
  auto tuple() {
    return std::tie(remaining, count, active, initTime, restartTime, mean, meanSquare);
  }
  auto tuple() const {
    return std::tie(remaining, count, active, initTime, restartTime, mean, meanSquare);
  }

  float mean = 0.0f;
  float meanSquare = 0.0f;
};
