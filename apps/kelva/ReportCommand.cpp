#include "ReportCommand.h"

#include <cstdio>
#include <vector>

#include "DetailRule.h"
#include "HtmlReport.h"
#include "JsonAccess.h"
#include "JsonLines.h"
#include "ReportData.h"

namespace {

int Refuse(const std::string& message) {
  std::fprintf(stderr, "kelva: %s\n", message.c_str());
  return 2;
}

// "" when every line has the members the report needs, else the first line that does not.
std::string CheckLines(const std::string& path, const std::vector<JsonLines::Line>& lines,
                       bool detail) {
  for (const JsonLines::Line& line : lines) {
    const auto where = path + ":" + std::to_string(line.number) + ": ";
    if (!JsonAccess::Member(line.value, "serial").is_string())
      return where + "\"serial\" is missing or not a text";
    if (!JsonAccess::Member(line.value, "resultCode").is_number_integer())
      return where + "\"resultCode\" is missing or not an integer";
    if (detail &&
        !JsonAccess::Member(JsonAccess::Member(line.value, "part"), "quantities").is_array())
      return where + "\"part\" has no \"quantities\" list";
  }
  return "";
}

// Reads one file of report data; false with `error` set. A missing detail file is no detail.
bool ReadData(const std::string& path, bool detail, std::vector<JsonLines::Line>& lines,
              std::string& error) {
  std::string warning;
  const JsonLines::ReadResult read = JsonLines::Read(path, lines, warning, error);
  if (!warning.empty()) std::fprintf(stderr, "kelva: %s\n", warning.c_str());
  if (read == JsonLines::ReadResult::damaged) return false;
  if (read == JsonLines::ReadResult::missing && !detail) {
    error = "no report data: " + path +
            " does not exist (run `kelva run` with this work directory first)";
    return false;
  }
  error = CheckLines(path, lines, detail);
  return error.empty();
}

}  // namespace

int WriteReport(const ReportOptions& options) {
  std::string workdir = options.workdir.empty() ? "." : options.workdir;
  if (workdir.back() != '/') workdir += '/';
  std::vector<JsonLines::Line> parts, details;
  std::string error;
  if (!ReadData(CReportData::PartsFile(workdir), false, parts, error) ||
      !ReadData(CReportData::DetailFile(workdir), true, details, error))
    return Refuse(error);

  ReportInput input;
  input.workdir = options.workdir;
  for (JsonLines::Line& line : parts) input.parts.push_back(std::move(line.value));
  std::vector<int> codes;
  for (const JsonLines::Line& line : details) codes.push_back(line.value["resultCode"].get<int>());
  for (size_t index : DetailRule::Shown(codes)) input.details.push_back(details[index].value);
  input.recordedDetails = details.size();

  if (!JsonLines::WriteWhole(options.html, HtmlReport::Render(input), error)) return Refuse(error);
  std::printf("kelva: wrote %s: %zu parts, %zu in detail\n", options.html.c_str(),
              input.parts.size(), input.details.size());
  return 0;
}
