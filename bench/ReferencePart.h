#pragma once
// The reference part of the benchmarks: 2,000 single values, 200 spectra of 4,096 bins, 20
// scalar tracks of 2,000 points and 2 spectrograms of 200 × 1,024 bins, spread over modes 1 to 4.
// Its spectra arrive in sample buffers of their own for every part (ReferencePart), so that no
// store can profit from buffers it has seen before; the values vary with the part's serial.
#include <cstdint>
#include <string>
#include <vector>

#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"

namespace ReferencePart {

inline constexpr int kModes = 4;
inline constexpr int kSingleValues = 2000;
inline constexpr int kSpectra = 200;
inline constexpr uint32_t kSpectrumBins = 4096;
inline constexpr int kScalarTracks = 20;
inline constexpr int kTrackPoints = 2000;
inline constexpr int kSpectrograms = 2;
inline constexpr int kSpectrogramRows = 200;
inline constexpr uint32_t kSpectrogramBins = 1024;
// The values of one part that get a limit or a learned item: one per single value, spectrum,
// track point and spectrogram row.
inline constexpr double kValuesPerPart =
    kSingleValues + kSpectra + kScalarTracks * kTrackPoints + kSpectrograms * kSpectrogramRows;

// The bytes of one part's samples: a float per single value, spectrum bin, track point and
// spectrogram bin.
inline constexpr double kSampleBytesPerPart =
    sizeof(float) *
    (kSingleValues + double{kSpectra} * kSpectrumBins + kScalarTracks * kTrackPoints +
     double{kSpectrograms} * kSpectrogramRows * kSpectrogramBins);

inline const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f,
                                CMeasuringUnit::flagLog);

// The quantities of the part, in the order they are inserted: channels 1 to 4, locations 1 to
// 3, sensor 2; every parameter id belongs to one instrument (1, 2500, 2001 or 2100).
inline QClavis SingleValueKey(int i) {
  return QClavis(1 + i / 500, 1, 1 + i % 4, 1 + i % 3, 1000 + i, 2);
}
inline QClavis SpectrumKey(int i) {
  return QClavis(1 + i / 50, 2500, 1 + i % 4, 1, 200 + i, 2);
}
inline QClavis ScalarTrackKey(int t) {
  return QClavis(1 + t / 5, 2001, 1, 1, 400 + t, 2);
}
inline QClavis SpectrogramKey(int s) {
  return QClavis(1 + s, 2100, 1, 1, 420, 2);
}

inline KelSigCurve MakeCurve(uint32_t bins, float level) {
  std::vector<float> samples(bins);
  for (uint32_t i = 0; i < bins; ++i) samples[i] = level + static_cast<float>(i % 53) * 0.1f;
  KelSigCurve curve;
  curve.ImportData(samples.data(), bins, 0.05f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  return curve;
}

// The spectra of one part, in sample buffers of their own.
struct Spectra {
  std::vector<KelSigCurve> spectra;
  std::vector<KelSigCurve> spectrogramRows;
  explicit Spectra(int serial) {
    const float level = static_cast<float>(serial % 3);
    for (int i = 0; i < kSpectra; ++i)
      spectra.push_back(MakeCurve(kSpectrumBins, 60.0f + i % 7 + level));
    for (int i = 0; i < kSpectrogramRows; ++i)
      spectrogramRows.push_back(MakeCurve(kSpectrogramBins, 50.0f + i % 5 + level));
  }
};

// Inserts the part's spectra with validation tag 1, sharing the part's buffers.
inline void InsertSpectra(CKelValueStore& store, const Spectra& part) {
  for (int i = 0; i < kSpectra; ++i)
    store.InsertSigCurve(SpectrumKey(i), part.spectra[static_cast<size_t>(i)], 1);
}

// Inserts the part's values with validation tag 1: single values and spectra expire at the end
// of the measurement, tracks at the end of the mode. The spectra share the part's buffers.
inline void Insert(CKelValueStore& store, const Spectra& part, int serial) {
  KelStoreSValue value;
  for (int i = 0; i < kSingleValues; ++i) {
    value.value = 80.0f + static_cast<float>((i + serial) % 11);
    store.InsertSValue(SingleValueKey(i), value, kDb, 1);
  }
  InsertSpectra(store, part);
  for (int t = 0; t < kScalarTracks; ++t) {
    const QClavis key = ScalarTrackKey(t);
    for (int p = 0; p < kTrackPoints; ++p)
      store.TrackScalarStore().InsertValue(key, p, 70.0f + static_cast<float>((p + serial) % 31),
                                           kDb, 22, SignalBase::expire_mode, 1);
  }
  for (int s = 0; s < kSpectrograms; ++s) {
    const QClavis key = SpectrogramKey(s);
    for (int p = 0; p < kSpectrogramRows; ++p)
      store.TrackCurveStore().InsertValue(key, p, part.spectrogramRows[static_cast<size_t>(p)], 1);
  }
}

// The instruments, channels, locations and acceleration signal of the part, and the parameters
// of its single values and spectra. The parameters of the tracks are each benchmark's own (with
// a trigger or without).
inline void AddPartDefinitions(TestPlan::Builder& plan) {
  plan.Instrument(1, "Level", 1)
      .Instrument(2500, "Order spectrum", 3)
      .Instrument(2001, "Order track", 2)
      .Instrument(2100, "Spectrogram", 5)
      .Channel(1, "Gearbox front")
      .Channel(2, "Gearbox rear")
      .Channel(3, "Input shaft")
      .Channel(4, "Output shaft")
      .Location(1, "Housing")
      .Location(2, "Bearing")
      .Location(3, "Flange")
      .Signal(2, "Acceleration", kDb);
  for (int i = 0; i < kSingleValues; ++i)
    plan.Parameter(SingleValueKey(i).parameter(), 1, "Level " + std::to_string(i));
  for (int i = 0; i < kSpectra; ++i)
    plan.Parameter(SpectrumKey(i).parameter(), 2500, "Spectrum " + std::to_string(i));
}

}  // namespace ReferencePart
