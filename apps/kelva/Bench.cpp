#include "Bench.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "host/MeasuringResult.h"
#include "host/Signal.h"
#include "host/TriggerStore.h"

namespace {

SClavis ToSClavis(const QClavis& key) {
  return SClavis{key.mode(),     key.instrument(), key.channel(),
                 key.location(), key.parameter(),  key.sensor()};
}

// exp(-d²/2), the shape of a peak d widths from its centre. Beyond 0.5·d² = 105 the float
// result is exactly 0, which is returned without calling exp: that is most bins of a spectrum,
// and there exp takes its slow path for results that underflow.
float Bell(float d) {
  const float exponent = 0.5f * d * d;
  return exponent > 105.0f ? 0.0f : std::exp(-exponent);
}

}  // namespace

CBench::CBench(const SimPlan& plan, uint64_t seed) : plan_(plan), seed_(seed) {}

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
      level = std::max(level, q.floor + offset + height * Bell(d));
    }
    if (defective) {
      const float d = (x - part.defectOrder) / 0.15f;
      level += part.defectLevel * Bell(d);
    }
    samples[i] = level;
  }
  return samples;
}

void CBench::AddFinals(SimPart& part, int mode, std::vector<PartStep>& steps) const {
  PartStep train;
  train.kind = PartStep::deliver;
  train.mode = mode;
  train.input = "FinalInput";
  // The spectra first, then the single values.
  for (size_t i = 0; i < plan_.quantities.size(); ++i) {
    const SimQuantity& q = plan_.quantities[i];
    if (q.key.mode() != mode || !Delivers(part, i) || q.kind != SimQuantity::kSpectrum) continue;
    const CDescription description(q.bins, q.binWidth, CMeasuringUnit(CMeasuringUnit::cuOrder),
                                   q.unit);
    std::vector<float> samples = Spectrum(part, q, Defective(part, i), 0.0f);
    auto signal = std::make_shared<CSignalieee32>(description, std::move(samples), 22,
                                                  SignalBase::expire_measurement);
    signal->SetClavis(ToSClavis(q.key));
    train.values.push_back(std::move(signal));
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
    scalar->unit = q.unit;
    train.values.push_back(std::move(scalar));
  }
  if (!train.values.empty()) steps.push_back(std::move(train));
}

void CBench::AddTracks(SimPart& part, int mode, std::vector<PartStep>& steps) const {
  // The levels of this part's tracks, drawn once per track.
  std::vector<float> offsets(plan_.quantities.size(), 0.0f);
  // Each quantity's cells along the run and trigger, looked up once per part, not per cell.
  std::vector<uint32_t> cellsOf(plan_.quantities.size(), 0);
  std::vector<int> triggerOf(plan_.quantities.size(), 0);
  uint32_t cells = 0;
  for (size_t i = 0; i < plan_.quantities.size(); ++i) {
    const SimQuantity& q = plan_.quantities[i];
    if (q.key.mode() != mode) continue;
    cellsOf[i] = CellsOf(q.key);
    triggerOf[i] = params_.TriggerId(q.key.parameter());
    if (q.kind != SimQuantity::kTrack && q.kind != SimQuantity::kSpectrogram) continue;
    offsets[i] = Scatter(part, q);
    cells = std::max(cells, cellsOf[i]);
  }
  for (uint32_t cell = 0; cell < cells; ++cell) {
    PartStep train;
    train.kind = PartStep::deliver;
    train.mode = mode;
    train.input = "TriggeredInput";
    train.synch = true;
    const float along = cells > 1 ? static_cast<float>(cell) / static_cast<float>(cells - 1) : 0.0f;
    for (size_t i = 0; i < plan_.quantities.size(); ++i) {
      const SimQuantity& q = plan_.quantities[i];
      if (q.key.mode() != mode || !Delivers(part, i) || cell >= cellsOf[i]) continue;
      const int trigger = triggerOf[i];
      // A defect shows over one speed range of the run.
      const bool inRange = along >= part.rangeStart && along <= part.rangeEnd;
      if (q.kind == SimQuantity::kTrack) {
        auto point = std::make_shared<CMeasuringResultScalar>();
        point->SetClavis(ToSClavis(q.key));
        point->SetTrigger(trigger, cell);
        point->SetTimeslice(22, SignalBase::expire_measurement);
        point->value = q.start + (q.end - q.start) * SpeedShare(q.key, along) + offsets[i] +
                       TrackDefect(part, i, along, inRange);
        point->unit = q.unit;
        train.values.push_back(std::move(point));
      } else if (q.kind == SimQuantity::kSpectrogram && cell % 4 == 0) {
        const CDescription description(q.bins, q.binWidth, CMeasuringUnit(CMeasuringUnit::cuOrder),
                                       q.unit);
        std::vector<float> samples = Spectrum(part, q, Defective(part, i) && inRange, offsets[i]);
        auto row = std::make_shared<CSignalieee32>(description, std::move(samples), 22,
                                                   SignalBase::expire_measurement);
        row->SetClavis(ToSClavis(q.key));
        row->SetTrigger(trigger, cell);
        train.values.push_back(std::move(row));
      }
    }
    steps.push_back(std::move(train));
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

void CBench::AddMode(SimPart& part, int mode, std::vector<PartStep>& steps) const {
  steps.push_back({PartStep::beginMode, mode, {}, {}, false});
  steps.push_back({PartStep::beginMeasurement, mode, {}, {}, false});
  AddTracks(part, mode, steps);
  AddFinals(part, mode, steps);
  steps.push_back({PartStep::endMeasurement, mode, {}, {}, false});
  steps.push_back({PartStep::endMode, mode, {}, {}, false});
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

PartRecord CBench::MakePart(int number) const {
  PartRecord record;
  record.part = DrawPart(plan_, seed_, number);
  record.type = params_.BaseType();
  SimPart& part = record.part;
  if (part.defectQuantity >= 0) {
    const SimQuantity& q = plan_.quantities[static_cast<size_t>(part.defectQuantity)];
    part.defectText = DefectText(part, q);
  }
  for (int mode : plan_.sequence) AddMode(part, mode, record.steps);
  return record;
}
