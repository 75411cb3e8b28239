#include "host/ScopeBalloon.h"

#include <algorithm>
#include <cmath>

const CnScopeBalloon::Range& CnScopeBalloon::Scale() {
  range_ = Range();
  if (shown_[itemCurve]) IncludeVector(curve_);
  if (shown_[itemLimit]) IncludeVector(limit_);
  if (shown_[itemTrack]) IncludePolygon(track_);
  if (shown_[itemTrackSecond]) IncludePolygon(trackSecond_);
  if (shown_[itemSpectrogram])
    for (const CVisDataVector& curve : spectrogram_.curves) IncludeVector(curve);
  if (shown_[itemGrid]) IncludeGrid(grid_);
  return range_;
}

void CnScopeBalloon::Include(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (!range_.valid) {
    range_ = Range{true, x, x, y, y};
    return;
  }
  range_.xMin = std::min(range_.xMin, x);
  range_.xMax = std::max(range_.xMax, x);
  range_.yMin = std::min(range_.yMin, y);
  range_.yMax = std::max(range_.yMax, y);
}

void CnScopeBalloon::IncludeVector(const CVisDataVector& vector) {
  const float* samples = vector.Data();
  if (samples == nullptr) return;
  const uint32_t n = std::min<uint32_t>(vector.size, static_cast<uint32_t>(vector.samples->size()));
  for (uint32_t i = 0; i < n; ++i)
    Include(vector.xStart + static_cast<double>(i) * vector.xDelta, samples[i]);
}

void CnScopeBalloon::IncludePolygon(const CVisDataPolygon& polygon) {
  for (const CVisDataPolygon::Point& point : polygon.Points()) Include(point.x, point.y);
}

// Every cell of the grid at its column's x.
void CnScopeBalloon::IncludeGrid(const CVisDataGrid& grid) {
  const float* samples = grid.Data();
  if (samples == nullptr) return;
  const uint64_t cells =
      std::min<uint64_t>(static_cast<uint64_t>(grid.rows) * grid.columns, grid.samples->size());
  for (uint64_t i = 0; i < cells; ++i)
    Include(grid.xStart + static_cast<double>(i % grid.columns) * grid.xDelta, samples[i]);
}
