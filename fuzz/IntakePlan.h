#pragma once
// The small plan the intake station is fuzzed under: one run-up mode with a level, a spectrum,
// an order track and a spectrogram, the run-up's speed trigger with a tracked axis and a second
// one. The seed maker writes trains of these keys.

#include "host/MeasuringResult.h"

namespace Fuzz {

// Installs the plan; false (with a message) when it is refused.
bool InstallIntakePlan();

// Keys of the plan's quantities (mode 1, channel 1, location 1).
SClavis IntakeKey(int instrument, int parameter);
constexpr int kLevel = 1, kLevelParameter = 10;
constexpr int kSpectrum = 2500, kSpectrumParameter = 20;
constexpr int kTrack = 2001, kTrackParameter = 30;
constexpr int kSpectrogram = 2100, kSpectrogramParameter = 40;
constexpr int kTrigger = 1;

}  // namespace Fuzz
