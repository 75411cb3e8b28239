#include "eval/TrackTracks.h"

#include <string>

#include "eval/SourceGeneration.h"

CTrackTracks::CTrackTracks(const CDtParamInstance& params, CKelValueStore& valueStore)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_sourceReader(params, 8),
      m_transformationReader(params, 12),
      m_referenceReader(params, 7),
      m_intervalStartReader(params, 5),
      m_intervalEndReader(params, 6),
      m_coefficientReaders{{params, 35}, {params, 36}, {params, 37}, {params, 38}, {params, 39}} {}

void CTrackTracks::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_sourceReader.Reset();
  m_transformationReader.Reset();
  m_referenceReader.Reset();
  m_intervalStartReader.Reset();
  m_intervalEndReader.Reset();
  for (auto& reader : m_coefficientReaders) reader.Reset();
}

bool CTrackTracks::process(unsigned pass) {
  bool produced = false;
  for (const QClavis& key : m_keySet) {
    int sourceParameter = -1;
    if (!m_sourceReader.Value(key.parameter(), sourceParameter)) {
      Message("CTrackTracks::process(): No source instrument parameter for", key);
      continue;
    }
    const auto record = m_params.InstrumentParam().find(QIdx1(sourceParameter));
    if (record == m_params.InstrumentParam().end()) {
      Message("CTrackTracks::process(): No source instrument for", key);
      continue;
    }
    int transformation = 0;
    if (!m_transformationReader.Value(key.parameter(), transformation)) {
      Message("CTrackTracks::process(): No transformation defined for", key);
      continue;
    }
    QClavis source = key;
    source.set_parameter(sourceParameter);
    source.set_instrument(record->second.instrument);
    m_filling = nullptr;
    if (TracksFromTrack(pass, key, source, transformation)) produced = true;
  }
  return produced;
}

void CTrackTracks::InsertPoint(const QClavis& target, int64_t cell, float value,
                               const CMeasuringUnit& unit, const KelStoreTrackPoint& origin,
                               unsigned generation) {
  if (m_filling == nullptr) {
    m_filling = &m_valueStore.TrackScalarStore().TrackToFill(target, origin.context, origin.expire,
                                                             generation);
    m_filling->points.reserve(m_filling->points.size() + m_sourcePoints);
  }
  KelStoreTrackPoint point(value);
  point.context = origin.context;
  point.expire = origin.expire;
  m_filling->Insert(cell, point, unit);
}

bool CTrackTracks::TracksFromTrack(unsigned pass, const QClavis& target, const QClavis& source,
                                   int transformation) {
  SourceTrack track;
  if (!TrackTable(target, source, transformation, track.key)) return false;
  track.track = m_valueStore.TrackScalarStore().FindTrack(track.key);
  m_sourcePoints = track.track == nullptr ? 0 : track.track->points.size();
  if (track.track == nullptr) return false;
  if (SourceGeneration::OfScalarTrack(m_valueStore, track.key) != pass) return false;

  const int dimension = m_valueStore.TrackScalarStore().GetTrackInterval(track.key, track.interval);
  if (dimension < 0) {
    Message("CTrackTracks::TracksFromTrack(): Can't deduce Trigger dimension for", target);
    return false;
  }
  track.dimension = static_cast<unsigned>(dimension);
  track.trigger = m_params.TriggerId(track.key.parameter());
  const int targetTrigger = m_params.TriggerId(target.parameter());
  if (targetTrigger != -1 && targetTrigger != track.trigger) {
    Message("CTrackTracks::TracksFromTrack(): Incompatible Triggers for", target);
    return false;
  }

  switch (transformation) {
    case tfSingleIntegration:
      return Integration(pass, target, source, track, 1);
    case tfDoubleIntegration:
      return Integration(pass, target, source, track, 2);
    case tfMorrant:
      return Morrant(pass, target, track);
    case tfReference:
      if (source.instrument() == kTrackIntervalInstrument)
        return ReferenceInterval(pass, target, source, track);
      return ReferencePolygon(pass, target, source, track);
    default: {
      const std::string text = "QSvTrackEval::TracksFromTrack(): Invalid transformation '" +
                               std::to_string(transformation) + "' for";
      Message(text.c_str(), target);
      return false;
    }
  }
}

bool CTrackTracks::TrackOfCalcParameters(const QClavis& source, QClavis& track,
                                         bool& parameterDefined) {
  int parameter = -1;
  parameterDefined = m_sourceReader.Value(source.parameter(), parameter);
  if (!parameterDefined) return false;
  int instrument = -1;
  if (!m_referenceReader.Value(source.parameter(), instrument) || instrument == -1)
    instrument = m_params.InstrumentParameterToInstrument(parameter);
  if (instrument == -1) return false;
  track = source;
  track.set_instrument(instrument);
  track.set_parameter(parameter);
  return true;
}

bool CTrackTracks::TrackTable(const QClavis& target, const QClavis& source, int transformation,
                              QClavis& track) {
  if (transformation != tfMorrant && transformation != tfReference) {
    track = source;
    return true;
  }
  bool parameterDefined = false;
  bool found = false;
  if (transformation == tfMorrant) {
    if (m_params.ResultType(source.instrument()) == kScalarTrackResult) {
      track = source;
      return true;
    }
    found = TrackOfCalcParameters(source, track, parameterDefined);
  } else if (source.instrument() == kTrackIntervalInstrument) {
    found = TrackOfCalcParameters(source, track, parameterDefined);
    if (!parameterDefined) {
      Message("CTrackTracks::TrackTable(): No IpSvTrackInterval for", target);
      return false;
    }
  } else if (source.instrument() == kTrackPolygonInstrument) {
    int parameter = -1;
    const auto entry = m_params.IpTrackPolygon().find(source);
    if (entry != m_params.IpTrackPolygon().end())
      parameter = entry->second.sourceParameter;
    else
      m_sourceReader.Value(source.parameter(), parameter);
    const int instrument = m_params.InstrumentParameterToInstrument(parameter);
    found = parameter != -1 && instrument != -1;
    track = source;
    track.set_instrument(instrument);
    track.set_parameter(parameter);
  } else {
    Message("CTrackTracks::TrackTable(): Mode 'Reference' not supported for", target);
    return false;
  }
  if (!found) Message("CTrackTracks::TrackTable(): Can not deduce source track for", target);
  return found;
}
