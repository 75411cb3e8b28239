#pragma once
// Display records the windows draw from. Curve records share the sample buffer of the curve
// they were filled from: a later write to that curve copies its samples first, so a display
// record never changes under the window's feet and filling one copies no samples.

#include <cstdint>
#include <string>
#include <vector>

#include "host/AlignedMem.h"
#include "host/MeasuringUnit.h"

// One curve: y samples over an equidistant x axis.
struct CVisDataVector {
  std::shared_ptr<const CAlignedMem<float>> samples;
  uint32_t size = 0;
  float xStart = 0.0f;
  float xDelta = 1.0f;
  CMeasuringUnit xUnit;
  CMeasuringUnit yUnit;

  const float* Data() const { return samples ? samples->data() : nullptr; }
};

// A grid of rows × columns samples (a spectrogram: one row per track position), row-major.
struct CVisDataGrid {
  std::shared_ptr<const CAlignedMem<float>> samples;
  uint32_t columns = 0;
  uint32_t rows = 0;
  float xStart = 0.0f;
  float xDelta = 1.0f;
  float rowStart = 0.0f;
  float rowDelta = 1.0f;
  CMeasuringUnit xUnit;
  CMeasuringUnit rowUnit;
  CMeasuringUnit valueUnit;

  const float* Data() const { return samples ? samples->data() : nullptr; }
};

// What every display item has: the units of its axes.
struct CVisDataItem {
  CMeasuringUnit xUnit;
  CMeasuringUnit yUnit;
};

// A polygon (a limit polygon, a track over speed) built point by point.
class CVisDataPolygon : public CVisDataItem {
 public:
  struct Point {
    double x;
    double y;
  };

  // Empties the polygon and reserves room for `capacity` points (it grows beyond that).
  void StartPolygon(int capacity);
  void AddPoint(double x, double y) { points_.push_back(Point{x, y}); }
  void PolygonCompleted(int flag) { completed_ = flag; }
  int NPoints() const { return static_cast<int>(points_.size()); }
  int Completed() const { return completed_; }
  const std::vector<Point>& Points() const { return points_; }

 private:
  std::vector<Point> points_;
  int completed_ = 0;
};

// A named series of curves, each at a position of a trigger axis (a spectrogram).
struct CVisDataArray {
  std::string name;
  std::vector<CVisDataVector> curves;
  std::vector<float> positions;  // axis value of each curve
  CMeasuringUnit positionUnit;
};
