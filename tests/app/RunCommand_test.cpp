// The kelva command end to end: what it prints, how it exits, what it leaves in the work
// directory when the input is hostile.
#include <gtest/gtest.h>

#include <sstream>

#include "app/KelvaProcess.h"

namespace {

// Every line of `text` parsed as one JSON document; a line that is not valid JSON fails.
std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(nlohmann::json::accept(line)) << line;
    if (nlohmann::json::accept(line)) lines.push_back(nlohmann::json::parse(line));
  }
  return lines;
}

nlohmann::json& ErrorCode(nlohmann::json& plan, int code) {
  for (nlohmann::json& entry : plan["errorCodes"])
    if (entry["code"] == code) return entry;
  throw std::runtime_error("no such error code in the demo plan");
}

}  // namespace

TEST(RunCommandTest, LongErrorTextsAreCutBetweenCharacters) {
  TempFolder folder;
  nlohmann::json plan = DemoPlan();
  std::string text;
  for (int i = 0; i < 300; ++i) text += "\xC3\xA9";  // "é"
  ErrorCode(plan, 1910)["text"] = text;
  plan["simulation"]["missingSignalShare"] = 1.0;
  plan["simulation"]["defectShare"] = 0.0;
  WriteText(folder / "plan.json", plan.dump());

  const ProcessResult run = RunKelva({"run", "--plan", folder / "plan.json", "--parts", "1",
                                      "--json", "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<nlohmann::json> lines = JsonLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  bool found = false;
  for (const nlohmann::json& error : lines[0]["errorList"]) {
    if (error["code"] != 1910) continue;
    found = true;
    // 511 bytes fit the bench's buffer; 255 whole characters are 510 of them.
    EXPECT_EQ(error["text"].get<std::string>(), text.substr(0, 510));
  }
  EXPECT_TRUE(found) << run.out;
}
