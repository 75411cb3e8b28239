// CTrackTracks: Morrant, a pressure track from a temperature track.
//
// With x = trigger value / 1000 and T the temperature in °C, the pressure in Pa is
//   p = c1·x + c0 + c2·T + c3·x² + c4·x·T,
// converted into the unit of the target sensor.

#include "eval/TrackTracks.h"

namespace {

constexpr float kTriggerScale = 0.001f;

}  // namespace

bool CTrackTracks::Morrant(unsigned pass, const QClavis& target, const SourceTrack& track) {
  if (track.track->unit.CommonUnit() != CMeasuringUnit::cuDegreeCelsius) {
    Message("CTrackTracks::Morrant(): Source signal not measured in '°C' for", target);
    return false;
  }
  const auto sensor = m_params.AppSignalProperty().find(QIdx1(target.sensor()));
  if (sensor == m_params.AppSignalProperty().end()) {
    Message("CTrackTracks::Morrant(): Target sensor not found", target);
    return false;
  }
  const CMeasuringUnit& unit = sensor->second.unit;
  const float f = static_cast<float>(CMeasuringUnit(CMeasuringUnit::cuPascal).scale_to(unit));
  if (f == 0.0f) {
    Message("CTrackTracks::Morrant(): Target signal not a pressure for", target);
    return false;
  }
  float c[5] = {-0.02207f, 0.1143f, -0.001062f, 0.1391f, -0.003295f};
  for (int i = 0; i < 5; ++i) m_coefficientReaders[i].Value(target.parameter(), c[i]);

  bool produced = false;
  for (const auto& [cell, point] : track.track->points) {
    float position = 0.0f;
    if (!CTriggerStore::position(track.interval, cell, track.dimension, position)) continue;
    const float x = position * kTriggerScale;
    const float t = point.value;
    const float p = (c[1] * x + c[0] + c[2] * t + c[3] * x * x + c[4] * x * t) * f;
    InsertPoint(target, cell, p, unit, point, pass + 1);
    produced = true;
  }
  return produced;
}
