#include "ReportData.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "DetailRule.h"
#include "JsonLines.h"
#include "PartDisplay.h"
#include "host/FileIO.h"

namespace {

std::string Dump(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

nlohmann::json PartLine(const PartOutcome& outcome, const std::string& type) {
  nlohmann::json line = {{"serial", outcome.part.serial},
                         {"type", type},
                         {"result", ResultText(outcome.result)},
                         {"resultCode", outcome.result}};
  nlohmann::json errors = nlohmann::json::array();
  for (size_t i = 0; i < outcome.errors.size(); ++i) {
    const KelvaError& e = outcome.errors[i];
    errors.push_back({{"code", e.code},
                      {"externalCode", e.externalCode},
                      {"severity", e.severity},
                      {"text", i < outcome.errorTexts.size() ? outcome.errorTexts[i] : ""},
                      {"key", {e.mode, e.instrument, e.channel, e.location, e.parameter, e.sensor}},
                      {"value", e.value},
                      {"limit", e.limit}});
  }
  line["errors"] = errors;
  AddOperatorJson(outcome.operatorView, outcome.result != 1, line);
  return line;
}

}  // namespace

CReportData::CReportData(std::string workdir) : workdir_(std::move(workdir)) {}

void CReportData::Complain(const std::string& message) {
  if (!complained_)
    std::fprintf(stderr, "kelva: %s; the report data is incomplete\n", message.c_str());
  complained_ = true;
}

size_t CReportData::Recover(const std::string& path, size_t* okParts) {
  std::string error;
  if (!JsonLines::CutTornLine(path, error)) {
    Complain(error);
    return 0;
  }
  std::vector<JsonLines::Line> lines;
  std::string warning;
  if (JsonLines::Read(path, lines, warning, error) == JsonLines::ReadResult::damaged) {
    std::string keptAs;
    if (FileIO::KeepDamagedFile(path, &keptAs))
      std::fprintf(stderr, "kelva: %s; the file was kept as %s and starts anew\n", error.c_str(),
                   keptAs.c_str());
    else
      Complain(error);
    return 0;
  }
  if (okParts != nullptr)
    for (const JsonLines::Line& line : lines)
      if (line.value.value("resultCode", -1) == 1) ++*okParts;
  return lines.size();
}

bool CReportData::Prepare() {
  if (prepared_) return !failed_;
  prepared_ = true;
  const std::string folder = workdir_ + "Report";
  if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
    Complain("cannot create " + folder + ": " + std::strerror(errno));
    failed_ = true;
    return false;
  }
  Recover(PartsFile(workdir_), &okParts_);
  detailLines_ = Recover(DetailFile(workdir_), nullptr);
  return true;
}

void CReportData::AddPart(const PartOutcome& outcome, const std::string& type,
                          const CPlugin& plugin) {
  if (!Prepare()) return;
  std::string error;
  if (!JsonLines::Append(PartsFile(workdir_), Dump(PartLine(outcome, type)), error))
    Complain(error);
  if (outcome.result == 1) ++okParts_;
  if (DetailRule::Records(outcome.result, okParts_)) AppendDetail(outcome, plugin);
}

void CReportData::AppendDetail(const PartOutcome& outcome, const CPlugin& plugin) {
  std::string part;
  if (!plugin.DescribePart(part)) {
    Complain("no detail for part " + outcome.part.serial + ": " + part);
    return;
  }
  while (!part.empty() && part.back() == '\n') part.pop_back();
  const std::string line = "{\"serial\":" + Dump(outcome.part.serial) +
                           ",\"resultCode\":" + std::to_string(outcome.result) +
                           ",\"part\":" + part + "}";
  std::string error;
  if (!JsonLines::Append(DetailFile(workdir_), line, error)) {
    Complain(error);
    return;
  }
  if (++detailLines_ > 2 * (DetailRule::kLatestNotOk + DetailRule::kOkSamples)) Compact();
}

void CReportData::Compact() {
  std::vector<JsonLines::Line> lines;
  std::string warning, error;
  if (JsonLines::Read(DetailFile(workdir_), lines, warning, error) != JsonLines::ReadResult::ok) {
    Complain(error);
    return;
  }
  std::vector<int> codes;
  for (const JsonLines::Line& line : lines) codes.push_back(line.value.value("resultCode", -1));
  std::string text;
  const std::vector<size_t> shown = DetailRule::Shown(codes);
  for (size_t index : shown) text += Dump(lines[index].value) + "\n";
  if (!JsonLines::WriteWhole(DetailFile(workdir_), text, error)) {
    Complain(error);
    return;
  }
  detailLines_ = shown.size();
}
