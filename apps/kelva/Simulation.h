#pragma once
// The simulated parts of a test plan: its "simulation" section says, per measured quantity,
// what a good part delivers (a level with its scatter, a spectrum shape, a track over speed)
// and how a defect shows; the bench draws every part from a seeded generator, so a run with
// the same seed delivers the same parts.

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "host/MeasuringUnit.h"
#include "store/Keys.h"

// What an injected fault is: a gear-mesh order that rises, a tone that was not there (a
// bearing), a single value shifted, a track raised over part of its speed range, a track that
// rises more steeply over speed than it should (each of its points still near its own
// values: a fault only a statistic of the track sees), a signal that does not come.
enum class DefectKind {
  none,
  gearMesh,
  bearingTone,
  levelShift,
  trackBump,
  missingSignal,
  trackTilt
};
inline constexpr int kDefectKinds = 7;
// "gear mesh", "bearing tone", "level shift", "track bump", "missing signal", "track tilt" (""
// for none).
const char* DefectKindName(DefectKind kind);

struct SimQuantity {
  enum kind_t { kScalar, kSpectrum, kTrack, kSpectrogram };
  QClavis key;
  kind_t kind = kScalar;
  CMeasuringUnit unit;
  float nominal = 0.0f;  // scalar: the level of a good part
  float start = 0.0f;    // track: level at the lowest and the highest speed of the run
  float end = 0.0f;
  uint32_t bins = 0;  // spectrum and spectrogram rows
  float binWidth = 1.0f;
  float floor = 0.0f;
  std::vector<std::pair<float, float>> peaks;  // (order, height above the floor)
  float noise = 0.0f;                          // standard deviation from part to part
  float defect = 0.0f;     // how much a defect raises the quantity at most (0: never defective)
  float defectMin = 0.0f;  // and at least: each defective part draws its rise in between
  float defectAt = 0.0f;   // spectra: the order where the defect shows
  float tilt = 0.0f;       // tracks: how much more a tilted track rises over its run at most
  float tiltMin = 0.0f;    // and at least (0: a defect of the track is always a bump)
};

struct SimPlan {
  std::string platform = "Bench";
  std::string serialPrefix = "PART-";
  double defectShare = 0.0;         // share of parts with an acoustic defect
  double missingSignalShare = 0.0;  // share of parts where one signal is missing
  std::vector<int> sequence;        // the modes every part runs through
  std::vector<SimQuantity> quantities;
};

// Reads the "simulation" section of a plan file (docs/cli.md) with the plan's rules: unknown
// fields, numbers that do not fit their field, undefined modes and instruments and sizes
// beyond the maxima are refused with "Test plan '<file>', at <JSON pointer>: expected <what>".
// REQUIRES: the plan of the same file is installed (units and kinds come from it).
enum class SimulationRead {
  ok,       // `plan` holds the section
  missing,  // the plan has no "simulation" section; `error` says so
  refused,  // the file or the section cannot be used; `error` says why
};
SimulationRead ReadSimulation(const std::string& planPath, SimPlan& plan, std::string& error);

// What one part brings to the bench.
struct SimPart {
  int number = 0;
  std::string serial;
  bool defective = false;      // an acoustic defect
  bool missingSignal = false;  // one quantity delivers nothing
  int defectQuantity = -1;     // index into SimPlan::quantities
  DefectKind kind = DefectKind::none;
  float defectLevel = 0.0f;  // how much the defect raises the quantity
  float defectOrder = 0.0f;  // spectra: where the tone or order shows
  float rangeStart = 0.0f;   // tracks and spectrograms: the share of the run the defect
  float rangeEnd = 0.0f;     // covers, from 0 (first cell) to 1 (last)
  std::string defectText;
  std::mt19937_64 random;
};

SimPart DrawPart(const SimPlan& plan, uint64_t seed, int number);
