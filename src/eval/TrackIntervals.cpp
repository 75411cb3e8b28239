#include "eval/TrackIntervals.h"

#include <algorithm>
#include <cmath>

#include "host/Numeric.h"
#include "host/SpecInterval.h"

namespace {

constexpr const char* kMissingParams =
    "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters for";
constexpr const char* kSumNotAvailable =
    "CTrackIntervals::EvaluateSvOfInterval(): Calculation mode 'Sum' not available for";
constexpr const char* kLogSumNotAvailable =
    "CTrackIntervals::EvaluateSvOfInterval(): Calculation mode 'LogSum' not available for";
constexpr const char* kUnknownMode =
    "CTrackIntervals::EvaluateSvOfInterval(): Unknown calculation mode for";

constexpr float kTwoPi = 6.28318530717958647692f;
// ln(10) / 20: exp(kDecibel · v) is the amplitude of the level v dB.
constexpr float kDecibel = 0.115129255f;

// 20·log10 of the mean of the amplitudes 10^(v/20), relative to the first level.
float DecibelMean(const std::vector<float>& levels) {
  const float first = levels.front();
  float sum = 0.0f;
  for (const float level : levels) sum += std::exp(kDecibel * (level - first));
  return first + std::log(sum / static_cast<float>(levels.size())) / kDecibel;
}

// The q-quantile of the levels; the quantile routine reorders what it gets, so it gets a copy.
float QuantileOfCopy(std::vector<float> levels, float q) {
  return numeric::quantile(levels.data(), levels.size(), q);
}

}  // namespace

CTrackIntervals::CTrackIntervals(const CDtParamInstance& params, CKelValueStore& valueStore)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_calcModeReader(params, 0),
      m_evalTypeReader(params, 33),
      m_startReader(params, 5),
      m_endReader(params, 6),
      m_sourceInstrumentReader(params, 7),
      m_sourceParameterReader(params, 8),
      m_bandParameterReader(params, 8, kBandTrackInstrument) {}

void CTrackIntervals::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_calcModeReader.Reset();
  m_evalTypeReader.Reset();
  m_startReader.Reset();
  m_endReader.Reset();
  m_sourceInstrumentReader.Reset();
  m_sourceParameterReader.Reset();
  m_bandParameterReader.Reset();
}

bool CTrackIntervals::ExtractSingleValuesFromTrackIntervals(unsigned pass) {
  bool produced = false;
  for (const QClavis& key : m_keySet) {
    IntervalParams p;
    if (!LoadIntervalParams(key.parameter(), p)) {
      Message(kMissingParams, key);
      continue;
    }
    if (p.evalType < 0 || p.evalType > 5) return produced;
    QClavis source = key;
    source.set_instrument(p.sourceInstrument);
    source.set_parameter(p.sourceParameter);
    CSourceTrack track;
    if (!track.Find(m_valueStore, source, pass)) continue;
    if (p.evalType == 4 || p.evalType == 5) p.bandCentre = BandCentreFrequency(source);
    float value = 0.0f;
    float position = 0.0f;
    if (!EvaluateSvOfInterval(key, p, track, value, position)) continue;
    track.InsertResult(m_valueStore, key, value, position, pass);
    produced = true;
  }
  return produced;
}

bool CTrackIntervals::LoadIntervalParams(int parameter, IntervalParams& out) {
  const bool complete = m_calcModeReader.Value(parameter, out.calcMode) &&
                        m_startReader.Value(parameter, out.start) &&
                        m_endReader.Value(parameter, out.end) &&
                        m_sourceInstrumentReader.Value(parameter, out.sourceInstrument) &&
                        m_sourceParameterReader.Value(parameter, out.sourceParameter);
  if (!complete) return false;
  m_evalTypeReader.Value(parameter, out.evalType);  // optional: type 0 stays
  return true;
}

float CTrackIntervals::BandCentreFrequency(const QClavis& source) {
  int band = -1;
  if (!m_bandParameterReader.Value(source.parameter(), band)) return 0.0f;
  const auto [first, last] = m_params.SpecIntervalRange(band);
  if (first == last) return 0.0f;
  const QVSpecIntervalEntry& entry = first->second;
  if (entry.definition.domain() != QVSpecIntervalEntry::Definition::domain_pure) return 0.0f;
  const auto record = m_params.IpSvOfSpec().find(QIdx1(band));
  if (record == m_params.IpSvOfSpec().end()) return 0.0f;
  const int recordLocation = record->second.location;
  CDtSpecInterval transform(m_params);
  transform.LoadTransformParams(source.mode(), source.location(),
                                recordLocation == -1 ? source.location() : recordLocation);
  float low = 0.0f;
  float high = 0.0f;
  if (transform.FrequencyRange(entry, low, high) != 0) return 0.0f;
  return (low + high) / 2.0f;
}

bool CTrackIntervals::EvaluateSvOfInterval(const QClavis& key, const IntervalParams& p,
                                           const CSourceTrack& track, float& value,
                                           float& position) const {
  const float lo = std::min(p.start, p.end);
  const float hi = std::max(p.start, p.end);
  int64_t cellOfLo = 0;
  int64_t cellOfHi = 0;
  if (!track.Cell(lo, cellOfLo) || !track.Cell(hi, cellOfHi)) return false;
  const int64_t firstCell = std::min(cellOfLo, cellOfHi);
  const int64_t lastCell = std::max(cellOfLo, cellOfHi);

  std::vector<float> values;
  std::vector<int64_t> cells;
  const auto& points = track.Points();
  for (auto it = points.lower_bound(firstCell); it != points.end() && it->first <= lastCell; ++it) {
    values.push_back(it->second.value);
    cells.push_back(it->first);
  }
  if (values.empty()) return false;

  position = (lo + hi) * 0.5f;
  switch (p.evalType) {
    case 0:
      return EvaluateByCalcMode(key, p.calcMode, track, values, cells, value, position);
    case 1:
    case 2:
    case 3:
      value = QuantileOfCopy(values, p.calcMode == 1 ? 0.1f : 0.9f);
      return true;
    case 4:
      value = DVL::VectorMean(values.data(), values.size()) + 40.0f * std::log10(kTwoPi * 1000.0f);
      position = (1000.0f / p.bandCentre) * 60.0f;
      return true;
    case 5: {
      unsigned index = 0;
      value = DVL::VectorMaxIdx(values.data(), values.size(), index) +
              40.0f * std::log10(kTwoPi * 3000.0f / 60.0f * p.bandCentre);
      position = 3000.0f;
      return true;
    }
    default:
      return false;
  }
}

bool CTrackIntervals::EvaluateByCalcMode(const QClavis& key, int calcMode,
                                         const CSourceTrack& track,
                                         const std::vector<float>& values,
                                         const std::vector<int64_t>& cells, float& value,
                                         float& position) const {
  unsigned index = 0;
  switch (calcMode) {
    case 1:
      value = DVL::VectorMinIdx(values.data(), values.size(), index);
      track.Position(cells[index], position);
      return true;
    case 2:
      value = DVL::VectorMaxIdx(values.data(), values.size(), index);
      track.Position(cells[index], position);
      return true;
    case 3:
      value = DVL::VectorMean(values.data(), values.size());
      return true;
    case 4:
      value = DecibelMean(values);
      return true;
    case 5:
      Message(kSumNotAvailable, key);
      value = 0.0f;
      return true;
    case 6:
      Message(kLogSumNotAvailable, key);
      value = 0.0f;
      return true;
    default:
      Message(kUnknownMode, key);
      return false;
  }
}
