#include "host/SpecInterval.h"

#include <cmath>

#include "host/Params.h"

void CDtSpecInterval::LoadTransformParams(int mode, int location, int channel) {
  mode_ = mode;
  location_ = location;
  channel_ = channel;
}

bool CDtSpecInterval::BandInAxisUnits(const QVSpecIntervalEntry& entry, bool axisInHertz,
                                      double& low, double& high) const {
  const QVSpecIntervalEntry::Definition& band = entry.definition;
  if (band.domain() != QVSpecIntervalEntry::Definition::domain_pure || band.low > band.high)
    return false;
  double scale = 1.0;
  if (band.orders) {
    scale = params_.FrequencyRatioToGeneratingRotor(mode_, location_, band.rotor);
    if (scale <= 0.0) return false;
  }
  const bool bandInHertz = !band.orders;
  if (bandInHertz != axisInHertz) {
    const auto& info = ParamDatabase::Current().modeInfo;
    auto it = info.find(params_.VirtMode2BaseMode(mode_));
    const double speed = it == info.end() ? 0.0 : it->second.referenceSpeed;
    if (speed <= 0.0) return false;
    scale = bandInHertz ? scale / speed : scale * speed;
  }
  low = band.low * scale;
  high = band.high * scale;
  return true;
}

int CDtSpecInterval::IndexRange(const QVSpecIntervalEntry& entry, IndexInterval& range,
                                uint32_t bins, float binWidth, const CMeasuringUnit& xUnit) const {
  if (!(binWidth > 0.0f) || !std::isfinite(binWidth)) return 2;
  const bool axisInHertz = xUnit.CommonUnit() == CMeasuringUnit::cuHertz;
  double low = 0.0;
  double high = 0.0;
  if (!BandInAxisUnits(entry, axisInHertz, low, high)) return 2;
  // Band edges computed in float land within kEdge of a bin; such a bin counts as inside.
  constexpr double kEdge = 1e-4;
  const double first = std::ceil(low / binWidth - kEdge);
  const double last = std::floor(high / binWidth + kEdge);
  if (bins == 0 || last < 0.0 || first > bins - 1.0 || first > last) return 1;
  range.first = static_cast<uint32_t>(first < 0.0 ? 0.0 : first);
  range.last = static_cast<uint32_t>(last > bins - 1.0 ? bins - 1.0 : last);
  return 0;
}

int CDtSpecInterval::FrequencyRange(const QVSpecIntervalEntry& entry, float& low,
                                    float& high) const {
  double l = 0.0;
  double h = 0.0;
  if (!BandInAxisUnits(entry, !entry.definition.orders, l, h)) return 2;
  low = static_cast<float>(l);
  high = static_cast<float>(h);
  return 0;
}
