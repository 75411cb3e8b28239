#include "eval/SourceTrack.h"

#include "eval/SourceGeneration.h"

bool CSourceTrack::Find(const CKelValueStore& store, const QClavis& source, unsigned pass) {
  const CKelTrackScalarStore& tracks = store.TrackScalarStore();
  if (tracks.KeyOfDovetar(source).id() < 0) return false;
  m_track = tracks.FindTrack(source);
  if (m_track == nullptr || SourceGeneration::OfScalarTrack(store, source) != pass) return false;
  const int dimension = tracks.GetTrackInterval(source, m_interval);
  if (dimension < 0) return false;
  m_dimension = static_cast<unsigned>(dimension);
  return true;
}

bool CSourceTrack::Position(int64_t cell, float& x) const {
  return CTriggerStore::position(m_interval, cell, m_dimension, x);
}

bool CSourceTrack::Cell(float x, int64_t& cell) const {
  return CTriggerStore::cell(m_interval, m_dimension, x, cell);
}

void CSourceTrack::InsertResult(CKelValueStore& store, const QClavis& key, float value,
                                float position, unsigned pass) const {
  KelStoreSValue record;
  record.value = value;
  record.position = position;
  record.context = m_track->context;
  record.expire = m_track->expire;
  store.InsertSValue(key, record, m_track->unit, pass + 1);
}
