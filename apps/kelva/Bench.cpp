#include "Bench.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "host/Candidate.h"
#include "host/CommandDispatcher.h"
#include "host/MeasuringResult.h"
#include "host/MessageService.h"
#include "host/Module.h"
#include "host/Signal.h"
#include "host/StateMachine.h"
#include "host/TriggerStore.h"

namespace {

// Event numbers of the test sequence.
enum : int32_t {
  kEndShiftlane = 4,
  kBeginMeasurement = 5,
  kEndMeasurement = 6,
  kBeginMode = 8,
  kEndMode = 9,
  kInsertCandidate = 13,
  kRemoveCandidate = 14,
};

SClavis ToSClavis(const QClavis& key) {
  return SClavis{key.mode(),     key.instrument(), key.channel(),
                 key.location(), key.parameter(),  key.sensor()};
}

}  // namespace

std::string ResultText(int32_t result) {
  switch (result) {
    case 0:
      return "n.O.K.";
    case 1:
      return "O.K.";
    case 2:
      return "no result";
    case 3:
      return "system error";
    default:
      return "result " + std::to_string(result);
  }
}

CBench::CBench(const CPlugin& plugin, const SimPlan& plan, std::string station, uint64_t seed)
    : plugin_(plugin), plan_(plan), station_(std::move(station)), seed_(seed) {}

bool CBench::Delivers(const SimPart& part, size_t index) const {
  return !(part.missingSignal && part.defectQuantity == static_cast<int>(index));
}

bool CBench::Defective(const SimPart& part, size_t index) const {
  return part.defective && part.defectQuantity == static_cast<int>(index);
}

float CBench::Scatter(SimPart& part, const SimQuantity& q) const {
  std::normal_distribution<float> noise(0.0f, q.noise > 0.0f ? q.noise : 1e-6f);
  return noise(part.random);
}

uint32_t CBench::CellsOf(const QClavis& key) const {
  return CTriggerStore(params_).TrackedCells(key.mode(), params_.TriggerId(key.parameter()));
}

std::vector<float> CBench::Spectrum(SimPart& part, const SimQuantity& q, bool defective,
                                    float extra) const {
  std::vector<float> samples(q.bins);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  const float offset = Scatter(part, q) + extra;
  for (uint32_t i = 0; i < q.bins; ++i) {
    const float x = static_cast<float>(i) * q.binWidth;
    float level = q.floor + offset + 0.5f * noise(part.random);
    for (const auto& [order, height] : q.peaks) {
      const float d = (x - order) / 0.15f;
      level = std::max(level, q.floor + offset + height * std::exp(-0.5f * d * d));
    }
    if (defective) {
      const float d = (x - part.defectOrder) / 0.15f;
      level += part.defectLevel * std::exp(-0.5f * d * d);
    }
    samples[i] = level;
  }
  return samples;
}

void CBench::SendFinals(SimPart& part, int mode) {
  CTrain train;
  // The spectra first, then the single values.
  for (size_t i = 0; i < plan_.quantities.size(); ++i) {
    const SimQuantity& q = plan_.quantities[i];
    if (q.key.mode() != mode || !Delivers(part, i) || q.kind != SimQuantity::kSpectrum) continue;
    const CDescription description(q.bins, q.binWidth, CMeasuringUnit(CMeasuringUnit::cuOrder),
                                   q.unit);
    std::vector<float> samples = Spectrum(part, q, Defective(part, i), 0.0f);
    CountNonFinite(samples.data(), samples.size());
    auto signal = std::make_shared<CSignalieee32>(description, std::move(samples), 22,
                                                  SignalBase::expire_measurement);
    signal->SetClavis(ToSClavis(q.key));
    train.AddObject(signal);
  }
  for (size_t i = 0; i < plan_.quantities.size(); ++i) {
    const SimQuantity& q = plan_.quantities[i];
    if (q.key.mode() != mode || !Delivers(part, i) || q.kind != SimQuantity::kScalar) continue;
    const float value =
        q.nominal + Scatter(part, q) + (Defective(part, i) ? part.defectLevel : 0.0f);
    auto scalar = std::make_shared<CMeasuringResultScalar>();
    scalar->SetClavis(ToSClavis(q.key));
    scalar->SetTimeslice(22, SignalBase::expire_measurement);
    scalar->value = value;
    CountNonFinite(&scalar->value, 1);
    scalar->unit = q.unit;
    train.AddObject(scalar);
  }
  if (train.size() > 0) CRailwayStation::DeliverTo(station_, "FinalInput", train);
}

void CBench::SendTracks(SimPart& part, int mode) {
  // The levels of this part's tracks, drawn once per track.
  std::vector<float> offsets(plan_.quantities.size(), 0.0f);
  uint32_t cells = 0;
  for (size_t i = 0; i < plan_.quantities.size(); ++i) {
    const SimQuantity& q = plan_.quantities[i];
    if (q.key.mode() != mode) continue;
    if (q.kind != SimQuantity::kTrack && q.kind != SimQuantity::kSpectrogram) continue;
    offsets[i] = Scatter(part, q);
    cells = std::max(cells, CellsOf(q.key));
  }
  for (uint32_t cell = 0; cell < cells; ++cell) {
    CTrain train;
    const float along = cells > 1 ? static_cast<float>(cell) / static_cast<float>(cells - 1) : 0.0f;
    for (size_t i = 0; i < plan_.quantities.size(); ++i) {
      const SimQuantity& q = plan_.quantities[i];
      if (q.key.mode() != mode || !Delivers(part, i) || cell >= CellsOf(q.key)) continue;
      const int trigger = params_.TriggerId(q.key.parameter());
      // A defect shows over one speed range of the run.
      const bool inRange = along >= part.rangeStart && along <= part.rangeEnd;
      if (q.kind == SimQuantity::kTrack) {
        auto point = std::make_shared<CMeasuringResultScalar>();
        point->SetClavis(ToSClavis(q.key));
        point->SetTrigger(trigger, cell);
        point->SetTimeslice(22, SignalBase::expire_measurement);
        point->value = q.start + (q.end - q.start) * SpeedShare(q.key, along) + offsets[i] +
                       TrackDefect(part, i, along, inRange);
        CountNonFinite(&point->value, 1);
        point->unit = q.unit;
        train.AddObject(point);
      } else if (q.kind == SimQuantity::kSpectrogram && cell % 4 == 0) {
        const CDescription description(q.bins, q.binWidth, CMeasuringUnit(CMeasuringUnit::cuOrder),
                                       q.unit);
        std::vector<float> samples = Spectrum(part, q, Defective(part, i) && inRange, offsets[i]);
        CountNonFinite(samples.data(), samples.size());
        auto row = std::make_shared<CSignalieee32>(description, std::move(samples), 22,
                                                   SignalBase::expire_measurement);
        row->SetClavis(ToSClavis(q.key));
        row->SetTrigger(trigger, cell);
        train.AddObject(row);
      }
    }
    train.AddObject(std::make_shared<CThreadSynch::Key>(CThreadSynch::CurrentKey(1)));
    CRailwayStation::DeliverTo(station_, "TriggeredInput", train);
  }
}

float CBench::SpeedShare(const QClavis& key, float along) const {
  const CTriggerStore triggers(params_);
  const int trigger = params_.TriggerId(key.parameter());
  const int dimension = triggers.Dimension(key.mode(), trigger);
  CTriggerStore::CInterval axis;
  const bool falling =
      dimension >= 0 &&
      triggers.field(key.mode(), trigger, static_cast<unsigned>(dimension), axis) &&
      !axis.raising();
  return falling ? 1.0f - along : along;
}

float CBench::TrackDefect(const SimPart& part, size_t index, float along, bool inRange) const {
  if (!Defective(part, index)) return 0.0f;
  if (part.kind != DefectKind::trackTilt) return inRange ? part.defectLevel : 0.0f;
  return part.defectLevel * (SpeedShare(plan_.quantities[index].key, along) - 0.5f);
}

void CBench::CountNonFinite(const float* values, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!std::isfinite(values[i])) ++nonFinite_;
}

void CBench::RunMode(SimPart& part, int mode) {
  CModeMachine::ModeMachine().SetState(mode);
  plugin_.Event(kBeginMode, mode);
  CModule::CommandDispatcher().ProcessCommand(mcSetNormalMode, static_cast<unsigned long>(mode),
                                              nullptr);
  CMeasureMachine::MeasureMachine().SetState(2);
  plugin_.Event(kBeginMeasurement, mode);
  SendTracks(part, mode);
  SendFinals(part, mode);
  CMeasureMachine::MeasureMachine().SetState(0);
  plugin_.Event(kEndMeasurement, mode);
  plugin_.Event(kEndMode, mode);
  CModeMachine::ModeMachine().SetState(0);
  CCentralMessageService::Service().Dispatch();
}

std::string CBench::DefectText(const SimPart& part, const SimQuantity& q) const {
  const std::string key = params_.FormatClavisText(q.key, std::bitset<6>("010111"));
  if (part.kind == DefectKind::missingSignal) return "missing signal of " + key;
  char text[96];
  if (part.kind == DefectKind::gearMesh || part.kind == DefectKind::bearingTone)
    std::snprintf(text, sizeof(text), "%s +%.1f at order %.2f in ", DefectKindName(part.kind),
                  static_cast<double>(part.defectLevel), static_cast<double>(part.defectOrder));
  else
    std::snprintf(text, sizeof(text), "%s +%.1f in ", DefectKindName(part.kind),
                  static_cast<double>(part.defectLevel));
  return text + key;
}

PartOutcome CBench::RunPart(int number) {
  const auto started = std::chrono::steady_clock::now();
  PartOutcome outcome;
  outcome.part = DrawPart(plan_, seed_, number);
  SimPart& part = outcome.part;
  nonFinite_ = 0;
  if (part.defectQuantity >= 0) {
    const SimQuantity& q = plan_.quantities[static_cast<size_t>(part.defectQuantity)];
    part.defectText = DefectText(part, q);
  }
  McSetCandidate(part.serial, params_.BaseType(), params_.BaseType());
  CCandidateMachine::CandidateMachine().SetState(1);
  plugin_.Event(kInsertCandidate, part.serial);
  CModule::CommandDispatcher().ProcessCommand(mcInsertCandidate, 0, nullptr);
  for (int mode : plan_.sequence) RunMode(part, mode);
  plugin_.Event(kRemoveCandidate);
  outcome.result = plugin_.ResultRequest(-1);
  const int32_t count = plugin_.ErrorCount();
  for (int32_t i = 0; i < count; ++i) {
    KelvaError error{};
    std::string text;
    if (!plugin_.GetError(i, error, text)) break;
    outcome.errors.push_back(error);
    outcome.errorTexts.push_back(text);
  }
  outcome.nonFiniteValues = nonFinite_;
  // The measurement is finished: the windows show the final results, then the test ends.
  CModule::CommandDispatcher().ProcessCommand(mcRefreshReport, 0, nullptr);
  CModule::CommandDispatcher().ProcessCommand(mcEndOfTest, 0, nullptr);
  CCandidateMachine::CandidateMachine().SetState(0);
  outcome.milliseconds =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}
