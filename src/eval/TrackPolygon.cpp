#include "eval/TrackPolygon.h"

#include "eval/QSvTrackEval.h"

namespace {

constexpr const char* kNoInstrumentParams =
    "CTrackPolygon::process(): No Instrument Parameters for";
constexpr const char* kNoPolygonParams = "CTrackPolygon::process(): No IpSvTrackPolygon for";
constexpr const char* kNoPolygon = "QSvTrackEval::EvaluateSvOfInterval(): No polygon defined for";

}  // namespace

CTrackPolygon::CTrackPolygon(const CDtParamInstance& params, CKelValueStore& valueStore)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_calcModeReader(params, 9),
      m_sourceParameterReader(params, 8),
      m_polygonReader(params, 10) {}

void CTrackPolygon::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_calcModeReader.Reset();
  m_sourceParameterReader.Reset();
  m_polygonReader.Reset();
}

bool CTrackPolygon::process(unsigned pass) {
  bool produced = false;
  for (const QClavis& key : m_keySet) {
    if (m_params.InstrumentParam().count(QIdx1(key.parameter())) == 0) {
      Message(kNoInstrumentParams, key);
      continue;
    }
    CVIpSvTrackPolygon p;
    if (!LoadPolygonParams(key, p)) {
      Message(kNoPolygonParams, key);
      continue;
    }
    QClavis source = key;
    source.set_parameter(p.sourceParameter);
    source.set_instrument(m_params.InstrumentParameterToInstrument(p.sourceParameter));
    switch (QSvTrackEval::EvaluateSvOfInterval(m_params, m_valueStore, key, source, pass,
                                               p.calcMode, p.polygon)) {
      case QSvTrackEval::Outcome::kNoPolygon:
        Message(kNoPolygon, key);
        break;
      case QSvTrackEval::Outcome::kValue:
        produced = true;
        break;
      default:
        break;
    }
  }
  return produced;
}

bool CTrackPolygon::LoadPolygonParams(const QClavis& key, CVIpSvTrackPolygon& out) {
  const auto record = m_params.IpTrackPolygon().find(key);
  if (record != m_params.IpTrackPolygon().end()) {
    out = record->second;
    return true;
  }
  const int parameter = key.parameter();
  return m_calcModeReader.Value(parameter, out.calcMode) &&
         m_sourceParameterReader.Value(parameter, out.sourceParameter) &&
         m_polygonReader.Value(parameter, out.polygon);
}
