#include "params/PolygonCurve.h"

namespace Kelva {

int GeneratePolygonCurve(const CDtParamInstance& params, int polygon, CVisDataPolygon& out) {
  out.StartPolygon(64);
  if (polygon == -1) return 0;
  const auto& points = params.IpPolygonValues();
  const auto end = points.lower_bound({polygon + 1, 0});
  for (auto it = points.lower_bound({polygon, 0}); it != end; ++it)
    out.AddPoint(it->second.x, it->second.y);
  out.PolygonCompleted(1);
  return out.NPoints();
}

}  // namespace Kelva
