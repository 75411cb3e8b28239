#include "store/KelTrackScalarStore.h"

#include <cmath>
#include <limits>

CKelTrackScalarStore::CKelTrackScalarStore()
    : CKelTrackStore("<EvTrackScalarStoreDovetar2KeyTable>", "<EvTriggerStoreTrackPoint>",
                     "<EvTriggerStoreTrackPointHistory>") {}

KelStoreTrackPoint& CKelTrackScalarStore::InsertValue(S1int1int64 where, float value,
                                                      const CMeasuringUnit& unit,
                                                      unsigned long long context,
                                                      SignalBase::measuring_expire_t expire,
                                                      unsigned validate) {
  QValueStoreTrackItem<KelStoreTrackPoint>& track =
      TrackFor(where.trackKey, context, expire, validate);
  KelStoreTrackPoint point(value);
  point.context = context;
  point.expire = expire;
  return track.Insert(where.position, point, unit);
}

KelStoreTrackPoint& CKelTrackScalarStore::InsertValue(const QClavis& key, long long position,
                                                      float value, const CMeasuringUnit& unit,
                                                      unsigned long long context,
                                                      SignalBase::measuring_expire_t expire,
                                                      unsigned validate) {
  const auto trackKey = static_cast<int32_t>(GenerateKeyOfDovetar(key));
  return InsertValue(S1int1int64(trackKey, position), value, unit, context, expire, validate);
}

float CKelTrackScalarStore::AxisValue(const CTriggerStore::CInterval& interval, int dimension,
                                      int64_t cell) const {
  float x = static_cast<float>(cell);
  if (dimension >= 0) CTriggerStore::position(interval, cell, static_cast<unsigned>(dimension), x);
  return x;
}

bool CKelTrackScalarStore::FindMaximum(const QClavis& key, maximum_kind_t kind, float& maximum,
                                       float* position, KelStoreTrackPoint* point) const {
  const auto* track = FindTrack(key);
  if (track == nullptr) return false;
  const KelStoreTrackPoint* best = nullptr;
  int64_t bestCell = 0;
  float bestValue = -std::numeric_limits<float>::infinity();
  for (const auto& [cell, p] : track->points) {
    float candidate = p.value;
    if (kind == max_upper_margin) {
      if (p.evalMode != QVInstrumentParam::eval_upper &&
          p.evalMode != QVInstrumentParam::eval_interval)
        continue;
      candidate = p.upperLimit - p.value;
    } else if (kind == max_lower_margin) {
      if (p.evalMode != QVInstrumentParam::eval_lower &&
          p.evalMode != QVInstrumentParam::eval_interval)
        continue;
      candidate = p.value - p.lowerLimit;
    }
    if (best == nullptr || candidate > bestValue) {
      best = &p;
      bestValue = candidate;
      bestCell = cell;
    }
  }
  if (best == nullptr) return false;
  maximum = bestValue;
  if (position != nullptr) {
    CTriggerStore::CInterval interval;
    *position = AxisValue(interval, GetTrackInterval(key, interval), bestCell);
  }
  if (point != nullptr) *point = *best;
  return true;
}

int CKelTrackScalarStore::AppendPoints(const QValueStoreTrackItem<KelStoreTrackPoint>& track,
                                       const QClavis& key, CVisDataPolygon* out) const {
  CTriggerStore::CInterval interval;
  const int dimension = GetTrackInterval(key, interval);
  for (const auto& [cell, point] : track.points)
    out->AddPoint(AxisValue(interval, dimension, cell), point.value);
  return static_cast<int>(track.points.size());
}

int CKelTrackScalarStore::GeneratePolygonData(const QClavis& key, int dimension,
                                              CVisDataPolygon* out) const {
  const auto* track = FindTrack(key);
  if (track == nullptr || out == nullptr) return 0;
  out->StartPolygon(static_cast<int>(track->points.size()));
  GetTrackUnits(key, out->xUnit, out->yUnit, dimension);
  AppendPoints(*track, key, out);
  out->PolygonCompleted(1);
  return out->NPoints();
}

int CKelTrackScalarStore::GeneratePolygonHistory(const QClavis& key, int dimension,
                                                 CVisDataPolygon* out) const {
  const QIdx1& trackKey = KeyOfDovetar(key);
  if (trackKey.id() < 0 || out == nullptr) return 0;
  out->StartPolygon(64);
  GetAxisUnit(key, dimension, out->xUnit);
  const auto& history = ValueMapSectionHistory();
  auto [first, last] = SectionRange(history, trackKey.id());
  for (auto it = first; it != last; ++it) {
    out->yUnit = it->second.unit;
    AppendPoints(it->second, key, out);
  }
  out->PolygonCompleted(1);
  return out->NPoints();
}

int CKelTrackScalarStore::GenerateArrayData(const QClavis& key, int dimension,
                                            CVisDataGrid* out) const {
  const auto* track = FindTrack(key);
  if (track == nullptr || out == nullptr || track->points.empty()) return 0;
  const auto& history = ValueMapSectionHistory();
  const QIdx1& trackKey = KeyOfDovetar(key);
  auto [first, last] = SectionRange(history, trackKey.id());
  const auto columns = static_cast<uint32_t>(track->points.size());
  const auto rows = 1 + static_cast<uint32_t>(std::distance(first, last));
  auto samples = CAlignedMem<float>::Make(static_cast<size_t>(rows) * columns);
  float* data = samples->data();
  uint32_t column = 0;
  for (const auto& [cell, point] : track->points) {
    data[column] = point.value;
    uint32_t row = 1;
    for (auto it = first; it != last; ++it, ++row) {
      auto other = it->second.points.find(cell);
      data[row * columns + column] =
          other == it->second.points.end() ? std::nanf("") : other->second.value;
    }
    ++column;
  }
  CTriggerStore::CInterval interval;
  const int intervalDimension = GetTrackInterval(key, interval);
  out->samples = samples;
  out->columns = columns;
  out->rows = rows;
  out->xStart = AxisValue(interval, intervalDimension, track->points.begin()->first);
  out->xDelta = intervalDimension >= 0 ? static_cast<float>(interval.step()) : 1.0f;
  GetAxisUnit(key, dimension, out->xUnit);
  out->valueUnit = track->unit;
  out->rowStart = 0.0f;
  out->rowDelta = 1.0f;
  return static_cast<int>(columns);
}

bool CKelTrackScalarStore::SetTrackPolygonUnits(const QClavis& key, CVisDataItem& item) const {
  CTriggerStore::CInterval interval;
  const int dimension = GetTrackInterval(key, interval);
  if (dimension < 0) return false;
  return GetTrackUnits(key, item.xUnit, item.yUnit, dimension + 1);
}
