#pragma once
// Limit polygons of the parameter database as display curves.

#include <map>
#include <utility>
#include <vector>

#include "host/Display.h"
#include "host/Params.h"

namespace Kelva {

// Fills `out` with the points of polygon `polygon` in index order and returns their number;
// 0 (and an empty polygon) for polygon -1 or a polygon without points.
int GeneratePolygonCurve(const CDtParamInstance& params, int polygon, CVisDataPolygon& out);

// The points of polygon `polygon` of a polygon table (IpPolygonValues(): key (polygon, index))
// in index order; empty when the polygon is not defined.
std::vector<CVPoint> PolygonPoints(const std::map<std::pair<int, int>, CVPoint>& values,
                                   int polygon);

}  // namespace Kelva
