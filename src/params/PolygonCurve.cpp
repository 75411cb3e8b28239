#include "params/PolygonCurve.h"

#include <cstdint>
#include <utility>

#include "store/IdRange.h"

namespace Kelva {

int GeneratePolygonCurve(const CDtParamInstance& params, int polygon, CVisDataPolygon& out) {
  out.StartPolygon(64);
  if (polygon == -1) return 0;
  const auto [first, last] = IdRange(params.IpPolygonValues(), polygon,
                                     [](int32_t number) { return std::make_pair(number, 0); });
  for (auto it = first; it != last; ++it) out.AddPoint(it->second.x, it->second.y);
  out.PolygonCompleted(1);
  return out.NPoints();
}

}  // namespace Kelva
