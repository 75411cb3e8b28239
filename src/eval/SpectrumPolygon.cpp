#include "eval/SpectrumPolygon.h"

#include <algorithm>
#include <climits>

namespace SpectrumPolygon {

namespace {

// The bin at or before x (x / w truncated), at most n; 0 for a negative x.
size_t StartBin(float x, float w, size_t n) {
  if (!(x > 0.0f)) return 0u;
  return static_cast<size_t>(std::min(static_cast<double>(x / w), static_cast<double>(n)));
}

}  // namespace

std::vector<CVPoint> Points(const CDtParamInstance& params, int number) {
  const auto& values = params.IpPolygonValues();
  std::vector<CVPoint> points;
  for (auto it = values.lower_bound({number, INT_MIN});
       it != values.end() && it->first.first == number; ++it)
    points.push_back(it->second);
  return points;
}

std::vector<CVPoint> WithoutNegativeX(const std::vector<CVPoint>& points) {
  std::vector<CVPoint> kept;
  std::copy_if(points.begin(), points.end(), std::back_inserter(kept),
               [](const CVPoint& point) { return point.x >= 0.0f; });
  return kept;
}

float Interpolate(const CVPoint& a, const CVPoint& b, float x) {
  if (b.x == a.x) return b.y;
  return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
}

float SummedDistance(const float* c, size_t n, float w, const std::vector<CVPoint>& polygon,
                     bool above) {
  if (polygon.size() < 2 || !(w > 0.0f)) return 0.0f;
  const float xLast = polygon.back().x;
  size_t segment = 0;  // the polygon between points segment and segment + 1
  float sum = 0.0f;
  for (size_t i = StartBin(polygon.front().x, w, n); i < n; ++i) {
    const float x = static_cast<float>(i) * w;
    if (x > xLast) break;
    while (segment + 2 < polygon.size() && x > polygon[segment + 1].x) ++segment;
    const float d = c[i] - Interpolate(polygon[segment], polygon[segment + 1], x);
    sum += above ? std::max(d, 0.0f) : std::max(-d, 0.0f);
  }
  return sum;
}

std::optional<SpectrumStatistic> ExtremeInRange(const float* c, size_t n, float w, float xFirst,
                                                float xLast, bool largest) {
  if (!(w > 0.0f)) return std::nullopt;
  std::optional<SpectrumStatistic> extreme;
  for (size_t i = StartBin(xFirst, w, n); i < n; ++i) {
    const float x = static_cast<float>(i) * w;
    if (x > xLast) break;
    if (x < xFirst) continue;
    if (extreme && !(largest ? c[i] > extreme->value : c[i] < extreme->value)) continue;
    extreme = SpectrumStatistic{c[i], x};
  }
  return extreme;
}

}  // namespace SpectrumPolygon
