#pragma once
// SvgPlot: one measured curve against its limits as inline SVG for the HTML report — a frame
// with ticks and tick labels on both axes, axis labels with units, the measured values as a
// line, each limit as a dashed line, and a red point wherever a value lies beyond its limit
// (above an upper, below a lower limit). A limit is NaN where a point has none; lines break
// at NaN.

#include <string>
#include <vector>

namespace SvgPlot {

struct Plot {
  std::string title;
  std::string xLabel;  // with its unit: "Speed [rpm]"
  std::string yLabel;
  std::vector<double> x;
  std::vector<double> value;
  std::vector<double> upper;  // empty, or one limit per x
  std::vector<double> lower;
};

// Whether point i lies beyond a limit of the plot.
bool Violates(const Plot& plot, size_t i);

// Tick positions for [lo, hi]: the multiples in it of the smallest step of 1, 2 or 5 times a
// power of ten that is at least a fifth of the range (2 to 6 ticks). None for an empty range.
std::vector<double> Ticks(double lo, double hi);

// The <svg> element (no XML declaration, no namespace: it is meant to be inlined in HTML).
// Every text is HTML-escaped. A plot without a finite value is a frame saying "no data".
std::string Render(const Plot& plot);

}  // namespace SvgPlot
