#include "SvgPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "HtmlEscape.h"

namespace SvgPlot {

namespace {

constexpr double kWidth = 640, kHeight = 300;
constexpr double kLeft = 64, kRight = 16, kTop = 28, kBottom = 46;

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", value);
  return text;
}

std::string Label(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", std::fabs(value) < 1e-12 ? 0.0 : value);
  return text;
}

struct Range {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    if (!std::isfinite(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  bool Valid() const { return lo <= hi; }
  // A range of zero width is widened, so that the scale never divides by zero.
  void Widen() {
    if (hi - lo < 1e-9) {
      lo -= 0.5;
      hi += 0.5;
    }
  }
};

struct Scale {
  Range x, y;
  double X(double v) const {
    return kLeft + (v - x.lo) / (x.hi - x.lo) * (kWidth - kLeft - kRight);
  }
  double Y(double v) const {
    return kHeight - kBottom - (v - y.lo) / (y.hi - y.lo) * (kHeight - kTop - kBottom);
  }
};

// A line through the finite points; a NaN breaks it.
std::string PathData(const Scale& scale, const std::vector<double>& x,
                     const std::vector<double>& y) {
  std::string d;
  bool pen = false;
  for (size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) {
      pen = false;
      continue;
    }
    d += (pen ? "L" : "M") + Fixed(scale.X(x[i])) + "," + Fixed(scale.Y(y[i]));
    pen = true;
  }
  return d;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& text,
                 const std::string& extra = "") {
  return "<text x=\"" + Fixed(x) + "\" y=\"" + Fixed(y) + "\" text-anchor=\"" + anchor + "\"" +
         extra + ">" + HtmlEscape(text) + "</text>";
}

std::string Axes(const Scale& scale, const Plot& plot) {
  const double bottom = kHeight - kBottom, right = kWidth - kRight;
  std::string svg = "<rect class=\"frame\" x=\"" + Fixed(kLeft) + "\" y=\"" + Fixed(kTop) +
                    "\" width=\"" + Fixed(right - kLeft) + "\" height=\"" + Fixed(bottom - kTop) +
                    "\"/>";
  for (double t : Ticks(scale.x.lo, scale.x.hi)) {
    const std::string x = Fixed(scale.X(t));
    svg += "<line class=\"tick\" x1=\"" + x + "\" y1=\"" + Fixed(bottom) + "\" x2=\"" + x +
           "\" y2=\"" + Fixed(bottom + 5) + "\"/>" +
           Text(scale.X(t), bottom + 17, "middle", Label(t));
  }
  for (double t : Ticks(scale.y.lo, scale.y.hi)) {
    const std::string y = Fixed(scale.Y(t));
    svg += "<line class=\"tick\" x1=\"" + Fixed(kLeft - 5) + "\" y1=\"" + y + "\" x2=\"" +
           Fixed(kLeft) + "\" y2=\"" + y + "\"/>" +
           Text(kLeft - 8, scale.Y(t) + 4, "end", Label(t));
  }
  svg += Text((kLeft + right) / 2, kHeight - 8, "middle", plot.xLabel, " class=\"axis-label\"");
  svg +=
      Text(14, (kTop + bottom) / 2, "middle", plot.yLabel,
           " class=\"axis-label\" transform=\"rotate(-90 14 " + Fixed((kTop + bottom) / 2) + ")\"");
  svg += Text(kLeft, 18, "start", plot.title, " class=\"plot-title\"");
  return svg;
}

std::string Violations(const Scale& scale, const Plot& plot) {
  std::string svg;
  for (size_t i = 0; i < plot.x.size() && i < plot.value.size(); ++i)
    if (Violates(plot, i))
      svg += "<circle class=\"violation\" cx=\"" + Fixed(scale.X(plot.x[i])) + "\" cy=\"" +
             Fixed(scale.Y(plot.value[i])) + "\" r=\"3\"/>";
  return svg;
}

std::string Line(const Scale& scale, const Plot& plot, const std::vector<double>& y,
                 const char* cssClass) {
  const std::string d = PathData(scale, plot.x, y);
  return d.empty() ? "" : std::string("<path class=\"") + cssClass + "\" d=\"" + d + "\"/>";
}

}  // namespace

bool Violates(const Plot& plot, size_t i) {
  if (i >= plot.value.size() || !std::isfinite(plot.value[i])) return false;
  const double v = plot.value[i];
  const bool overUpper = i < plot.upper.size() && std::isfinite(plot.upper[i]) && v > plot.upper[i];
  const bool underLower =
      i < plot.lower.size() && std::isfinite(plot.lower[i]) && v < plot.lower[i];
  return overUpper || underLower;
}

std::vector<double> Ticks(double lo, double hi) {
  std::vector<double> ticks;
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo) return ticks;
  const double rough = (hi - lo) / 5;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double factor : {1.0, 2.0, 5.0, 10.0})
    if (factor * power >= rough) {
      step = factor * power;
      break;
    }
  // Each tick as a multiple of the step, so that no rounding error adds up along the axis.
  for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1)
    ticks.push_back(k == 0 ? 0.0 : k * step);
  return ticks;
}

std::string Render(const Plot& plot) {
  Scale scale;
  for (double v : plot.x) scale.x.Add(v);
  for (const auto* series : {&plot.value, &plot.upper, &plot.lower})
    for (double v : *series) scale.y.Add(v);
  std::string svg = "<svg class=\"plot\" viewBox=\"0 0 " + Fixed(kWidth) + " " + Fixed(kHeight) +
                    "\" width=\"" + Fixed(kWidth) + "\" height=\"" + Fixed(kHeight) +
                    "\" role=\"img\"><title>" + HtmlEscape(plot.title) + "</title>";
  if (!scale.x.Valid() || !scale.y.Valid())
    return svg + Text(kWidth / 2, kHeight / 2, "middle", plot.title + ": no data") + "</svg>";
  scale.x.Widen();
  scale.y.Widen();
  svg += Axes(scale, plot);
  svg += Line(scale, plot, plot.upper, "limit upper");
  svg += Line(scale, plot, plot.lower, "limit lower");
  svg += Line(scale, plot, plot.value, "value");
  svg += Violations(scale, plot);
  return svg + "</svg>";
}

}  // namespace SvgPlot
