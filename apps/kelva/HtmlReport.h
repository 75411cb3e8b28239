#pragma once
// HtmlReport: one self-contained HTML page of a run (inline CSS, SVG and script only; nothing
// is fetched): a summary, the result of every part per mode with the report text of each part
// that did not pass, plots of every spectrum and track of the detailed parts against their
// limits (parts that did not pass first, each part folded but the first), and a table of their
// stored single values with limits, filtered by a text box. The footer states which parts are
// detailed (DetailRule).

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct ReportInput {
  std::string workdir;
  std::vector<nlohmann::json> parts;    // lines of Report/parts.jsonl, in order
  std::vector<nlohmann::json> details;  // the lines of Report/detail.jsonl the report shows
  size_t recordedDetails = 0;           // lines in Report/detail.jsonl
};

namespace HtmlReport {

// The page. Every text from the input is HTML-escaped; members of an unexpected type are taken
// as missing.
std::string Render(const ReportInput& input);

}  // namespace HtmlReport
