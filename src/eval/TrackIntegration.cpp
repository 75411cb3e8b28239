// CTrackTracks: integration of an acceleration order track into velocity or displacement.
//
// A point of an order track is the amplitude of one spectral band at the speed n of its cell.
// Dividing by the angular frequency 2π·f of the band centre integrates it once: for a band in
// orders f = order · n / s (s = 60 for a speed in rpm, 1 in Hz), so v' = v · k / n with
// k = s / (2π · band centre); for a band in hertz the frequency does not depend on the speed,
// and n = 1. m-fold integration uses (k / n)^m, a level in dB adds 20·log10((k / n)^m).

#include <cmath>
#include <iterator>
#include <numbers>

#include "eval/TrackTracks.h"
#include "host/SpecInterval.h"

namespace {

constexpr float kRpmPerHertz = 60.0f;

}  // namespace

bool CTrackTracks::SpeedScale(const QClavis& target, const SourceTrack& track, float& s) {
  const auto axis = m_params.TriggerParam().find(
      QIdx3(track.key.mode(), track.trigger, static_cast<int>(track.dimension) + 1));
  const auto signal = axis == m_params.TriggerParam().end()
                          ? m_params.AppSignalProperty().end()
                          : m_params.AppSignalProperty().find(QIdx1(axis->second.appSignal));
  if (signal == m_params.AppSignalProperty().end()) {
    Message("CTrackTracks::Integration(): Speed track x-dim not found for", target);
    return false;
  }
  const int triggerSource = m_params.TriggerSource(track.trigger);
  if (signal->second.source != triggerSource) {
    Message("CTrackTracks::Integration(): Speed source doesn't fit trigger source for", target);
    return false;
  }
  switch (signal->second.unit.CommonUnit()) {
    case CMeasuringUnit::cuHertz:
      s = 1.0f;
      return true;
    case CMeasuringUnit::cuRpm:
      s = kRpmPerHertz;
      return true;
    default:
      Message("CTrackTracks::Integration(): Speed track x-dim should be Hz or Rpm", target);
      return false;
  }
}

bool CTrackTracks::IntegrationFactor(const QClavis& target, const QClavis& source,
                                     const SourceTrack& track, float& k, bool& orderBand) {
  const auto [first, last] = m_params.SpecIntervalRange(source.parameter());
  if (first == last) return false;
  for (auto band = first; band != last; ++band) {
    if (band->second.definition.domain() == QVSpecIntervalEntry::Definition::domain_combined) {
      Message("CTrackTracks::Integration(): Not a pure order/frequency domain definition for",
              target);
      return false;
    }
  }
  if (std::next(first) != last) {
    Message("CTrackTracks::Integration(): More than one spectral band defined for", target);
    return false;
  }
  const auto hat = m_params.IpSvOfSpec().find(QIdx1(source.parameter()));
  if (hat == m_params.IpSvOfSpec().end()) {
    Message("CTrackTracks::Integration(): parameter error for", target);
    return false;
  }
  CDtSpecInterval bandConverter(m_params);
  const int location = hat->second.location != -1 ? hat->second.location : target.location();
  bandConverter.LoadTransformParams(source.mode(), location, target.channel());
  float low = 0.0f;
  float high = 0.0f;
  const int range = bandConverter.FrequencyRange(first->second, low, high);
  if (range == 1) return false;
  if (range != 0 || !(low + high > 0.0f)) {
    Message("CTrackTracks::Integration(): parameter error for", target);
    return false;
  }
  float s = 0.0f;
  if (!SpeedScale(target, track, s)) return false;
  k = (1.0f / std::numbers::pi_v<float> * 0.5f) * (2.0f / (low + high)) * s;
  orderBand = first->second.definition.orders;
  return true;
}

bool CTrackTracks::Integration(unsigned pass, const QClavis& target, const QClavis& source,
                               const SourceTrack& track, int m) {
  if (source.instrument() != kOrderTrackInstrument) {
    Message("CTrackTracks::Integration(): Can only process order tracks for", target);
    return false;
  }
  const CMeasuringUnit& sourceUnit = track.track->unit;
  if (sourceUnit.CommonUnit() != CMeasuringUnit::cuMetrePerSecond2) {
    Message("CTrackTracks::Integration(): Can only process tracks in 'm/s²' for", target);
    return false;
  }
  float k = 0.0f;
  bool orderBand = true;
  if (!IntegrationFactor(target, source, track, k, orderBand)) return false;

  const CMeasuringUnit unit(m == 1 ? CMeasuringUnit::cuMetrePerSecond : CMeasuringUnit::cuMetre,
                            sourceUnit.Exponent(), sourceUnit.Factor(), sourceUnit.Flags());
  const float km = std::pow(k, static_cast<float>(m));
  const float levelOfKm = 20.0f * std::log10(km);
  const bool level = sourceUnit.is_log();
  bool produced = false;
  for (const auto& [cell, point] : track.track->points) {
    float n = 1.0f;
    if (orderBand && !CTriggerStore::position(track.interval, cell, track.dimension, n)) continue;
    const float value = level ? point.value + levelOfKm - 20.0f * m * std::log10(n)
                              : point.value * std::pow(k / n, static_cast<float>(m));
    InsertPoint(target, cell, value, unit, point, pass + 1);
    produced = true;
  }
  return produced;
}
