#include "eval/TrackCalc.h"

#include "eval/SourceGeneration.h"

bool CTrackCalc::process(unsigned pass) {
  bool produced = false;
  CKelTrackScalarStore& tracks = m_valueStore.TrackScalarStore();
  for (const QClavis& key : m_keySet) {
    if (!LoadOperands(key) || m_operation < 1 || m_operation > 6) continue;
    const QClavis keyA = OperandKey(key, m_operandA);
    const QClavis keyB = OperandKey(key, m_operandB);
    const auto* a = tracks.FindTrack(keyA);
    const auto* b = tracks.FindTrack(keyB);
    if (a == nullptr || b == nullptr) continue;
    const unsigned generationA = SourceGeneration::OfScalarTrack(m_valueStore, keyA);
    const unsigned generationB = SourceGeneration::OfScalarTrack(m_valueStore, keyB);
    if (generationA == 0 && generationB == 0) continue;
    if (generationA != pass && generationB != pass) continue;
    if (a->points.size() != b->points.size() || a->points.empty()) continue;

    const CMeasuringUnit unit = ResultUnit(m_operation, a->unit);
    const KelStoreTrackPoint& first = a->points.begin()->second;
    auto& result = tracks.TrackToFill(key, first.context, first.expire, pass + 1);
    result.points.reserve(result.points.size() + a->points.size());
    auto pointB = b->points.begin();
    for (auto pointA = a->points.begin(); pointA != a->points.end(); ++pointA, ++pointB) {
      KelStoreTrackPoint point(Apply(m_operation, pointA->second.value, pointB->second.value));
      point.context = pointA->second.context;
      point.expire = pointA->second.expire;
      result.Insert(pointA->first, point, unit);
    }
    produced = true;
  }
  return produced;
}
