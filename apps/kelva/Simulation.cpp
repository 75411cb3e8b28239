#include "Simulation.h"

#include <cmath>
#include <cstdio>

const char* DefectKindName(DefectKind kind) {
  switch (kind) {
    case DefectKind::gearMesh:
      return "gear mesh";
    case DefectKind::bearingTone:
      return "bearing tone";
    case DefectKind::levelShift:
      return "level shift";
    case DefectKind::trackBump:
      return "track bump";
    case DefectKind::missingSignal:
      return "missing signal";
    case DefectKind::trackTilt:
      return "track tilt";
    case DefectKind::none:
      break;
  }
  return "";
}

namespace {

// A tone of a bearing lies between the orders of the gears: at least one order away from every
// peak of the spectrum's shape, within its middle 80 %.
float BearingToneOrder(const SimQuantity& q, std::mt19937_64& random) {
  const float top = static_cast<float>(q.bins) * q.binWidth;
  std::uniform_real_distribution<float> where(0.1f * top, 0.9f * top);
  float order = where(random);
  for (int tries = 0; tries < 64; ++tries) {
    bool clear = true;
    for (const auto& peak : q.peaks) clear = clear && std::fabs(order - peak.first) >= 1.0f;
    if (clear) break;
    order = where(random);
  }
  return order;
}

// The kind, size and place of an acoustic defect in quantity q.
void DrawDefect(const SimQuantity& q, SimPart& part) {
  std::uniform_real_distribution<float> uniform(0.0f, 1.0f);
  part.defectLevel = q.defectMin + (q.defect - q.defectMin) * uniform(part.random);
  // A bump over 20 to 35 % of the run, somewhere in its middle.
  part.rangeStart = 0.1f + 0.5f * uniform(part.random);
  part.rangeEnd = part.rangeStart + 0.2f + 0.15f * uniform(part.random);
  switch (q.kind) {
    case SimQuantity::kScalar:
      part.kind = DefectKind::levelShift;
      break;
    case SimQuantity::kTrack:
      part.kind = DefectKind::trackBump;
      if (q.tilt > 0.0f && uniform(part.random) < 0.5f) {
        part.kind = DefectKind::trackTilt;
        part.defectLevel = q.tiltMin + (q.tilt - q.tiltMin) * uniform(part.random);
      }
      break;
    case SimQuantity::kSpectrum:
    case SimQuantity::kSpectrogram:
      if (uniform(part.random) < 0.5f) {
        part.kind = DefectKind::gearMesh;
        part.defectOrder = q.defectAt;
      } else {
        part.kind = DefectKind::bearingTone;
        part.defectOrder = BearingToneOrder(q, part.random);
      }
      break;
  }
}

}  // namespace

SimPart DrawPart(const SimPlan& plan, uint64_t seed, int number) {
  SimPart part;
  part.number = number;
  char serial[32];
  std::snprintf(serial, sizeof(serial), "%06d", number);
  part.serial = plan.serialPrefix + serial;
  part.random.seed(seed * 1000003u + static_cast<uint64_t>(number));
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  const double draw = uniform(part.random);
  if (plan.quantities.empty()) return part;
  std::uniform_int_distribution<int> which(0, static_cast<int>(plan.quantities.size()) - 1);
  if (draw < plan.defectShare) {
    part.defective = true;
    // An acoustic defect shows in a quantity that can carry one.
    for (int tries = 0; tries < 32 && part.defectQuantity < 0; ++tries) {
      const int q = which(part.random);
      if (plan.quantities[static_cast<size_t>(q)].defect > 0.0f) part.defectQuantity = q;
    }
    if (part.defectQuantity < 0)
      part.defective = false;
    else
      DrawDefect(plan.quantities[static_cast<size_t>(part.defectQuantity)], part);
  } else if (draw < plan.defectShare + plan.missingSignalShare) {
    part.missingSignal = true;
    part.kind = DefectKind::missingSignal;
    part.defectQuantity = which(part.random);
  }
  return part;
}
