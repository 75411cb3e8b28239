#pragma once
// The reference part (ReferencePart.h) as the bench delivers it and a measurement log holds it:
// per mode a train per cell of the run with the mode's track points and spectrogram rows, then
// the final values (spectra and single values) in one train.
#include <memory>
#include <string>
#include <vector>

#include "PartRecord.h"
#include "ReferencePart.h"
#include "host/Signal.h"

namespace ReferenceRecord {

using namespace ReferencePart;

constexpr int kTrigger = 1;

inline SClavis ToSClavis(const QClavis& key) {
  return SClavis{key.mode(),     key.instrument(), key.channel(),
                 key.location(), key.parameter(),  key.sensor()};
}

inline std::shared_ptr<CMeasuringResultScalar> Scalar(const QClavis& key, float value) {
  auto scalar = std::make_shared<CMeasuringResultScalar>();
  scalar->SetClavis(ToSClavis(key));
  scalar->value = value;
  scalar->unit = kDb;
  return scalar;
}

inline std::shared_ptr<CSignalieee32> Curve(const QClavis& key, uint32_t bins, float level) {
  std::vector<float> samples(bins);
  for (uint32_t i = 0; i < bins; ++i) samples[i] = level + static_cast<float>(i % 53) * 0.1f;
  auto curve = std::make_shared<CSignalieee32>(
      CDescription(bins, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb), std::move(samples));
  curve->SetClavis(ToSClavis(key));
  return curve;
}

// The steps of one mode as the bench sends them: a train per cell of the run with the mode's
// track points (and spectrogram rows), then the final values in one train.
inline void AddMode(int mode, int serial, std::vector<PartStep>& steps) {
  steps.push_back({PartStep::beginMode, mode, {}, {}, false});
  steps.push_back({PartStep::beginMeasurement, mode, {}, {}, false});
  for (int cell = 0; cell < kTrackPoints; ++cell) {
    PartStep train{PartStep::deliver, mode, "TriggeredInput", {}, true};
    for (int t = 0; t < kScalarTracks; ++t) {
      if (ScalarTrackKey(t).mode() != mode) continue;
      auto point = Scalar(ScalarTrackKey(t), 70.0f + static_cast<float>((cell + serial) % 31));
      point->SetTrigger(kTrigger, cell);
      train.values.push_back(point);
    }
    for (int s = 0; s < kSpectrograms; ++s) {
      if (SpectrogramKey(s).mode() != mode || cell >= kSpectrogramRows) continue;
      auto row = Curve(SpectrogramKey(s), kSpectrogramBins, 50.0f + cell % 5 + serial % 3);
      row->SetTrigger(kTrigger, cell);
      train.values.push_back(row);
    }
    steps.push_back(std::move(train));
  }
  PartStep finals{PartStep::deliver, mode, "FinalInput", {}, false};
  for (int i = 0; i < kSpectra; ++i)
    if (SpectrumKey(i).mode() == mode)
      finals.values.push_back(Curve(SpectrumKey(i), kSpectrumBins, 60.0f + i % 7 + serial % 3));
  for (int i = 0; i < kSingleValues; ++i)
    if (SingleValueKey(i).mode() == mode)
      finals.values.push_back(
          Scalar(SingleValueKey(i), 80.0f + static_cast<float>((i + serial) % 11)));
  steps.push_back(std::move(finals));
  steps.push_back({PartStep::endMeasurement, mode, {}, {}, false});
  steps.push_back({PartStep::endMode, mode, {}, {}, false});
}

inline PartRecord Make(int serial) {
  PartRecord record;
  record.part.serial = "REF-" + std::to_string(serial);
  record.type = "REF";
  record.tick = 1000u * static_cast<uint64_t>(serial);
  record.wallMilliseconds = 1'800'000'000'000u + record.tick;
  for (int mode = 1; mode <= kModes; ++mode) AddMode(mode, serial, record.steps);
  return record;
}

}  // namespace ReferenceRecord
