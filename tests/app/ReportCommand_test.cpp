// `kelva report --html`: the page of a run with defective parts, and refused inputs.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <map>
#include <sstream>

#include "DetailRule.h"
#include "HtmlEscape.h"
#include "app/KelvaProcess.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::vector<nlohmann::json> JsonLinesOf(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

// One detail section of the page, from its heading to its end.
std::string Section(const std::string& html, const std::string& serial) {
  const size_t heading = html.find("<summary>Part " + HtmlEscape(serial) + " ");
  if (heading == std::string::npos) return "";
  return html.substr(heading, html.find("</details>", heading) - heading);
}

}  // namespace

// The demo plan with half of the parts defective, every defect a strong one in a spectrum or a
// track, so that the plots of rejected parts show values beyond their limit curves.
std::string CurveDefectPlan(const TempFolder& folder, double defectShare) {
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = defectShare;
  for (nlohmann::json& quantity : plan["simulation"]["quantities"]) {
    if (quantity.contains("spectrum") || quantity.contains("track"))
      quantity["defect"] = {30.0, 40.0};
    else
      quantity.erase("defect");
  }
  WriteText(folder / "plan.json", plan.dump());
  return folder / "plan.json";
}

// The same, reduced to the one mode of the demo that holds a single value and a spectrum, so
// that a run of hundreds of parts is quick.
std::string OneModePlan(const TempFolder& folder, double defectShare) {
  nlohmann::json plan = nlohmann::json::parse(ReadText(CurveDefectPlan(folder, defectShare)));
  nlohmann::json quantities = nlohmann::json::array();
  for (nlohmann::json& quantity : plan["simulation"]["quantities"]) {
    const std::vector<int> modes = quantity.value("modes", std::vector<int>{});
    if (std::find(modes.begin(), modes.end(), 6) == modes.end()) continue;
    quantity["modes"] = {6};
    quantities.push_back(quantity);
  }
  plan["simulation"]["quantities"] = quantities;
  plan["simulation"]["sequence"] = {6};
  WriteText(folder / "plan.json", plan.dump());
  return folder / "plan.json";
}

namespace {

class ReportCommandTest : public ::testing::Test {
 protected:
  void Run(int parts, double defectShare = 0.5, bool oneMode = false) {
    const std::string plan =
        oneMode ? OneModePlan(folder, defectShare) : CurveDefectPlan(folder, defectShare);
    const ProcessResult run = RunKelva({"run", "--plan", plan, "--parts", std::to_string(parts),
                                        "--seed", "3", "--json", "--workdir", folder / "work"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    partsOfRun = JsonLinesOf(run.out);
    ASSERT_EQ(partsOfRun.size(), static_cast<size_t>(parts) + 1);
    partsOfRun.pop_back();  // the summary
  }
  ProcessResult Report(const std::string& workdir) {
    return RunKelva({"report", "--html", folder / "report.html", workdir});
  }

  TempFolder folder;
  std::vector<nlohmann::json> partsOfRun;
};

TEST_F(ReportCommandTest, PageHasEveryPartTheReportsOfRejectedPartsAndPlotsWithLimits) {
  Run(12);
  const ProcessResult report = Report(folder / "work");
  ASSERT_EQ(report.exitCode, 0) << report.err;
  EXPECT_EQ(report.err, "");
  size_t rejected = 0, withViolations = 0;
  for (const nlohmann::json& part : partsOfRun) rejected += part["resultCode"] != 1 ? 1 : 0;
  ASSERT_GT(rejected, 0u);
  ASSERT_LT(rejected, 12u);
  ASSERT_NE(partsOfRun[0]["resultCode"], 1);  // so no O.K. part is numbered 1, 101, ...
  const size_t detailed = rejected;
  EXPECT_EQ(report.out, "kelva: wrote " + folder / "report.html" + ": 12 parts, " +
                            std::to_string(detailed) + " in detail\n");

  const std::string html = ReadText(folder / "report.html");
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">", 0), 0u);
  EXPECT_EQ(Count(html, "<tr class=\"part r"), 12u);
  EXPECT_EQ(Count(html, "<details class=\"detail\""), detailed);
  // Rejected parts come first; only the first section is open.
  EXPECT_NE(html.find("<details class=\"detail\" id=\"detail-1\" open><summary>Part " +
                      partsOfRun[0]["serial"].get<std::string>() + " — n.O.K.: 17 plots, "),
            std::string::npos);
  EXPECT_EQ(Count(html, "\" open><summary>"), 1u);
  for (const nlohmann::json& part : partsOfRun) {
    const std::string serial = part["serial"];
    const bool ok = part["resultCode"] == 1;
    // The serial is the first cell of its row, a link to its detail when it has one.
    const size_t row = html.find(">" + HtmlEscape(serial) + "</", html.find("id=\"part-table\""));
    EXPECT_NE(row, std::string::npos) << serial;
    if (!ok && part.contains("report")) {
      EXPECT_NE(html.find("<pre class=\"report\">" + HtmlEscape(part["report"].get<std::string>()) +
                          "</pre>"),
                std::string::npos)
          << serial;
    }
    const std::string section = Section(html, serial);
    if (ok) continue;
    ASSERT_FALSE(section.empty()) << serial;
    EXPECT_NE(section.find("<svg class=\"plot\""), std::string::npos) << serial;
    EXPECT_NE(section.find("<path class=\"limit upper\""), std::string::npos) << serial;
    withViolations += section.find("<circle class=\"violation\"") != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(withViolations, 0u);
  EXPECT_NE(html.find("<input id=\"value-filter\" type=\"search\""), std::string::npos);
  EXPECT_NE(html.find(HtmlEscape(DetailRule::Text())), std::string::npos);
  for (const char* external : {"http", "<script src", "@import", "url("})
    EXPECT_EQ(html.find(external), std::string::npos) << external;
}

TEST_F(ReportCommandTest, RefusesMissingAndDamagedDataNamingFileAndLine) {
  const std::string parts = folder / "work/Report/parts.jsonl";
  ProcessResult report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 2);
  EXPECT_EQ(report.err, "kelva: no report data: " + parts +
                            " does not exist (run `kelva run` with this work directory first)\n");

  std::filesystem::create_directories(folder / "work/Report");
  WriteText(parts, "{\"serial\":\"1\",\"resultCode\":1}\n{\"serial\":\n{}\n");
  report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 2);
  EXPECT_EQ(report.err, "kelva: " + parts + ":2: not a JSON object\n");
  EXPECT_FALSE(std::filesystem::exists(folder / "report.html"));

  WriteText(parts, "{\"serial\":\"1\",\"resultCode\":1}\n{\"serial\":2,\"resultCode\":1}\n");
  report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 2);
  EXPECT_EQ(report.err, "kelva: " + parts + ":2: \"serial\" is missing or not a text\n");

  WriteText(parts, "{\"serial\":\"1\",\"resultCode\":1}\n");
  WriteText(folder / "work/Report/detail.jsonl",
            "{\"serial\":\"1\",\"resultCode\":1,\"part\":{}}\n");
  report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 2);
  EXPECT_EQ(report.err, "kelva: " + folder / "work/Report/detail.jsonl" +
                            ":1: \"part\" has no \"quantities\" list\n");

  report = RunKelva({"report", "--html", folder / "no-such-folder/report.html", folder / "work"});
  EXPECT_EQ(report.exitCode, 2);
}

TEST_F(ReportCommandTest, TornLastLineIsSkippedAndCutByTheNextRun) {
  Run(3);
  const std::string parts = folder / "work/Report/parts.jsonl";
  const std::string whole = ReadText(parts);
  ASSERT_EQ(Count(whole, "\n"), 3u);
  WriteText(parts, whole + "{\"serial\":\"torn");
  ProcessResult report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_EQ(report.err, "kelva: " + parts +
                            ":4: the last line is cut short (an interrupted run); it is skipped\n");
  EXPECT_EQ(Count(ReadText(folder / "report.html"), "<tr class=\"part r"), 3u);

  Run(2);  // appends after cutting the torn line off
  EXPECT_EQ(Count(ReadText(parts), "\n"), 5u);
  report = Report(folder / "work");
  EXPECT_EQ(report.exitCode, 0) << report.err;
  EXPECT_EQ(report.err, "");
  EXPECT_EQ(Count(ReadText(folder / "report.html"), "<tr class=\"part r"), 5u);
}

// A long run with many rejections: the detail file stays bounded and the page shows exactly the
// latest 100 rejected parts and the latest 50 sampled O.K. parts.
TEST_F(ReportCommandTest, DetailStaysBoundedOverALongRun) {
  Run(420, 0.9, true);
  std::vector<std::string> rejected, sampledOk;
  for (size_t i = 0; i < partsOfRun.size(); ++i) {
    const nlohmann::json& part = partsOfRun[i];
    if (part["resultCode"] != 1) rejected.push_back(part["serial"]);
    if (part["resultCode"] == 1 && (i + 1) % 100 == 1) sampledOk.push_back(part["serial"]);
  }
  ASSERT_GT(rejected.size(), 300u);  // enough to make the run cut the detail file back
  const std::string detail = ReadText(folder / "work/Report/detail.jsonl");
  EXPECT_LE(Count(detail, "\n"), 300u);
  EXPECT_GE(Count(detail, "\n"), 100u);  // never fewer than the page shows

  const ProcessResult report = Report(folder / "work");
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string html = ReadText(folder / "report.html");
  EXPECT_EQ(Count(html, "<tr class=\"part r"), 420u);
  EXPECT_EQ(Count(html, "<details class=\"detail\""), 100u + sampledOk.size());
  for (size_t i = 0; i < rejected.size(); ++i)
    EXPECT_EQ(Section(html, rejected[i]).empty(), i + 100 < rejected.size()) << rejected[i];
  for (const std::string& serial : sampledOk) EXPECT_FALSE(Section(html, serial).empty()) << serial;
  EXPECT_NE(html.find("Shown in detail: " + std::to_string(100 + sampledOk.size()) + " of " +
                      std::to_string(Count(detail, "\n")) + " recorded parts."),
            std::string::npos);
}

}  // namespace
