// The bench does its job, end to end: `kelva run` on the demo plan learns from good parts and,
// once the learn phase is over, rejects the parts the simulation made defective — gear-mesh
// orders rising by 6 to 20 dB, bearing tones, level shifts, track bumps, track tilts that only
// a derived quantity (the track's slope) sees, missing signals — while good parts pass. (The full
// figure, 2,000 parts, is in docs/evaluation.md.)
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "app/KelvaProcess.h"

TEST(DemoEvaluation, DefectivePartsAreRejectedAndGoodPartsPass) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--parts", "600", "--workdir", folder / "work", "--seed", "11", "--json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no warning from limits or evaluation on any part
  const size_t at = run.out.rfind("{\"summary\"");
  ASSERT_NE(at, std::string::npos) << run.out;
  const nlohmann::json summary = nlohmann::json::parse(run.out.substr(at))["summary"];
  EXPECT_EQ(summary["parts"], 600);

  const nlohmann::json& learned = summary["afterLearnPhase"];
  // The learn phase of the tracks and spectra takes their 30 base learns of good parts.
  EXPECT_EQ(learned["firstPart"], "GT2A-000032");
  int acoustic = 0;
  int caught = 0;
  for (const nlohmann::json& kind : learned["defectKinds"]) {
    SCOPED_TRACE(kind.dump());
    EXPECT_GT(kind["injected"].get<int>(), 0);  // the seed's parts bring every kind
    if (kind["kind"] == "missing signal") {
      EXPECT_EQ(kind["caught"], kind["injected"]);
      continue;
    }
    acoustic += kind["injected"].get<int>();
    caught += kind["caught"].get<int>();
  }
  EXPECT_GT(acoustic, 30);
  EXPECT_GE(caught * 100, acoustic * 98) << caught << " of " << acoustic;
  EXPECT_GT(learned["goodParts"].get<int>(), 450);
  EXPECT_EQ(learned["goodPartsRejected"], 0);
  EXPECT_EQ(summary["goodPartsRejected"], 0);

  // A tilted order track keeps each point near its usual level: its slope over speed, a derived
  // quantity (code 1530), rejects the part, the track's own limits (1400) do not.
  int tilts = 0;
  std::istringstream lines(run.out.substr(0, at));
  for (std::string line; std::getline(lines, line);) {
    const nlohmann::json part = nlohmann::json::parse(line);
    if (part["injected"].get<std::string>().rfind("track tilt", 0) != 0) continue;
    std::set<int> codes;
    for (const nlohmann::json& error : part["errorList"]) codes.insert(error["code"].get<int>());
    if (part["serial"].get<std::string>() < "GT2A-000032") continue;  // still learning
    ++tilts;
    EXPECT_EQ(codes, std::set<int>{1530}) << line;
  }
  EXPECT_GT(tilts, 0);
}
