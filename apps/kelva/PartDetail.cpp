#include "PartDetail.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "HtmlEscape.h"
#include "JsonAccess.h"

namespace PartDetail {

namespace {

using JsonAccess::Array;
using JsonAccess::Int;
using JsonAccess::Member;
using JsonAccess::Number;
using JsonAccess::Text;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Shown(double value) {
  if (!std::isfinite(value)) return "–";
  char text[32];
  std::snprintf(text, sizeof(text), "%.4g", value);
  return text;
}

const char* EvalModeName(int evalMode) {
  switch (evalMode) {
    case 0:
      return "none";
    case 1:
      return "lower";
    case 2:
      return "upper";
    case 3:
      return "interval";
    default:
      return "?";
  }
}

std::string AxisLabel(const std::string& unit) {
  std::string name = "x";
  if (unit == "ord") name = "Order";
  if (unit == "Hz") name = "Frequency";
  if (unit == "rpm") name = "Speed";
  if (unit == "s") name = "Time";
  return unit.empty() ? name : name + " [" + unit + "]";
}

std::string ValueLabel(const std::string& unit) {
  const std::string name = unit.rfind("dB", 0) == 0 ? "Level" : "Value";
  return unit.empty() ? name : name + " [" + unit + "]";
}

std::string Cell(const std::string& text, const char* cssClass = nullptr) {
  return cssClass == nullptr
             ? "<td>" + HtmlEscape(text) + "</td>"
             : std::string("<td class=\"") + cssClass + "\">" + HtmlEscape(text) + "</td>";
}

std::string Figure(const SvgPlot::Plot& plot, const char* kind) {
  size_t violations = 0;
  for (size_t i = 0; i < plot.value.size(); ++i) violations += SvgPlot::Violates(plot, i) ? 1 : 0;
  return std::string("<figure class=\"") + kind + (violations > 0 ? " violated" : "") + "\">" +
         SvgPlot::Render(plot) + "<figcaption>" + std::to_string(plot.value.size()) + " points, " +
         std::to_string(violations) + " beyond the limit</figcaption></figure>";
}

}  // namespace

std::string KeyText(const nlohmann::json& quantity) {
  std::string text = "[";
  const nlohmann::json& key = Array(quantity, "key");
  for (size_t i = 0; i < key.size(); ++i)
    text += (i > 0 ? "," : "") +
            (key[i].is_number_integer() ? std::to_string(key[i].get<int>()) : std::string("?"));
  return text + "]";
}

std::string QuantityName(const nlohmann::json& quantity) {
  static const char* const kFields[] = {"mode", "instrument", "location", "parameter"};
  static const size_t kKeyIndex[] = {0, 1, 3, 4};
  const nlohmann::json& names = Member(quantity, "names");
  const nlohmann::json& key = Array(quantity, "key");
  if (!names.is_object()) return KeyText(quantity);
  std::string text;
  for (size_t f = 0; f < 4; ++f) {
    std::string name = Text(names, kFields[f]);
    if (name.empty() && kKeyIndex[f] < key.size() && key[kKeyIndex[f]].is_number_integer())
      name = std::to_string(key[kKeyIndex[f]].get<int>());
    text += (f > 0 ? " / " : "") + name;
  }
  return text;
}

bool SingleViolates(const nlohmann::json& quantity) {
  const double value = Number(quantity, "value");
  const double limit = Number(quantity, "limit");
  const int evalMode = Int(quantity, "evalMode", 0);
  if (!std::isfinite(value) || !std::isfinite(limit) || evalMode < 1 || evalMode > 3) return false;
  return evalMode == 2 ? value > limit : value < limit;
}

std::string ValueRows(const nlohmann::json& detail, const std::string& anchor) {
  const std::string serial = Text(detail, "serial");
  std::string rows;
  for (const nlohmann::json& q : Array(Member(detail, "part"), "quantities")) {
    if (Text(q, "kind") != "single") continue;
    const int evalMode = Int(q, "evalMode", 0);
    const bool violated = SingleViolates(q);
    rows += std::string("<tr") + (violated ? " class=\"violated\"" : "") + "><td><a href=\"#" +
            anchor + "\">" + HtmlEscape(serial) + "</a></td>" + Cell(QuantityName(q)) +
            Cell(KeyText(q)) + Cell(Shown(Number(q, "value")), "num") +
            Cell(evalMode == 0 ? "–" : Shown(Number(q, "limit")), "num") +
            Cell(Shown(Number(q, "mean")), "num") + Cell(Text(q, "unit")) +
            Cell(EvalModeName(evalMode)) +
            Cell(evalMode == 0 ? "not limited"
                 : violated    ? "beyond limit"
                               : "within limit") +
            "</tr>\n";
  }
  return rows;
}

SvgPlot::Plot SpectrumPlot(const nlohmann::json& quantity) {
  SvgPlot::Plot plot;
  plot.title = QuantityName(quantity);
  plot.xLabel = AxisLabel(Text(quantity, "xUnit"));
  plot.yLabel = ValueLabel(Text(quantity, "unit"));
  const double x0 = Number(quantity, "x0"), dx = Number(quantity, "dx");
  const nlohmann::json& samples = Array(quantity, "samples");
  const nlohmann::json& limit = Array(quantity, "limit");
  const int evalMode = Int(quantity, "evalMode", 0);
  std::vector<double>* limited = evalMode == 2 ? &plot.upper : &plot.lower;
  for (size_t i = 0; i < samples.size(); ++i) {
    plot.x.push_back(x0 + static_cast<double>(i) * dx);
    plot.value.push_back(Number(samples[i]));
    if (evalMode >= 1 && evalMode <= 3 && limit.size() == samples.size())
      limited->push_back(Number(limit[i]));
  }
  return plot;
}

SvgPlot::Plot TrackPlot(const nlohmann::json& quantity) {
  SvgPlot::Plot plot;
  plot.title = QuantityName(quantity);
  plot.xLabel = AxisLabel(Text(quantity, "xUnit"));
  plot.yLabel = ValueLabel(Text(quantity, "unit"));
  bool anyLimit = false;
  for (const nlohmann::json& point : Array(quantity, "points")) {
    const auto at = [&point](size_t i) {
      return point.is_array() && i < point.size() ? Number(point[i]) : kNaN;
    };
    const int evalMode = std::isfinite(at(2)) ? static_cast<int>(at(2)) : 0;
    plot.x.push_back(at(0));
    plot.value.push_back(at(1));
    plot.upper.push_back(evalMode == 2 || evalMode == 3 ? at(3) : kNaN);
    plot.lower.push_back(evalMode == 1 || evalMode == 3 ? at(4) : kNaN);
    anyLimit = anyLimit || (evalMode >= 1 && evalMode <= 3);
  }
  if (!anyLimit) plot.upper.clear(), plot.lower.clear();
  return plot;
}

std::string Plots(const nlohmann::json& detail) {
  std::string figures;
  for (const nlohmann::json& q : Array(Member(detail, "part"), "quantities")) {
    const std::string kind = Text(q, "kind");
    if (kind == "spectrum") figures += Figure(SpectrumPlot(q), "spectrum");
    if (kind == "track") figures += Figure(TrackPlot(q), "track");
  }
  return figures;
}

}  // namespace PartDetail
