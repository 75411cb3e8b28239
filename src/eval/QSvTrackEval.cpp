#include "eval/QSvTrackEval.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "host/Output.h"
#include "params/PolygonCurve.h"

namespace QSvTrackEval {

namespace {

constexpr float kFloatMax = 3.4028235e38f;

// One polygon segment laid onto the cells of the trigger axis.
struct CSegment {
  float x0 = 0.0f;
  float y0 = 0.0f;
  float slope = 0.0f;
  int64_t firstCell = 0;
  int64_t lastCell = 0;

  float PolygonValueAt(const CTriggerStore::CInterval& interval, int64_t cell) const {
    return y0 + (interval.CellPosition(cell) - x0) * slope;
  }
};

// The polygon's segments laid onto the track's cells, in the order of rising cells: on a
// falling axis (a coast-down, step < 0) a polygon given over rising x runs over falling cells,
// so its segments are taken last to first, each from its lower cell to its higher one. The
// track is then walked once from its first cell on, whichever way its axis runs. A segment
// whose end cannot be converted into a cell is left out.
std::vector<CSegment> SegmentsInCellOrder(const std::vector<CVPoint>& points,
                                          const CSourceTrack& track) {
  std::vector<CSegment> segments;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const CVPoint& p0 = points[i];
    const CVPoint& p1 = points[i + 1];
    CSegment segment;
    if (!track.Cell(p0.x, segment.firstCell) || !track.Cell(p1.x, segment.lastCell)) continue;
    segment.x0 = p0.x;
    segment.y0 = p0.y;
    if (segment.firstCell != segment.lastCell) segment.slope = (p1.y - p0.y) / (p1.x - p0.x);
    if (segment.firstCell > segment.lastCell) std::swap(segment.firstCell, segment.lastCell);
    segments.push_back(segment);
  }
  if (track.Interval().step() < 0.0) std::reverse(segments.begin(), segments.end());
  return segments;
}

// Walks the track along the polygon segment by segment and feeds the samples to the
// statistics.
class CPolygonSampler {
 public:
  CPolygonSampler(const CSourceTrack& track, CPolygonStatistics& stats)
      : m_track(track), m_stats(stats) {}

  void SampleSegment(const CSegment& segment) {
    const auto& points = m_track.Points();
    const int64_t from = m_hasPrevious ? segment.firstCell + 1 : segment.firstCell;
    for (auto it = points.lower_bound(from); it != points.end() && it->first <= segment.lastCell;
         ++it)
      SamplePoint(segment, it->first, it->second.value);
  }

  int Samples() const { return m_samples; }
  // Cells from the first to the last sampled track point, both included.
  int64_t Cells() const { return m_hasPrevious ? m_previousCell - m_firstCell + 1 : 0; }

 private:
  void SamplePoint(const CSegment& segment, int64_t cell, float value) {
    Add(segment, cell, value);
    if (m_hasPrevious) {
      const float span = static_cast<float>(cell - m_previousCell);
      for (int64_t between = m_previousCell + 1; between < cell; ++between) {
        const float t = static_cast<float>(between - m_previousCell) / span;
        Add(segment, between, m_previousValue + (value - m_previousValue) * t);
      }
    } else {
      m_firstCell = cell;
    }
    m_hasPrevious = true;
    m_previousCell = cell;
    m_previousValue = value;
  }

  void Add(const CSegment& segment, int64_t cell, float value) {
    m_stats.Add(value, segment.PolygonValueAt(m_track.Interval(), cell), cell);
    ++m_samples;
  }

  const CSourceTrack& m_track;
  CPolygonStatistics& m_stats;
  int m_samples = 0;
  bool m_hasPrevious = false;
  int64_t m_firstCell = 0;
  int64_t m_previousCell = 0;
  float m_previousValue = 0.0f;
};

// The trigger value of `cell`, or 0 when no cell was found.
float PositionOf(const CSourceTrack& track, int64_t cell) {
  float position = 0.0f;
  if (cell >= 0) track.Position(cell, position);
  return position;
}

// The value of the statistics in their calculation mode.
CResult ResultOf(const CPolygonStatistics& stats, const CSourceTrack& track, int samples,
                 int64_t cells) {
  const float n = static_cast<float>(samples);
  const float cellCount = static_cast<float>(cells);
  const float step = static_cast<float>(track.Interval().step());
  CResult result;
  switch (stats.calcMode) {
    case 1:
    case 2:
      result.value = stats.largestExceedance;
      result.position = PositionOf(track, stats.largestExceedanceCell);
      break;
    case 3:
    case 4:
      result.value = cellCount * stats.exceedanceSum / n;
      break;
    case 5:
      result.value = std::sqrt((stats.belowSquares + stats.atOrAboveSquares) / n);
      break;
    case 6:
      result.value = std::sqrt(stats.atOrAboveSquares / n);
      break;
    case 7:
      result.value = std::sqrt(stats.belowSquares / n);
      break;
    case 8:
    case 9:
      result.value = stats.extremeValue;
      result.position = PositionOf(track, stats.extremeCell);
      break;
    case 10:
    case 11:
      result.value = step * stats.exceedanceSum * cellCount / n;
      break;
    case 12:
      result.value = stats.totalSquares / n;
      break;
    case 13:
    case 14:
      result.value = stats.exceedanceSum / n;
      break;
    default:
      PrWin::Output(8, 3, "QSvTrackEval::EvalTrackPolygon() -- unknown calculation requested\n");
      break;
  }
  return result;
}

}  // namespace

CPolygonStatistics::CPolygonStatistics(int mode)
    : calcMode(mode),
      sign(mode == 1 || mode == 11 || mode == 14 ? -1.0f : 1.0f),
      extremeValue(mode == 8 ? kFloatMax : -kFloatMax) {}

void CPolygonStatistics::Add(float value, float polygonValue, int64_t cell) {
  if ((calcMode == 8 && value < extremeValue) || (calcMode == 9 && value > extremeValue)) {
    extremeValue = value;
    extremeCell = cell;
  }
  const float d = value - polygonValue;
  const float square = d * d;
  totalSquares += square;
  if (d < 0.0f)
    belowSquares += square;
  else
    atOrAboveSquares += square;
  const float e = std::max(d * sign, 0.0f);
  if (e > largestExceedance) {
    largestExceedance = e;
    largestExceedanceCell = cell;
  }
  exceedanceSum += e;
}

int EvalTrackPolygon(const polygon_values_t& polygons, int polygon, const CSourceTrack& track,
                     CPolygonStatistics& stats, CResult& result) {
  const std::vector<CVPoint> points = Kelva::PolygonPoints(polygons, polygon);
  if (points.size() < 2) return -1;
  CPolygonSampler sampler(track, stats);
  for (const CSegment& segment : SegmentsInCellOrder(points, track)) sampler.SampleSegment(segment);
  if (sampler.Samples() > 0) result = ResultOf(stats, track, sampler.Samples(), sampler.Cells());
  return sampler.Samples();
}

Outcome EvaluateSvOfInterval(const CDtParamInstance& params, CKelValueStore& store,
                             const QClavis& key, const QClavis& source, unsigned pass, int calcMode,
                             int polygon) {
  CSourceTrack track;
  if (!track.Find(store, source, pass)) return Outcome::kNoSource;
  CPolygonStatistics stats(calcMode);
  CResult result;
  const int samples = EvalTrackPolygon(params.IpPolygonValues(), polygon, track, stats, result);
  if (samples < 0) return Outcome::kNoPolygon;
  if (samples == 0) return Outcome::kNoSamples;
  track.InsertResult(store, key, result.value, result.position, pass);
  return Outcome::kValue;
}

}  // namespace QSvTrackEval
