#include "IntakePlan.h"

#include "host/TestPlanBuilder.h"

namespace Fuzz {

bool InstallIntakePlan() {
  TestPlan::Builder plan("intake");
  plan.Mode(1, "Run-up")
      .Instrument(kLevel, "Level", 1)
      .Instrument(kSpectrum, "Spectrum", 3)
      .Instrument(kTrack, "Track", 2)
      .Instrument(kSpectrogram, "Spectrogram", 5)
      .Channel(1, "Acc")
      .Location(1, "Input")
      .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
      .Trigger(kTrigger, "Speed")
      .TriggerAxis(1, kTrigger, 1, 1, 800, 10, 321, true, 5)
      .TriggerAxis(1, kTrigger, 2, 1, 0, 1, 10, false, 9)
      .Parameter(kLevelParameter, kLevel, "RMS")
      .Parameter(kSpectrumParameter, kSpectrum, "Spectrum")
      .Parameter(kTrackParameter, kTrack, "Order 23", QVInstrumentParam::eval_upper, kTrigger)
      .Parameter(kSpectrogramParameter, kSpectrogram, "Spectrogram", QVInstrumentParam::eval_upper,
                 kTrigger);
  return plan.Install();
}

SClavis IntakeKey(int instrument, int parameter) {
  return SClavis{1, instrument, 1, 1, parameter, 0};
}

}  // namespace Fuzz
