#pragma once
// QSvTrackEval: one single value from the deviation of a scalar track from a reference
// polygon over its trigger axis (used by CTrackPolygon).
//
// The polygon's points are the entries (number, 0), (number, 1), … of IpPolygonValues(), in
// index order. Each segment covers the cells from the cell nearest its first x to the cell
// nearest its last x; the polygon value at a cell is y0 + (x − x0)·m with x the cell's trigger
// value and m the segment's slope (0 when both ends fall in one cell). Every track point in a
// segment is one sample (a point on the boundary of two segments counts once, in the first);
// so is every cell between two consecutive sampled points, with the track value interpolated
// linearly between them and the polygon value of the segment of the later point (on that
// segment's line, also where the cell lies before the segment's start).
//
// Calculation modes (d = track value − polygon value, e = max(d·sign, 0), sign −1 for modes 1,
// 11 and 14, else +1; N samples; cells = last − first sampled point's cell + 1):
//   1, 2   the largest e (1 below, 2 above the polygon), at its cell's trigger value
//   3, 4   cells · Σe / N            5  √(Σd² / N)
//   6      √(Σd² over d ≥ 0 / N)     7  √(Σd² over d < 0 / N)
//   8, 9   the smallest (8) or largest (9) track value, at its cell's trigger value
//   10, 11 step · Σe · cells / N (11 below, 10 above)     12  Σd² / N
//   13, 14 Σe / N (14 below, 13 above)
//   other  a message, and the value 0.
// A position not given above is 0.

#include <cstdint>
#include <map>
#include <utility>

#include "eval/SourceTrack.h"
#include "host/ParamRecords.h"
#include "host/Params.h"

namespace QSvTrackEval {

// The sums and extremes of the samples of a track against a polygon.
struct CPolygonStatistics {
  explicit CPolygonStatistics(int mode);

  // Takes in one sample: the track value, the polygon value and the cell.
  void Add(float value, float polygonValue, int64_t cell);

  int calcMode;
  float sign;
  float exceedanceSum = 0.0f;
  float belowSquares = 0.0f;
  float atOrAboveSquares = 0.0f;
  float totalSquares = 0.0f;
  int64_t extremeCell = -1;
  float extremeValue;
  int64_t largestExceedanceCell = -1;
  float largestExceedance = 0.0f;
};

// A value of the statistics and where it lies on the trigger axis.
struct CResult {
  float value = 0.0f;
  float position = 0.0f;
};

using polygon_values_t = std::map<std::pair<int, int>, CVPoint>;

// Samples `track` along polygon `polygon` into `stats` and puts the value of the calculation
// mode into `result`. Returns the number of samples, or −1 when the polygon has fewer than
// two points. The track is walked once in the order of its cells, segment by segment; on a
// falling axis (a coast-down) the polygon's segments are taken from its high end, so a polygon
// given over rising speed bounds a coast-down as it bounds a run-up.
int EvalTrackPolygon(const polygon_values_t& polygons, int polygon, const CSourceTrack& track,
                     CPolygonStatistics& stats, CResult& result);

// What EvaluateSvOfInterval found.
enum class Outcome { kNoSource, kNoPolygon, kNoSamples, kValue };

// The value of the track of `source` in `pass` against polygon `polygon` in `calcMode`; on
// kValue it has been inserted under `key` with generation pass + 1.
Outcome EvaluateSvOfInterval(const CDtParamInstance& params, CKelValueStore& store,
                             const QClavis& key, const QClavis& source, unsigned pass, int calcMode,
                             int polygon);

}  // namespace QSvTrackEval
