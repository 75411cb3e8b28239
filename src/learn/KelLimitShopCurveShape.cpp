// The shaping steps of a limit curve: the sideways widening of its peaks (the chimney) and the
// bound polygons laid over it.

#include <cmath>
#include <cstring>

#include "host/Numeric.h"
#include "learn/KelLimitShop.h"

namespace {

// The number of points a width covers at x step dx: the integer part of width / dx + 0.5, at
// most `most`; 0 for a width that rounds to 0 or below, or for an x step that is not positive.
int PointsOfWidth(float width, float dx, int most) {
  if (!(dx > 0.0f)) return 0;
  const float points = width / dx + 0.5f;
  if (!(points >= 1.0f)) return 0;  // NaN, or rounds to 0 or below
  if (points >= static_cast<float>(most)) return most;
  return static_cast<int>(points);
}

// The bin of polygon position x: the integer part of x · scale / dx + 0.5, clamped to
// 0 .. n − 1. A position that is not a number (an x step of 0 at x 0) counts as bin 0.
int PolygonBin(float x, float scale, float dx, uint32_t n) {
  const float bin = x * scale / dx + 0.5f;
  if (!(bin >= 1.0f)) return 0;
  if (bin >= static_cast<float>(n - 1)) return static_cast<int>(n - 1);
  return static_cast<int>(bin);
}

}  // namespace

CKelLimitShop::ChimneyPoints CKelLimitShop::ChimneyOf(const KelSigLimitCurve& curve,
                                                      chimney_width_t widths) {
  if (curve.size() == 0) return {};
  const float dx = curve.description().Delta(0);
  return {static_cast<unsigned>(PointsOfWidth(widths.first, dx, kMaxChimneyPoints)),
          static_cast<unsigned>(PointsOfWidth(widths.second, dx, kMaxChimneyPoints))};
}

void CKelLimitShop::SigChimney(KelSigLimitCurve& curve, chimney_width_t widths,
                               window_combine_t widen) const {
  const ChimneyPoints chimney = ChimneyOf(curve, widths);
  if (!chimney.Widens()) return;
  const uint32_t n = curve.size();
  float* limit = curve.LimitData();
  // The window routine reads one buffer and writes another: the limit as it was goes to the
  // scratch buffer, the widened limit back into the curve.
  float* unwidened = Scratch(n);
  std::memcpy(unwidened, limit, n * sizeof(float));
  widen(limit, unwidened, n, chimney.left, chimney.right);
}

void CKelLimitShop::SigPolygonLimit(const QClavis& key, KelSigLimitCurve& curve, int polygonId,
                                    polygon_combine_t combine) const {
  const auto& points = params_.IpPolygonValues();
  auto point = points.lower_bound({polygonId, 0});
  const uint32_t n = curve.size();
  if (point == points.end() || point->first.first != polygonId || n == 0) return;
  float scale = 1.0f;
  const auto property = params_.IpPolygonProperty().find(QIdx1(polygonId));
  if (property != params_.IpPolygonProperty().end() && property->second.order != -1)
    scale = std::fabs(params_.FrequencyRatioToGeneratingRotor(key.mode(), key.location(),
                                                              property->second.order));
  const float dx = curve.description().Delta(0);
  float* limit = curve.LimitData();
  int previousBin = 0;
  float previousY = point->second.y;
  for (; point != points.end() && point->first.first == polygonId; ++point) {
    const int bin = PolygonBin(point->second.x, scale, dx, n);
    combine(limit, previousBin, bin, previousY, point->second.y);
    previousBin = bin;
    previousY = point->second.y;
  }
  combine(limit, previousBin, static_cast<int>(n - 1), previousY, previousY);
}
