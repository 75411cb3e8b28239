#include "store/KelTrackCurveStore.h"

CKelTrackCurveStore::CKelTrackCurveStore()
    : CKelTrackStore("<EvTrackCurveStoreDovetar2KeyTable>", "<EvTriggerStoreSigCurve>",
                     "<EvTriggerStoreSigCurveHistory>") {}

KelSigLimitCurve& CKelTrackCurveStore::InsertValue(const S1int1int64& where,
                                                   const KelSigCurve& curve, unsigned validate) {
  QValueStoreTrackItem<KelSigLimitCurve>& track =
      TrackFor(where.trackKey, curve.context, curve.expire, validate);
  KelSigLimitCurve stored;
  stored = curve;
  return track.Insert(where.position, stored, curve.YUnit());
}

KelSigLimitCurve& CKelTrackCurveStore::InsertValue(const QClavis& key, long long position,
                                                   const KelSigCurve& curve, unsigned validate) {
  const auto trackKey = static_cast<int32_t>(GenerateKeyOfDovetar(key));
  return InsertValue(S1int1int64(trackKey, position), curve, validate);
}

unsigned CKelTrackCurveStore::DeleteSpectrogram(const QClavis& key) {
  auto it = MutableValueMap().find(KeyOfDovetar(key));
  if (it == MutableValueMap().end()) return 0;
  return static_cast<unsigned>(EraseTrack(it));
}

float CKelTrackCurveStore::AxisValue(const QClavis& key, int64_t cell) const {
  CTriggerStore::CInterval interval;
  const int dimension = GetTrackInterval(key, interval);
  float x = static_cast<float>(cell);
  if (dimension >= 0) CTriggerStore::position(interval, cell, static_cast<unsigned>(dimension), x);
  return x;
}

bool CKelTrackCurveStore::GetCurve(const QClavis& key, long long position, CVisDataVector& curve,
                                   float& axisValue) const {
  const auto* track = FindTrack(key);
  if (track == nullptr) return false;
  auto it = track->points.find(position);
  if (it == track->points.end() || !it->second.CopyToCurve(&curve)) return false;
  axisValue = AxisValue(key, position);
  return true;
}

int CKelTrackCurveStore::FillArray(const QClavis& key,
                                   const QValueStoreTrackItem<KelSigLimitCurve>& track,
                                   CVisDataArray& curves, CVisDataArray* limits) const {
  curves.name = params_.FormatClavisText(key);
  curves.curves.clear();
  curves.positions.clear();
  GetAxisUnit(key, 1, curves.positionUnit);
  if (limits != nullptr) {
    limits->name = curves.name + "-lim";
    limits->curves.clear();
    limits->positions.clear();
    limits->positionUnit = curves.positionUnit;
  }
  for (const auto& [cell, curve] : track.points) {
    const float x = AxisValue(key, cell);
    CVisDataVector samples;
    curve.CopyToCurve(&samples);
    curves.curves.push_back(samples);
    curves.positions.push_back(x);
    if (limits != nullptr) {
      CVisDataVector limit;
      curve.CopyLimitToCurve(&limit);
      limits->curves.push_back(limit);
      limits->positions.push_back(x);
    }
  }
  return static_cast<int>(curves.curves.size());
}

int CKelTrackCurveStore::GenerateCurveArray(const QClavis& key, CVisDataArray& curves,
                                            CVisDataArray* limits) const {
  const auto* track = FindTrack(key);
  if (track == nullptr) return 0;
  return FillArray(key, *track, curves, limits);
}

int CKelTrackCurveStore::GenerateCurveArrayHistory(const QClavis& key, int historyIndex,
                                                   CVisDataArray& curves) const {
  auto it = ValueMapSectionHistory().find(Qiqi(KeyOfDovetar(key).id(), historyIndex));
  if (it == ValueMapSectionHistory().end()) return 0;
  return FillArray(key, it->second, curves, nullptr);
}
