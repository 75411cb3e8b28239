#pragma once
// The test plan of the reference part (ReferencePart.h) that the limit and evaluation
// benchmarks install, and what both do around the timed step: every quantity is limited and
// learns with a procedure of two base learns; spectra and tracks lie between two polygons;
// warm-up parts are learned first so that the learned limits apply.

#include <string>

#include "ReferencePart.h"
#include "host/ParamSet.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace ReferencePlan {

constexpr int kProcedure = 1;
constexpr uint32_t kBaseLearns = 2;
constexpr float kTimeConstant = 10.0f;
constexpr int kWarmUpParts = 3;
constexpr int kTrigger = 1;
constexpr int kSpeedSignal = 1;
// The x step of the reference part's spectra and spectrogram rows (ReferencePart::MakeCurve).
constexpr float kSpectrumStep = 0.05f;
// The sideways widening of the spectra's learned limits, in points; the expansion width is
// given in x units, so it is this many steps.
constexpr int kChimneyPoints = 3;
constexpr int kSpectrumLowerPolygon = 1;
constexpr int kSpectrumUpperPolygon = 2;
constexpr int kTrackLowerPolygon = 3;
constexpr int kTrackUpperPolygon = 4;
// The trigger axis of every mode: 800 to 2,799 rpm, one cell per track point.
constexpr double kAxisStart = 800.0;
constexpr double kAxisStep = 1.0;
// One limit per single value, spectrum, track point and spectrogram row.
constexpr double kLimitsPerPart = ReferencePart::kValuesPerPart;

// The error code (-1: none) and the absolute offset of the learned limits per kind of value.
struct LimitTerms {
  int singleValueCode = -1;
  int spectrumCode = -1;
  int trackCode = -1;
  int spectrogramCode = -1;
  float offset = 1.0f;
  float trackOffset = 1.0f;
};

inline void AddLimits(TestPlan::Builder& plan, const LimitTerms& terms) {
  using namespace ReferencePart;
  plan.Polygon(kSpectrumLowerPolygon, {{0.0f, 20.0f}, {100.0f, 30.0f}, {205.0f, 20.0f}})
      .Polygon(kSpectrumUpperPolygon, {{0.0f, 120.0f}, {100.0f, 110.0f}, {205.0f, 120.0f}})
      .Polygon(kTrackLowerPolygon, {{800.0f, 20.0f}, {2800.0f, 40.0f}})
      .Polygon(kTrackUpperPolygon, {{800.0f, 150.0f}, {1800.0f, 140.0f}, {2800.0f, 150.0f}});
  auto limited = [&plan](const QClavis& key, int code, float offset) {
    plan.Quantity(key, code, offset, 2.0f, 10.0f);
    plan.Set().ipLearnParameter[key] = QVIpLearnParameter{kProcedure};
  };
  for (int i = 0; i < kSingleValues; ++i) {
    limited(SingleValueKey(i), terms.singleValueCode, terms.offset);
    plan.SValueLimit(SingleValueKey(i), 0.0f, 200.0f);
  }
  for (int i = 0; i < kSpectra; ++i) {
    limited(SpectrumKey(i), terms.spectrumCode, terms.offset);
    plan.CurveLimit(SpectrumKey(i), kSpectrumLowerPolygon, kSpectrumUpperPolygon);
  }
  for (int t = 0; t < kScalarTracks; ++t) {
    limited(ScalarTrackKey(t), terms.trackCode, terms.trackOffset);
    plan.CurveLimit(ScalarTrackKey(t), kTrackLowerPolygon, kTrackUpperPolygon);
  }
  for (int s = 0; s < kSpectrograms; ++s) {
    limited(SpectrogramKey(s), terms.spectrogramCode, terms.offset);
    plan.Set().limArea[SpectrogramKey(s)] = QVLimArea{1, 10.0f, 150.0f};
  }
}

// The plan: modes with their trigger axes, the part's definitions, the limits, and an error
// code (severity 1) for every code the terms name.
inline TestPlan::Builder MakePlan(const std::string& name, const LimitTerms& terms) {
  using namespace ReferencePart;
  TestPlan::Builder plan(name);
  for (int mode = 1; mode <= kModes; ++mode) {
    plan.Mode(mode, "Mode " + std::to_string(mode))
        .TriggerAxis(mode, kTrigger, 1, kSpeedSignal, kAxisStart, kAxisStep, kTrackPoints);
  }
  AddPartDefinitions(plan);
  plan.Signal(kSpeedSignal, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
      .Trigger(kTrigger, "Input shaft speed")
      .LearnProcedure(kProcedure, -1, kBaseLearns, kTimeConstant);
  for (int t = 0; t < kScalarTracks; ++t)
    plan.Parameter(ScalarTrackKey(t).parameter(), 2001, "Order " + std::to_string(t),
                   QVInstrumentParam::eval_upper, kTrigger);
  plan.Parameter(SpectrogramKey(0).parameter(), 2100, "Spectrogram", QVInstrumentParam::eval_upper,
                 kTrigger);
  const std::pair<int, const char*> codes[] = {{terms.singleValueCode, "Level too high"},
                                               {terms.spectrumCode, "Spectrum too loud"},
                                               {terms.trackCode, "Order too loud"},
                                               {terms.spectrogramCode, "Spectrogram too loud"}};
  int priority = 10;
  for (const auto& [code, text] : codes) {
    if (code != -1) plan.ErrorCode(code, text, priority, 1);
    priority += 10;
  }
  AddLimits(plan, terms);
  return plan;
}

inline bool InstallPlan(const std::string& name, const LimitTerms& terms) {
  return MakePlan(name, terms).Install();
}

// The expansion width of every limit curve, as the line's resources give it.
inline void SetChimneyWidth(float width) {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  sea->RemoveEntry("LimitCurveExpansionWidths");
  sea->CreateEntry("LimitCurveExpansionWidth-Default", 0);
  sea->LookupSetString("LimitCurveExpansionWidth-Default", std::to_string(width), 0);
}

// The part's values waiting for validation, as the sequencer has them before it sets limits.
inline void Arrive(CKelValueStore& values, const ReferencePart::Spectra& part, int serial) {
  values.DismissValues();
  ReferencePart::Insert(values, part, serial);
}

// Learns the part as the end of every mode's measurement and of the mode do; the number of
// values learned.
inline unsigned LearnPart(CKelLearnStore& store) {
  unsigned learned = 0;
  for (int mode = 1; mode <= ReferencePart::kModes; ++mode) {
    learned += store.Learn(mode, Kelva::end_measurement);
    learned += store.Learn(mode, Kelva::end_mode);
  }
  return learned;
}

// The values of the part that carry a limit direction after the limit generation: the values
// the evaluation compares with a limit.
inline double LimitedValues(CKelValueStore& values) {
  double limited = 0;
  for (const auto& [key, value] : values.SingleValueMap()) limited += value.evalMode != 0 ? 1 : 0;
  for (const auto& [key, curve] : values.FinalCurveStore().ValueMap())
    limited += curve.LimitState() != 0 ? 1 : 0;
  for (const auto& [track, points] : values.TrackScalarStore().ValueMap())
    for (const auto& [cell, point] : points.points) limited += point.evalMode != 0 ? 1 : 0;
  for (const auto& [track, curves] : values.TrackCurveStore().ValueMap())
    for (const auto& [cell, curve] : curves.points) limited += curve.LimitState() != 0 ? 1 : 0;
  return limited;
}

}  // namespace ReferencePlan
