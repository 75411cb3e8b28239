#pragma once
// CnScopeBalloon: the host's scope window, a floating window that draws display records. It
// holds one record of each kind an inspecting dialog fills — a curve and its limit curve, a
// track polygon and the polygon of its second dimension, a spectrogram and a track grid — each
// with a name and shown or hidden. Scale fits the axes to what is shown.

#include <array>
#include <string>

#include "host/Display.h"

class CnScopeBalloon {
 public:
  enum item_t { itemCurve, itemLimit, itemTrack, itemTrackSecond, itemSpectrogram, itemGrid };
  static constexpr int kItems = 6;

  // The axes' ranges; not valid while nothing shown has a finite point.
  struct Range {
    bool valid = false;
    double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;
  };

  explicit CnScopeBalloon(std::string title) : title_(std::move(title)) {}

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  CVisDataVector& Curve() { return curve_; }
  CVisDataVector& Limit() { return limit_; }
  CVisDataPolygon& Track() { return track_; }
  CVisDataPolygon& TrackSecond() { return trackSecond_; }
  CVisDataArray& Spectrogram() { return spectrogram_; }
  CVisDataGrid& Grid() { return grid_; }
  const CVisDataVector& Curve() const { return curve_; }
  const CVisDataVector& Limit() const { return limit_; }
  const CVisDataPolygon& Track() const { return track_; }
  const CVisDataPolygon& TrackSecond() const { return trackSecond_; }
  const CVisDataArray& Spectrogram() const { return spectrogram_; }
  const CVisDataGrid& Grid() const { return grid_; }

  void SetItemName(item_t item, const std::string& name) { names_[item] = name; }
  const std::string& ItemName(item_t item) const { return names_[item]; }

  // Hides every record; their contents stay until they are filled again.
  void HideAll() { shown_.fill(false); }
  void Show(item_t item) { shown_[item] = true; }
  bool Shown(item_t item) const { return shown_[item]; }

  // Fits the axes to the finite points of every shown record and returns the ranges.
  const Range& Scale();
  const Range& Scaling() const { return range_; }

 private:
  void Include(double x, double y);
  void IncludeVector(const CVisDataVector& vector);
  void IncludePolygon(const CVisDataPolygon& polygon);
  void IncludeGrid(const CVisDataGrid& grid);

  std::string title_;
  CVisDataVector curve_, limit_;
  CVisDataPolygon track_, trackSecond_;
  CVisDataArray spectrogram_;
  CVisDataGrid grid_;
  std::array<std::string, kItems> names_;
  std::array<bool, kItems> shown_{};
  Range range_;
};
