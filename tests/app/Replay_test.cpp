// Recording a run and replaying it: byte-identical results and files, refused malformed logs
// that leave nothing of the refused part behind, and the comparison of a replay under another
// plan with the recorded results.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/KelvaProcess.h"

namespace {

// The part objects of a --json run without the time each took (the summary is dropped).
std::vector<nlohmann::json> PartsWithoutTimes(const std::string& out) {
  std::vector<nlohmann::json> parts = ParseJsonLines(out);
  if (!parts.empty()) parts.pop_back();
  for (nlohmann::json& part : parts) part.erase("milliseconds");
  return parts;
}

std::string DefectivePlan(const TempFolder& folder) {
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.3;
  WriteText(folder / "plan.json", plan.dump());
  return folder / "plan.json";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, size_t count) {
  std::string text;
  for (size_t i = 0; i < count && i < lines.size(); ++i) text += lines[i] + "\n";
  return text;
}

// Index of the n-th (0-based) line that contains `what`.
size_t NthLineWith(const std::vector<std::string>& lines, const std::string& what, int n) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(what) != std::string::npos && n-- == 0) return i;
  return lines.size();
}

}  // namespace

TEST(ReplayTest, ARecordedRunReplaysToTheSameResultsReportsAndFiles) {
  TempFolder folder;
  const std::string plan = DefectivePlan(folder);
  const ProcessResult live = RunKelva({"run", "--plan", plan, "--parts", "20", "--seed", "5",
                                       "--json", "--print", "--cycle-ms", "4000", "--record",
                                       folder / "parts.log", "--workdir", folder / "live"});
  ASSERT_EQ(live.exitCode, 0) << live.err;
  const ProcessResult replay = RunKelva({"replay", "--plan", plan, "--input", folder / "parts.log",
                                         "--json", "--print", "--workdir", folder / "replayed"});
  ASSERT_EQ(replay.exitCode, 0) << replay.err;

  const std::vector<nlohmann::json> liveParts = PartsWithoutTimes(live.out);
  ASSERT_EQ(liveParts.size(), 20u);
  EXPECT_EQ(PartsWithoutTimes(replay.out), liveParts);
  int rejected = 0;
  for (const nlohmann::json& part : liveParts) rejected += part["resultCode"] != 1 ? 1 : 0;
  EXPECT_GT(rejected, 0);
  // The replay's summary compares every part with its recorded result: none changed.
  const nlohmann::json comparison = ParseJsonLines(replay.out).back()["summary"]["comparison"];
  EXPECT_EQ(comparison["parts"], 20);
  EXPECT_EQ(comparison["changed"], 0);

  for (const std::string file : {"History/EOL-3_GT2-A.dhf", "Learn/EOL-3_GT2-A.learn"})
    EXPECT_EQ(ReadText(folder / ("replayed/" + file)), ReadText(folder / ("live/" + file))) << file;
  const std::vector<std::string> printed = NamesStartingWith(folder / "live/reports", "");
  EXPECT_EQ(static_cast<int>(printed.size()), rejected);
  for (const std::string& name : printed)
    EXPECT_EQ(ReadText(folder / ("replayed/reports/" + name)),
              ReadText(folder / ("live/reports/" + name)))
        << name;
  // A replay issues no serials: the part counter stays unset.
  EXPECT_EQ(ReadText(folder / "replayed/settings.txt").find("Bench-Simulation"), std::string::npos);

  // On the real clock the library's files are the same too: a recording run holds the clock
  // while a part is tested.
  const ProcessResult realClock =
      RunKelva({"run", "--plan", plan, "--parts", "10", "--seed", "6", "--json", "--record",
                folder / "real.log", "--workdir", folder / "real"});
  ASSERT_EQ(realClock.exitCode, 0) << realClock.err;
  const ProcessResult realReplay =
      RunKelva({"replay", "--plan", plan, "--input", folder / "real.log", "--json", "--workdir",
                folder / "real-replayed"});
  ASSERT_EQ(realReplay.exitCode, 0) << realReplay.err;
  for (const std::string file : {"History/EOL-3_GT2-A.dhf", "Learn/EOL-3_GT2-A.learn"})
    EXPECT_EQ(ReadText(folder / ("real-replayed/" + file)), ReadText(folder / ("real/" + file)))
        << file;
}

TEST(ReplayTest, AMalformedPartIsRefusedWholeWithFileLineAndField) {
  TempFolder folder;
  const std::string plan = DefectivePlan(folder);
  ASSERT_EQ(RunKelva({"run", "--plan", plan, "--parts", "3", "--cycle-ms", "4000", "--record",
                      folder / "parts.log", "--workdir", folder / "live"})
                .exitCode,
            0);
  const std::vector<std::string> lines = Lines(ReadText(folder / "parts.log"));
  const size_t secondPart = NthLineWith(lines, "\"event\":\"insert\"", 1);
  ASSERT_LT(secondPart, lines.size());
  // The first part alone, replayed: what a refused second part must leave behind.
  WriteText(folder / "first.log", Joined(lines, secondPart));
  ASSERT_EQ(RunKelva({"replay", "--plan", plan, "--input", folder / "first.log", "--workdir",
                      folder / "first"})
                .exitCode,
            0);
  const std::string firstHistory = ReadText(folder / "first/History/EOL-3_GT2-A.dhf");
  ASSERT_FALSE(firstHistory.empty());

  struct Damage {
    std::string name;
    std::string from, to;  // replaced in the last value line of the second part
    std::string field;
  };
  const size_t thirdPart = NthLineWith(lines, "\"event\":\"insert\"", 2);
  const size_t curve = NthLineWith(lines, "\"measured\":\"curve\"", 0);
  size_t value = thirdPart;
  while (value > secondPart && lines[value].find("\"measured\":\"scalar\"") == std::string::npos)
    --value;
  ASSERT_GT(value, secondPart);
  size_t curveInSecond = secondPart;
  while (curveInSecond < thirdPart &&
         lines[curveInSecond].find("\"measured\":\"curve\"") == std::string::npos)
    ++curveInSecond;
  ASSERT_LT(curveInSecond, thirdPart);
  ASSERT_LT(curve, secondPart);
  const auto damaged = [&](size_t at, const std::string& line) {
    std::vector<std::string> copy = lines;
    copy[at] = line;
    WriteText(folder / "damaged.log", Joined(copy, copy.size()));
  };
  const auto expectRefused = [&](const std::string& what, size_t at, const std::string& field) {
    SCOPED_TRACE(what);
    std::filesystem::remove_all(folder / "damaged");
    const ProcessResult run = RunKelva({"replay", "--plan", plan, "--input", folder / "damaged.log",
                                        "--json", "--workdir", folder / "damaged"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("kelva: " + folder / "damaged.log" + ":" + std::to_string(at + 1) +
                           ": " + field),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("the replay stopped before that part, after 1 part(s), which are saved"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ParseJsonLines(run.out).size(), 2u) << run.out;  // one part and the summary
    EXPECT_EQ(ReadText(folder / "damaged/History/EOL-3_GT2-A.dhf"), firstHistory);
  };
  nlohmann::json line = nlohmann::json::parse(lines[value]);
  line["key"].erase(5);
  damaged(value, line.dump());
  expectRefused("a key of five numbers", value, "key: expected an array of 6");
  line = nlohmann::json::parse(lines[value]);
  line["unit"][0] = 99;
  damaged(value, line.dump());
  expectRefused("an unknown unit", value, "unit[0]: expected an integer from 0 to 28");
  line = nlohmann::json::parse(lines[curveInSecond]);
  line["samples"] = line["samples"].get<std::string>().substr(4);
  damaged(curveInSecond, line.dump());
  expectRefused("a curve short of samples", curveInSecond, "samples: expected ");
  line = nlohmann::json::parse(lines[curveInSecond]);
  line["samples"] = "@@@@" + line["samples"].get<std::string>().substr(4);
  damaged(curveInSecond, line.dump());
  expectRefused("no base64", curveInSecond,
                "samples: expected base64 of little-endian float32 values");
  damaged(value, "{\"measured\": \"scalar\", \"key\": ");
  expectRefused("no JSON", value, "not a JSON object");
  // A recording cut off inside the second part.
  WriteText(folder / "damaged.log", Joined(lines, value));
  expectRefused("cut off", value - 1, "the part GT2A-000002 ends without \"remove\"");
}

TEST(ReplayTest, ALogOfANewerVersionOrWithoutHeaderIsRefusedBeforeAnyPart) {
  TempFolder folder;
  WriteText(folder / "plan.json", DemoPlan().dump());
  WriteText(folder / "newer.log",
            "{\"log\":\"kelva measurement log\",\"version\":2,\"platform\":\"X\"}\n");
  ProcessResult run = RunKelva({"replay", "--plan", folder / "plan.json", "--input",
                                folder / "newer.log", "--workdir", folder / "work"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(folder / "newer.log" +
                         ":1: version: version 2 is newer than this program reads (1)"),
            std::string::npos)
      << run.err;
  WriteText(folder / "plain.log", "{\"event\":\"insert\"}\n");
  run = RunKelva({"replay", "--plan", folder / "plan.json", "--input", folder / "plain.log",
                  "--workdir", folder / "work"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(folder / "plain.log" + ":1: log: expected a text that is not empty"),
            std::string::npos)
      << run.err;
}

TEST(ReplayTest, AnotherPlanOverARecordingListsThePartsWhoseResultChanged) {
  TempFolder folder;
  const std::string plan = DefectivePlan(folder);
  const ProcessResult live =
      RunKelva({"run", "--plan", plan, "--parts", "24", "--json", "--cycle-ms", "4000", "--record",
                folder / "parts.log", "--workdir", folder / "live"});
  ASSERT_EQ(live.exitCode, 0) << live.err;
  // A stricter plan: tighter learned limits, learned sooner, and no simulation section (a replay
  // needs none).
  nlohmann::json stricter = nlohmann::json::parse(ReadText(plan));
  stricter.erase("simulation");
  for (nlohmann::json& q : stricter["quantities"])
    if (q.contains("store") && q["store"].contains("sigmaFactor")) q["store"]["sigmaFactor"] = 1.5;
  // Learned limits apply after 5 parts instead of 20 and 30, so that a short log shows them.
  for (nlohmann::json& procedure : stricter["learnProcedures"]) procedure["baseLearns"] = 5;
  WriteText(folder / "stricter.json", stricter.dump());
  const ProcessResult replay =
      RunKelva({"replay", "--plan", folder / "stricter.json", "--input", folder / "parts.log",
                "--json", "--workdir", folder / "replayed"});
  ASSERT_EQ(replay.exitCode, 0) << replay.err;
  const std::vector<nlohmann::json> before = PartsWithoutTimes(live.out);
  const std::vector<nlohmann::json> after = PartsWithoutTimes(replay.out);
  ASSERT_EQ(after.size(), before.size());
  nlohmann::json changes = nlohmann::json::array();
  int okToNok = 0;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i]["result"] == after[i]["result"]) continue;
    changes.push_back({{"serial", before[i]["serial"]},
                       {"recorded", before[i]["result"]},
                       {"now", after[i]["result"]}});
    okToNok += before[i]["resultCode"] == 1 && after[i]["resultCode"] == 0 ? 1 : 0;
  }
  ASSERT_GT(okToNok, 0);
  const nlohmann::json comparison = ParseJsonLines(replay.out).back()["summary"]["comparison"];
  EXPECT_EQ(comparison["parts"], 24);
  EXPECT_EQ(comparison["changed"], changes.size());
  EXPECT_EQ(comparison["okToNok"], okToNok);
  EXPECT_EQ(comparison["changes"], changes);

  // As a person reads it.
  const ProcessResult text = RunKelva({"replay", "--plan", folder / "stricter.json", "--input",
                                       folder / "parts.log", "--workdir", folder / "again"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  const std::string first = changes[0]["serial"].get<std::string>();
  EXPECT_NE(
      text.out.find("  compared with the recording: 24 parts, " + std::to_string(changes.size()) +
                    " changed (O.K. -> n.O.K. " + std::to_string(okToNok) + ", "),
      std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("\n    " + first + "  " + changes[0]["recorded"].get<std::string>() +
                          " -> " + changes[0]["now"].get<std::string>() + "\n"),
            std::string::npos)
      << text.out;
}
