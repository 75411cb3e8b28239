#include "eval/SpectrumPolygon.h"

#include <algorithm>
#include <cmath>

namespace SpectrumPolygon {

namespace {

// The bin at or before x (x / w truncated), at most n; 0 for a negative x.
size_t StartBin(float x, float w, size_t n) {
  if (!(x > 0.0f)) return 0u;
  return static_cast<size_t>(std::min(static_cast<double>(x / w), static_cast<double>(n)));
}

}  // namespace

std::vector<CVPoint> WithoutNegativeX(const std::vector<CVPoint>& points) {
  std::vector<CVPoint> kept;
  std::copy_if(points.begin(), points.end(), std::back_inserter(kept),
               [](const CVPoint& point) { return point.x >= 0.0f; });
  return kept;
}

namespace {

// The first bin from `from` on whose x (i · w, in float) lies beyond `xEnd`; at most n.
size_t FirstBinBeyond(float xEnd, float w, size_t from, size_t n) {
  const double estimate = std::floor(static_cast<double>(xEnd) / w) + 1.0;
  size_t stop =
      static_cast<size_t>(std::clamp(estimate, static_cast<double>(from), static_cast<double>(n)));
  while (stop > from && static_cast<float>(stop - 1) * w > xEnd) --stop;
  while (stop < n && !(static_cast<float>(stop) * w > xEnd)) ++stop;
  return stop;
}

// Σ max(±(c[i] − (y0 + (i·w − x0)·slope)), 0) over bins [first, stop), in kLanes partial sums
// (bin i in lane i % kLanes) so that the loop runs as a vector loop; the lanes are added in
// order at the end. Bin numbers fit 32 bits (a curve has fewer bins), so x is converted from a
// 32-bit integer, which vector units do in one step.
constexpr size_t kLanes = 8;
float Distance(const float* c, int32_t i, float w, float x0, float y0, float slope, float sign) {
  return std::max(sign * (c[i] - (y0 + (static_cast<float>(i) * w - x0) * slope)), 0.0f);
}
void AddDistances(const float* c, size_t first, size_t stop, float w, float x0, float y0,
                  float slope, float sign, float* lanes) {
  auto i = static_cast<int32_t>(first);
  const auto end = static_cast<int32_t>(stop);
  for (; i < end && i % static_cast<int32_t>(kLanes) != 0; ++i)
    lanes[i % kLanes] += Distance(c, i, w, x0, y0, slope, sign);
  // Local sums: the compiler cannot tell the caller's lanes from the curve's samples.
  float block[kLanes] = {};
  for (; i + static_cast<int32_t>(kLanes) <= end; i += static_cast<int32_t>(kLanes))
    for (int32_t k = 0; k < static_cast<int32_t>(kLanes); ++k)
      block[k] += Distance(c, i + k, w, x0, y0, slope, sign);
  for (size_t k = 0; k < kLanes; ++k) lanes[k] += block[k];
  for (; i < end; ++i) lanes[i % kLanes] += Distance(c, i, w, x0, y0, slope, sign);
}

}  // namespace

float SummedDistance(const float* c, size_t n, float w, const std::vector<CVPoint>& polygon,
                     bool above) {
  if (polygon.size() < 2 || !(w > 0.0f)) return 0.0f;
  float lanes[kLanes] = {};
  const float sign = above ? 1.0f : -1.0f;
  size_t i = StartBin(polygon.front().x, w, n);
  // Segment j holds the bins not yet taken whose x is not beyond point j + 1.
  for (size_t j = 0; j + 1 < polygon.size() && i < n; ++j) {
    const CVPoint& a = polygon[j];
    const CVPoint& b = polygon[j + 1];
    const size_t stop = FirstBinBeyond(b.x, w, i, n);
    if (b.x == a.x)
      AddDistances(c, i, stop, w, 0.0f, b.y, 0.0f, sign, lanes);
    else
      AddDistances(c, i, stop, w, a.x, a.y, (b.y - a.y) / (b.x - a.x), sign, lanes);
    i = stop;
  }
  float sum = 0.0f;
  for (const float lane : lanes) sum += lane;
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
