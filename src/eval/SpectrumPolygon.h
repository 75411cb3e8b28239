#pragma once
// A spectrum against a reference polygon: the summed distance of the spectrum above or below
// the polygon, and the spectrum's extreme inside the polygon's x range. The spectrum is
// c[0 … n−1] with bin i at x = i × w (w > 0); the polygon's points are taken in index order
// and their x must not decrease.

#include <cstddef>
#include <optional>
#include <vector>

#include "eval/SpectrumStatistic.h"
#include "host/ParamRecords.h"

namespace SpectrumPolygon {

// The points with x ≥ 0, in their order.
std::vector<CVPoint> WithoutNegativeX(const std::vector<CVPoint>& points);

// Σ max(c[i] − p(x_i), 0) (`above`) or Σ max(p(x_i) − c[i], 0) over the bins from
// ⌊x_0 / w⌋ to the last bin whose x is not beyond the last point; p is the polygon by linear
// interpolation (p = y0 + (x − x0)·slope per segment), a start bin before the first point
// taking the line of the first segment. The sum is kept in eight partial sums (bin i in sum
// i % 8), added in order at the end. Fewer than two points, or w ≤ 0, give 0.
float SummedDistance(const float* c, size_t n, float w, const std::vector<CVPoint>& polygon,
                     bool above);

// The smallest (or, with `largest`, the largest) c[i] over the bins whose x lies in
// [xFirst, xLast], with that bin's x; the first extreme bin wins. None when no bin lies in the
// range (an empty spectrum among them) or w ≤ 0.
std::optional<SpectrumStatistic> ExtremeInRange(const float* c, size_t n, float w, float xFirst,
                                                float xLast, bool largest);

}  // namespace SpectrumPolygon
