// The marginal band: values within their limits but close to one are marked, parts keep their
// results, and the band is set in the plan.
#include "MarginalBand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>

#include "app/KelvaProcess.h"

namespace {

CMarginalBands Bands(const TempFolder& folder, const nlohmann::json& quantities) {
  WriteText(folder / "bands.json", nlohmann::json{{"quantities", quantities}}.dump());
  CMarginalBands bands;
  std::string error;
  EXPECT_TRUE(bands.Load(folder / "bands.json", error)) << error;
  return bands;
}

}  // namespace

TEST(MarginalBandTest, ValuesCloserToTheirLimitThanTheShareAreFound) {
  EXPECT_DOUBLE_EQ(ShareLeft(99.0f, 100.0f, 90.0f, true), 0.1);
  EXPECT_DOUBLE_EQ(ShareLeft(12.0f, 10.0f, 30.0f, false), 0.1);
  EXPECT_LT(ShareLeft(101.0f, 100.0f, 90.0f, true), 0.0);          // beyond the limit
  EXPECT_TRUE(std::isnan(ShareLeft(95.0f, 90.0f, 100.0f, true)));  // limit below the mean

  TempFolder folder;
  const CMarginalBands bands = Bands(folder, {{{"key", {1, 1, 1, 1, 100, 2}}, {"marginal", 0.25}},
                                              {{"key", {1, 1, 1, 1, 101, 2}}, {"marginal", 0.25}},
                                              {{"key", {1, 2001, 1, 1, 400, 2}}, {"marginal", 0.5}},
                                              {{"key", {1, 1, 1, 1, 102, 2}}}});  // no band
  const nlohmann::json part = nlohmann::json::parse(R"({"quantities":[
    {"key":[1,1,1,1,100,2],"kind":"single","value":98.0,"evalMode":2,"limit":100.0,"mean":90.0},
    {"key":[1,1,1,1,101,2],"kind":"single","value":97.0,"evalMode":2,"limit":100.0,"mean":90.0},
    {"key":[1,1,1,1,102,2],"kind":"single","value":99.9,"evalMode":2,"limit":100.0,"mean":90.0},
    {"key":[1,2001,1,1,400,2],"kind":"track","points":[
      [800,59.0,2,60.0,0.0,50.0],
      [810,12.0,3,60.0,10.0,20.0],
      [820,61.0,2,60.0,0.0,50.0],
      [830,56.0,2,60.0,0.0,50.0],
      [840,59.9,2,60.0,0.0,0.0]]}]})");
  const std::vector<MarginalValue> found = bands.Find(part);
  ASSERT_EQ(found.size(), 2u);
  // 98 is 20 % of the way from the limit 100 to the mean 90: inside a band of 25 %; 97 (30 %)
  // is not, nor is 99.9 of a quantity without band.
  EXPECT_EQ(found[0].key, QClavis(1, 1, 1, 1, 100, 2));
  EXPECT_FALSE(found[0].track);
  EXPECT_EQ(found[0].values, 1);
  EXPECT_FLOAT_EQ(found[0].value, 98.0f);
  EXPECT_NEAR(found[0].left, 0.2, 1e-6);
  // The track, band 50 %: 59 (10 % left), 12 above the lower limit 10 (20 % left) and 56 (40 %
  // left) are in it; 61 is beyond the limit, and the point without a learned mean has no band.
  // The closest to its limit is 59 at 800.
  EXPECT_EQ(found[1].key, QClavis(1, 2001, 1, 1, 400, 2));
  EXPECT_TRUE(found[1].track);
  EXPECT_EQ(found[1].values, 3);
  EXPECT_FLOAT_EQ(found[1].value, 59.0f);
  EXPECT_FLOAT_EQ(found[1].x, 800.0f);
  EXPECT_FLOAT_EQ(found[1].limit, 60.0f);
  EXPECT_NEAR(found[1].left, 0.1, 1e-6);
}

TEST(MarginalBandTest, TheBenchMarksValuesOfItsPartsAndTheirResultsStay) {
  TempFolder folder;
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.2;
  WriteText(folder / "plain.json", plan.dump());
  for (nlohmann::json& q : plan["quantities"]) q["marginal"] = 0.5;
  WriteText(folder / "marginal.json", plan.dump());
  const ProcessResult plain =
      RunKelva({"run", "--plan", folder / "plain.json", "--parts", "20", "--json", "--cycle-ms",
                "4000", "--workdir", folder / "plain"});
  const ProcessResult marked =
      RunKelva({"run", "--plan", folder / "marginal.json", "--parts", "20", "--json", "--cycle-ms",
                "4000", "--workdir", folder / "marked"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  ASSERT_EQ(marked.exitCode, 0) << marked.err;
  const std::vector<nlohmann::json> before = ParseJsonLines(plain.out);
  const std::vector<nlohmann::json> after = ParseJsonLines(marked.out);
  ASSERT_EQ(after.size(), before.size());
  int parts = 0, values = 0;
  for (size_t i = 0; i + 1 < after.size(); ++i) {
    EXPECT_EQ(after[i]["result"], before[i]["result"]) << after[i]["serial"];
    EXPECT_FALSE(before[i].contains("marginal"));
    if (!after[i].contains("marginal")) continue;
    ++parts;
    for (const nlohmann::json& m : after[i]["marginal"]) {
      values += m["values"].get<int>();
      // Inside the limit, and closer to it than half the distance from the mean.
      const double value = m["value"], limit = m["limit"], mean = m["mean"], left = m["left"];
      EXPECT_NEAR(left, (limit - value) / (limit - mean), 1e-4) << m.dump();
      EXPECT_GE(left, 0.0);
      EXPECT_LT(left, 0.5);
    }
  }
  EXPECT_GT(parts, 0);
  const nlohmann::json summary = after.back()["summary"]["marginal"];
  EXPECT_EQ(summary["parts"], parts);
  EXPECT_EQ(summary["values"], values);

  // The single values of the last part, from the history: exactly those in the band are marked.
  const ProcessResult history =
      RunKelva({"inspect", "history", folder / "marked/History/EOL-3_GT2-A.dhf", "--json"});
  ASSERT_EQ(history.exitCode, 0) << history.err;
  const nlohmann::json h = nlohmann::json::parse(history.out);
  std::set<std::vector<int>> expected;
  for (const nlohmann::json& key : h["keys"]) {
    const nlohmann::json& last = key["sections"].back();
    if (last["section"] != h["lastSection"] || last["evalMode"] != 2 || last["mean"] == 0) continue;
    const double left = (last["limit"].get<double>() - last["value"].get<double>()) /
                        (last["limit"].get<double>() - last["mean"].get<double>());
    if (left >= 0.0 && left < 0.5) expected.insert(key["key"].get<std::vector<int>>());
  }
  std::set<std::vector<int>> marked_;
  const nlohmann::json& last = after[after.size() - 2];
  if (last.contains("marginal"))
    for (const nlohmann::json& m : last["marginal"])
      if (!m.contains("x")) marked_.insert(m["key"].get<std::vector<int>>());
  EXPECT_EQ(marked_, expected);

  // The HTML report counts them in the part's row, the quantities in the cell's title.
  const ProcessResult report =
      RunKelva({"report", "--html", folder / "report.html", folder / "marked"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string html = ReadText(folder / "report.html");
  for (size_t i = 0; i + 1 < after.size(); ++i) {
    if (!after[i].contains("marginal")) continue;
    int count = 0;
    std::string title;
    for (const nlohmann::json& m : after[i]["marginal"]) {
      count += m["values"].get<int>();
      title += (title.empty() ? "" : "\n") + m["quantity"].get<std::string>();
    }
    EXPECT_NE(html.find("<td class=\"num marginal\" title=\"" + title + "\">" +
                        std::to_string(count) + "</td>"),
              std::string::npos)
        << after[i]["serial"];
  }

  // As a person reads it.
  const ProcessResult text = RunKelva({"run", "--plan", folder / "marginal.json", "--parts", "20",
                                       "--cycle-ms", "4000", "--workdir", folder / "text"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("  values in their marginal band: " + std::to_string(values) + " in " +
                          std::to_string(parts) + " part(s)\n"),
            std::string::npos)
      << text.out;
  EXPECT_TRUE(std::regex_search(
      text.out, std::regex("\n    marginal   [^\n]+ [0-9.]+ \\(limit [0-9.]+, mean [0-9.]+, "
                           "[0-9]+ % of the margin left\\)\n")))
      << text.out;
}

TEST(MarginalBandTest, AShareOutsideZeroToOneIsRefusedByThePlanReader) {
  TempFolder folder;
  for (const double share : {0.0, 1.0, -0.2, 1.5}) {
    nlohmann::json plan = DemoPlan();
    plan["quantities"][3]["marginal"] = share;
    WriteText(folder / "plan.json", plan.dump());
    const ProcessResult check = RunKelva({"check", folder / "plan.json"});
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_EQ(check.err,
              "Test plan '" + folder / "plan.json" +
                  "', at /quantities/3/marginal: expected a share above 0 and below 1\n");
  }
}
