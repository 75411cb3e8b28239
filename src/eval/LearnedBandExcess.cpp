#include "eval/LearnedBandExcess.h"

#include <cmath>

#include "host/Numeric.h"

namespace LearnedBandExcess {

namespace {

// The amplitude of a level in dB.
float Amplitude(float level) {
  return std::pow(10.0f, level * 0.05f);
}

// The level in dB by which amplitude `amplitude` lies outside [lower, upper]; 0 inside.
float ExcessOf(float amplitude, float lower, float upper) {
  if (amplitude > upper) return 20.0f * std::log10(amplitude / upper);
  if (amplitude < lower) return 20.0f * std::log10(lower / amplitude);
  return 0.0f;
}

}  // namespace

SpectrumStatistic LargestExcess(const float* c, const float* a, const float* q, size_t n, float w,
                                float sigmaFactor, float offset) {
  SpectrumStatistic largest;
  for (size_t i = 0; i < n; ++i) {
    const float band = sigmaFactor * numeric::stddev(a[i], q[i], 1.0f) + offset;
    const float excess = ExcessOf(Amplitude(c[i]), Amplitude(a[i] - band), Amplitude(a[i] + band));
    if (excess > largest.value) largest = {excess, static_cast<float>(i) * w};
  }
  return largest;
}

}  // namespace LearnedBandExcess
