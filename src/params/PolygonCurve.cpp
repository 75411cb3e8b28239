#include "params/PolygonCurve.h"

#include <cstdint>
#include <utility>

#include "store/IdRange.h"

namespace Kelva {

namespace {

auto PolygonRange(const std::map<std::pair<int, int>, CVPoint>& values, int polygon) {
  return IdRange(values, polygon, [](int32_t number) { return std::make_pair(number, 0); });
}

}  // namespace

int GeneratePolygonCurve(const CDtParamInstance& params, int polygon, CVisDataPolygon& out) {
  out.StartPolygon(64);
  if (polygon == -1) return 0;
  const auto [first, last] = PolygonRange(params.IpPolygonValues(), polygon);
  for (auto it = first; it != last; ++it) out.AddPoint(it->second.x, it->second.y);
  out.PolygonCompleted(1);
  return out.NPoints();
}

std::vector<CVPoint> PolygonPoints(const std::map<std::pair<int, int>, CVPoint>& values,
                                   int polygon) {
  const auto [first, last] = PolygonRange(values, polygon);
  std::vector<CVPoint> points;
  for (auto it = first; it != last; ++it) points.push_back(it->second);
  return points;
}

}  // namespace Kelva
