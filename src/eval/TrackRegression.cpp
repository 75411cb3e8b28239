#include "eval/TrackRegression.h"

#include "host/Numeric.h"
#include "host/Output.h"

namespace {

constexpr const char* kNoInstrumentParams =
    "CTrackRegression::process(): No Instrument Parameters for";
constexpr const char* kNoRegressionParams = "CTrackRegression::process(): No IpTrackRegression for";
constexpr const char* kNoSourceParams =
    "CTrackRegression::process(): No Source-Instrument Parameters for";

}  // namespace

CTrackRegression::CTrackRegression(const CDtParamInstance& params, CKelValueStore& valueStore)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_sourceParameterReader(params, 8),
      m_typeReader(params, 17) {}

void CTrackRegression::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_sourceParameterReader.Reset();
  m_typeReader.Reset();
}

bool CTrackRegression::process(unsigned pass) {
  bool produced = false;
  for (const QClavis& key : m_keySet) {
    QClavis source;
    int type = -1;
    if (!SourceKey(key, source, type)) continue;
    CSourceTrack track;
    if (!track.Find(m_valueStore, source, pass) || track.Points().empty()) continue;
    std::vector<float> x;
    std::vector<float> y;
    x.reserve(track.Points().size());
    y.reserve(track.Points().size());
    for (const auto& [cell, point] : track.Points()) {
      float position = 0.0f;
      track.Position(cell, position);
      x.push_back(position);
      y.push_back(point.value);
    }
    track.InsertResult(m_valueStore, key, Regression(x, y, type), 0.0f, pass);
    produced = true;
  }
  return produced;
}

bool CTrackRegression::SourceKey(const QClavis& key, QClavis& source, int& type) {
  const auto& instrumentParams = m_params.InstrumentParam();
  if (instrumentParams.count(QIdx1(key.parameter())) == 0) {
    Message(kNoInstrumentParams, key);
    return false;
  }
  int sourceParameter = -1;
  if (!m_sourceParameterReader.Value(key.parameter(), sourceParameter) ||
      !m_typeReader.Value(key.parameter(), type)) {
    Message(kNoRegressionParams, key);
    return false;
  }
  const auto sourceRecord = instrumentParams.find(QIdx1(sourceParameter));
  if (sourceRecord == instrumentParams.end()) {
    Message(kNoSourceParams, key);
    return false;
  }
  source = key;
  source.set_parameter(sourceParameter);
  source.set_instrument(sourceRecord->second.instrument);
  return true;
}

float CTrackRegression::Regression(const std::vector<float>& x, const std::vector<float>& y,
                                   int type) {
  const size_t count = x.size();
  const float n = static_cast<float>(count);
  const float meanX = DVL::VectorMean(x.data(), count);
  const float meanY = DVL::VectorMean(y.data(), count);
  const float sxy = DVL::VectorSkalarprodukt(x.data(), y.data(), count);
  const float sxx = DVL::VectorSkalarprodukt(x.data(), x.data(), count);
  const float slope = (sxy - meanX * meanY * n) / (sxx - meanX * meanX * n);
  switch (type) {
    case 0:
      return meanY - slope * meanX;
    case 1:
      return slope;
    default:
      PrWin::Output(8, 3, "CTrackRegression::Regression -- unknown calculation requested\n");
      return 0.0f;
  }
}
