#include "HtmlReport.h"

#include <algorithm>
#include <map>
#include <utility>

#include "DetailRule.h"
#include "HtmlEscape.h"
#include "JsonAccess.h"
#include "PartDetail.h"
#include "PartDisplay.h"

namespace HtmlReport {

namespace {

using JsonAccess::Array;
using JsonAccess::Int;
using JsonAccess::Text;

constexpr const char kStyle[] = R"(<style>
body{font-family:sans-serif;margin:16px;color:#222;background:#fff}
h1{font-size:22px}h2{font-size:18px;margin-top:28px}h3{font-size:15px}
table{border-collapse:collapse;font-size:13px}
th,td{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}
th{background:#eee}td.num{text-align:right}td.marginal{background:#ffe9a8}
.c0{background:#ccc}.c1{background:#6c6}.c2{background:#fd6}.c4{background:#e44;color:#fff}
.c5{background:#c4c;color:#fff}
tr.violated td{background:#fdd}
pre.report{margin:2px 0;font-size:12px}
svg.plot{border:1px solid #ddd;background:#fff;font-size:11px}
svg .frame{fill:none;stroke:#888}svg .tick{stroke:#888}
svg .value{fill:none;stroke:#1f5fbf;stroke-width:1.2}
svg .limit{fill:none;stroke:#d08000;stroke-width:1.2;stroke-dasharray:5 3}
svg .violation{fill:#e00}svg .plot-title{font-weight:bold}
figure{display:inline-block;width:600px;margin:4px}figcaption{font-size:12px}
svg.plot{width:100%;height:auto}#part-table td{white-space:nowrap}
summary{cursor:pointer;font-weight:bold;margin:8px 0}
footer{margin-top:32px;font-size:12px;color:#555;border-top:1px solid #ccc;padding-top:8px}
</style>
)";

constexpr const char kFilterScript[] = R"(<script>
(function () {
  var box = document.getElementById('value-filter');
  var rows = document.querySelectorAll('#value-table tbody tr');
  var count = document.getElementById('value-count');
  function filter() {
    var query = box.value.toLowerCase();
    var shown = 0;
    for (var i = 0; i < rows.length; ++i) {
      var match = rows[i].textContent.toLowerCase().indexOf(query) >= 0;
      rows[i].style.display = match ? '' : 'none';
      if (match) ++shown;
    }
    count.textContent = shown + ' of ' + rows.length + ' rows';
  }
  box.addEventListener('input', filter);
  filter();
  document.body.setAttribute('data-ready', 'yes');
})();
</script>
)";

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The modes of the run in order of first appearance, with their names.
std::vector<std::pair<int, std::string>> Modes(const std::vector<nlohmann::json>& parts) {
  std::vector<std::pair<int, std::string>> modes;
  std::map<int, size_t> seen;
  for (const nlohmann::json& part : parts)
    for (const nlohmann::json& mode : Array(part, "modes")) {
      const int id = Int(mode, "mode");
      if (seen.emplace(id, modes.size()).second) modes.emplace_back(id, Text(mode, "name"));
    }
  return modes;
}

std::string Summary(const std::vector<nlohmann::json>& parts) {
  size_t ok = 0, nok = 0, sysErr = 0, other = 0;
  for (const nlohmann::json& part : parts) {
    const int code = Int(part, "resultCode");
    (code == 1 ? ok : code == 0 ? nok : code == 3 ? sysErr : other) += 1;
  }
  return "<p class=\"summary\">" + std::to_string(parts.size()) + " parts: " + std::to_string(ok) +
         " O.K., " + std::to_string(nok) + " n.O.K., " + std::to_string(sysErr) +
         " system error, " + std::to_string(other) + " without result.</p>\n";
}

std::string ModeCells(const nlohmann::json& part,
                      const std::vector<std::pair<int, std::string>>& modes) {
  std::map<int, const nlohmann::json*> byId;
  for (const nlohmann::json& mode : Array(part, "modes")) byId[Int(mode, "mode")] = &mode;
  std::string cells;
  for (const auto& [id, name] : modes) {
    const auto it = byId.find(id);
    if (it == byId.end()) {
      cells += "<td></td>";
      continue;
    }
    const int colour = Int(*it->second, "colour", 0);
    cells += "<td class=\"c" + std::to_string(colour) + "\">" + HtmlEscape(ColourLabel(colour)) +
             "</td>";
  }
  return cells;
}

std::string FirstError(const nlohmann::json& part) {
  const nlohmann::json& errors = Array(part, "errors");
  return errors.empty() ? "" : Text(errors[0], "text");
}

// The values of a part in their marginal band: their number, each quantity in the cell's title.
std::string MarginalCell(const nlohmann::json& part) {
  const nlohmann::json& marginal = Array(part, "marginal");
  if (marginal.empty()) return "<td></td>";
  int values = 0;
  std::string title;
  for (const nlohmann::json& m : marginal) {
    values += Int(m, "values");
    if (!title.empty()) title += "\n";
    title += Text(m, "quantity");
  }
  return "<td class=\"num marginal\" title=\"" + HtmlEscape(title) + "\">" +
         std::to_string(values) + "</td>";
}

std::string PartsTable(const ReportInput& input,
                       const std::map<std::string, std::string>& anchors) {
  const auto modes = Modes(input.parts);
  std::string html =
      "<h2 id=\"parts\">Parts</h2>\n<table id=\"part-table\"><thead><tr>"
      "<th>Serial</th><th>Type</th><th>Result</th>";
  for (const auto& mode : modes) html += "<th>" + HtmlEscape(mode.second) + "</th>";
  html +=
      "<th>Errors</th><th>Marginal</th><th>First error</th><th>Report</th></tr></thead>"
      "<tbody>\n";
  for (const nlohmann::json& part : input.parts) {
    const std::string serial = Text(part, "serial");
    const int code = Int(part, "resultCode");
    const auto anchor = anchors.find(serial);
    const std::string serialCell =
        anchor == anchors.end()
            ? HtmlEscape(serial)
            : "<a href=\"#" + anchor->second + "\">" + HtmlEscape(serial) + "</a>";
    const std::string report = Text(part, "report");
    html += "<tr class=\"part r" + std::to_string(code) + "\"><td>" + serialCell + "</td><td>" +
            HtmlEscape(Text(part, "type")) + "</td><td>" + HtmlEscape(Text(part, "result")) +
            "</td>" + ModeCells(part, modes) + "<td class=\"num\">" +
            std::to_string(Array(part, "errors").size()) + "</td>" + MarginalCell(part) + "<td>" +
            HtmlEscape(FirstError(part)) + "</td><td>" +
            (report.empty() ? ""
                            : "<details><summary>report</summary><pre class=\"report\">" +
                                  HtmlEscape(report) + "</pre></details>") +
            "</td></tr>\n";
  }
  return html + "</tbody></table>\n";
}

std::string ValuesTable(const ReportInput& input, const std::vector<std::string>& anchors) {
  std::string html =
      "<h2 id=\"values\">Stored values of the detailed parts</h2>\n"
      "<p><input id=\"value-filter\" type=\"search\" size=\"40\" "
      "placeholder=\"filter by serial, key or name\"> <span id=\"value-count\"></span></p>\n"
      "<table id=\"value-table\"><thead><tr><th>Serial</th><th>Quantity</th><th>Key</th>"
      "<th>Value</th><th>Limit</th><th>Mean</th><th>Unit</th><th>Limit kind</th><th>Status</th>"
      "</tr></thead><tbody>\n";
  for (size_t i = 0; i < input.details.size(); ++i)
    html += PartDetail::ValueRows(input.details[i], anchors[i]);
  return html + "</tbody></table>\n";
}

std::string ResultName(int code) {
  return code == 1 ? "O.K." : code == 0 ? "n.O.K." : code == 3 ? "system error" : "no result";
}

// One folded section per detailed part; only the first is open, so that a page of many parts
// draws quickly and the plots of the part that matters most are in view.
std::string PlotSections(const ReportInput& input, const std::vector<std::string>& anchors) {
  std::string html = "<h2 id=\"plots\">Spectra and tracks of the detailed parts</h2>\n";
  for (size_t i = 0; i < input.details.size(); ++i) {
    const nlohmann::json& detail = input.details[i];
    const std::string plots = PartDetail::Plots(detail);
    html += "<details class=\"detail\" id=\"" + anchors[i] + "\"" + (i == 0 ? " open" : "") +
            "><summary>Part " + HtmlEscape(Text(detail, "serial")) + " — " +
            ResultName(Int(detail, "resultCode")) + ": " +
            std::to_string(Count(plots, "<figure ")) + " plots, " +
            std::to_string(Count(plots, " violated\">")) + " with values beyond the limit" +
            "</summary>\n" + (plots.empty() ? "<p>No spectra or tracks stored.</p>" : plots) +
            "\n</details>\n";
  }
  return html;
}

std::string Footer(const ReportInput& input) {
  return "<footer><p>" + HtmlEscape(DetailRule::Text()) +
         " Shown in detail: " + std::to_string(input.details.size()) + " of " +
         std::to_string(input.recordedDetails) +
         " recorded parts. Red points mark values beyond their limit; dashed lines are the "
         "limits.</p><p>Work directory: " +
         HtmlEscape(input.workdir) + "</p></footer>\n";
}

}  // namespace

std::string Render(const ReportInput& given) {
  ReportInput input = given;
  std::stable_partition(
      input.details.begin(), input.details.end(),
      [](const nlohmann::json& detail) { return Int(detail, "resultCode") != 1; });
  std::vector<std::string> anchors;
  std::map<std::string, std::string> anchorOfSerial;
  for (size_t i = 0; i < input.details.size(); ++i) {
    anchors.push_back("detail-" + std::to_string(i + 1));
    anchorOfSerial[Text(input.details[i], "serial")] = anchors.back();
  }
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<title>Kelva run report</title>\n";
  html += kStyle;
  html += "</head><body>\n<h1>Kelva run report</h1>\n" + Summary(input.parts);
  html += PartsTable(input, anchorOfSerial);
  html += PlotSections(input, anchors);
  html += ValuesTable(input, anchors);
  html += Footer(input);
  html += kFilterScript;
  return html + "</body></html>\n";
}

}  // namespace HtmlReport
