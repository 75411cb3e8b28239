#include "ReportData.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "DetailRule.h"
#include "JsonAccess.h"
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
  if (!outcome.marginal.empty())
    line["marginal"] = MarginalJson(outcome.marginal, CDtParamInstance());
  return line;
}

}  // namespace

CReportData::CReportData(std::string workdir) : workdir_(std::move(workdir)) {}

void CReportData::Complain(const std::string& message) {
  if (!complained_)
    std::fprintf(stderr, "kelva: %s; the report data is incomplete\n", message.c_str());
  complained_ = true;
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
  std::string error;
  for (const std::string& file : {PartsFile(workdir_), DetailFile(workdir_)})
    if (!JsonLines::CutTornLine(file, error)) Complain(error);
  return true;
}

void CReportData::AddPart(const PartOutcome& outcome, const std::string& type,
                          const CPlugin& plugin) {
  if (!Prepare()) return;
  std::string error;
  if (!JsonLines::Append(PartsFile(workdir_), Dump(PartLine(outcome, type)), error))
    Complain(error);
  if (DetailRule::Records(outcome.result, outcome.part.number)) AppendDetail(outcome, plugin);
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
  if (!detailCounted_) detailLines_ = JsonLines::CountLines(DetailFile(workdir_));
  detailCounted_ = true;
  std::string error;
  if (!JsonLines::Append(DetailFile(workdir_), line, error)) {
    Complain(error);
    return;
  }
  if (++detailLines_ > 2 * (DetailRule::kLatestNotOk + DetailRule::kOkSamples)) Compact();
}

void CReportData::Compact() {
  // A detail line is a whole part, some hundred kilobytes of the demo plan and more of larger
  // plans. The file is read a line at a time, once for the result codes and once to copy the
  // lines that stay, as they were written, straight into the new file: the memory this takes is
  // that of one line, however many lines stay.
  const std::string path = DetailFile(workdir_);
  std::vector<int> codes;
  std::string warning, error;
  const auto collectCodes = [&codes](size_t, nlohmann::json& line) {
    codes.push_back(JsonAccess::Int(line, "resultCode"));
  };
  if (JsonLines::ForEach(path, collectCodes, warning, error) != JsonLines::ReadResult::ok) {
    std::string keptAs;
    if (!FileIO::KeepDamagedFile(path, &keptAs)) return Complain(error);
    std::fprintf(stderr, "kelva: %s; the file was kept as %s and starts anew\n", error.c_str(),
                 keptAs.c_str());
    detailLines_ = 0;
    return;
  }
  std::vector<bool> keep(codes.size(), false);
  const std::vector<size_t> shown = DetailRule::Shown(codes);
  for (size_t index : shown) keep[index] = true;
  const auto isShown = [&keep](size_t number, std::string_view) {
    return number <= keep.size() && keep[number - 1];
  };
  const JsonLines::ReadResult rewritten = JsonLines::Rewrite(path, isShown, warning, error);
  if (rewritten == JsonLines::ReadResult::damaged) return Complain(error);
  detailLines_ = rewritten == JsonLines::ReadResult::ok ? shown.size() : 0;
}
