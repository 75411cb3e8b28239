// The kelva command end to end: what it prints, how it exits, what it leaves in the work
// directory when the input is hostile.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/KelvaProcess.h"

namespace {

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
  const std::vector<nlohmann::json> lines = ParseJsonLines(run.out);
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

namespace {

std::vector<std::string> RunArguments(const TempFolder& folder, int parts) {
  return {"run", "--parts", std::to_string(parts), "--workdir", folder / "work"};
}

// The value of `key` in a settings file: the text after "key = " up to the line's end.
std::string SettingsLine(const std::string& settings, const std::string& key) {
  const std::string start = "\n" + key + " = ";
  const size_t at = settings.find(start);
  if (at == std::string::npos) return "<missing>";
  const size_t from = at + start.size();
  return settings.substr(from, settings.find('\n', from) - from);
}

}  // namespace

TEST(RunCommandTest, ExitCodesTellSuccessFailedSavesAndRefusals) {
  TempFolder folder;
  EXPECT_EQ(RunKelva(RunArguments(folder, 1)).exitCode, 0);
  EXPECT_EQ(RunKelva({"run", "--parts", "0"}).exitCode, 2);
  EXPECT_EQ(RunKelva({"run", "--no-such-option"}).exitCode, 2);
  EXPECT_EQ(RunKelva({"no-such-command"}).exitCode, 2);
  EXPECT_EQ(
      RunKelva({"run", "--plan", folder / "missing.json", "--workdir", folder / "w"}).exitCode, 2);

  // The history folder replaced by a file: the parts run, but the run fails and says so.
  TempFolder blocked;
  std::filesystem::create_directories(blocked / "work");
  WriteText(blocked / "work/History", "not a folder");
  const ProcessResult run = RunKelva(RunArguments(blocked, 2));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("kelva: the history could not be saved to "), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("NOT SAVED: the history (" + blocked / "work/History/EOL-3_GT2-A.dhf" +
                         "), 1 of its saves failed"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("  history: "), std::string::npos) << run.out;
  EXPECT_EQ(ReadText(blocked / "work/History"), "not a folder");

  std::vector<std::string> json = RunArguments(blocked, 1);
  json.push_back("--json");
  const ProcessResult jsonRun = RunKelva(json);
  EXPECT_EQ(jsonRun.exitCode, 1);
  const std::vector<nlohmann::json> lines = ParseJsonLines(jsonRun.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1]["summary"]["historySaveFailures"], 1);  // the end: no part type at the start
  EXPECT_EQ(lines[1]["summary"]["settingsSaveFailures"], 0);
}

TEST(RunCommandTest, WorkDirectoriesThatCannotBeKeptAreRefused) {
  TempFolder folder;
  // A folder path too long for its history files: refused, and nothing written anywhere. The
  // longest one that holds them is taken.
  std::string longPath = folder.Path();
  while (longPath.size() < 3787) longPath += "/" + std::string(100, 'w');
  longPath.resize(3787);  // 3788 bytes with the trailing slash
  ProcessResult run = RunKelva({"run", "--parts", "1", "--workdir", longPath + "x"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(" is 3789 bytes long; at most 3788 fit, so the history could not be "
                         "kept inside it"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(NamesStartingWith(folder.Path(), "").empty());
  run = RunKelva({"run", "--parts", "1", "--workdir", longPath});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("  history: " + longPath + "/History/EOL-3_GT2-A.dhf\n"),
            std::string::npos)
      << run.out;
  std::filesystem::remove_all(folder.Path() + "/" + std::string(100, 'w'));

  // A symbolic link loop as the work directory, then as its history folder.
  std::filesystem::create_symlink("loop", folder / "loop");
  run = RunKelva({"run", "--parts", "1", "--workdir", folder / "loop"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("kelva: cannot create the work directory "), std::string::npos) << run.err;
  std::filesystem::create_directories(folder / "work");
  std::filesystem::create_symlink("History", folder / "work/History");
  run = RunKelva(RunArguments(folder, 1));
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.out.find("GT2A-000001"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("NOT SAVED: the history"), std::string::npos) << run.out;
}

TEST(RunCommandTest, PartCounterOutsideTheSerialRangeIsRefusedAndKept) {
  TempFolder folder;
  ASSERT_EQ(RunKelva(RunArguments(folder, 1)).exitCode, 0);
  const std::string settingsPath = folder / "work/settings.txt";
  const std::string settings = ReadText(settingsPath);
  ASSERT_EQ(SettingsLine(settings, "Bench-Simulation"), "1");

  const auto withCounter = [&](const std::string& value) {
    std::string changed = settings;
    changed.replace(changed.find("Bench-Simulation = 1"), 20, "Bench-Simulation = " + value);
    return changed;
  };
  for (const std::string value : {"2147483647", "2147483638", "-4", "abc", "99999999999"}) {
    const std::string damaged = withCounter(value);
    WriteText(settingsPath, damaged);
    const ProcessResult run = RunKelva(RunArguments(folder, 10));
    EXPECT_EQ(run.exitCode, 2) << value;
    EXPECT_NE(run.err.find("kelva: the part counter 'Bench-Simulation = " + value +
                           "' must be a whole number from 0 to 2147483637 for 10 more parts"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "") << value;
    EXPECT_EQ(ReadText(settingsPath), damaged) << value;
  }

  // The last counter that fits issues the last serials below the limit.
  WriteText(settingsPath, withCounter("2147483637"));
  const ProcessResult run = RunKelva(RunArguments(folder, 10));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("GT2A-2147483647 "), std::string::npos) << run.out;
  EXPECT_EQ(SettingsLine(ReadText(settingsPath), "Bench-Simulation"), "2147483647");
}

TEST(RunCommandTest, DamagedSettingsAreKeptAndOnlyTheDamagedEntryTakesTheBenchValues) {
  TempFolder folder;
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["missingSignalShare"] = 1.0;
  plan["simulation"]["defectShare"] = 0.0;
  WriteText(folder / "plan.json", plan.dump());
  std::vector<std::string> arguments = RunArguments(folder, 1);
  arguments.insert(arguments.end(), {"--plan", folder / "plan.json", "--json"});
  ASSERT_EQ(RunKelva(arguments).exitCode, 0);

  const std::string settingsPath = folder / "work/settings.txt";
  std::string settings = ReadText(settingsPath);
  const std::string good = "Terminal-ErrorCode = " + SettingsLine(settings, "Terminal-ErrorCode");
  std::string damaged = settings;
  damaged.replace(damaged.find(good), good.size(), "Terminal-ErrorCode = 1910; \"1920; 1930");
  // A readable entry changed by hand keeps its value.
  damaged.replace(damaged.find("Sequencer-Params = 0; 0;"), 24, "Sequencer-Params = 0; 7;");
  WriteText(settingsPath, damaged);

  const ProcessResult run = RunKelva(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto line = 1 + std::count(settings.begin(), settings.begin() + settings.find(good), '\n');
  EXPECT_NE(run.err.find("line " + std::to_string(line) +
                         ": expected a closing '\"'; entry 'Terminal-ErrorCode' takes its "
                         "defaults"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("kelva: settings entry 'Terminal-ErrorCode' set to the bench's values"),
            std::string::npos)
      << run.err;
  const std::vector<std::string> kept = NamesStartingWith(folder / "work", "settings.txt.damaged-");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadText(folder / "work/" + kept[0]), damaged);

  // The part misses its signals and is told so by the bench's own error code.
  const std::vector<nlohmann::json> lines = ParseJsonLines(run.out);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["serial"], "GT2A-000002");
  ASSERT_FALSE(lines[0]["errorList"].empty()) << lines[0];
  EXPECT_EQ(lines[0]["errorList"][0]["code"], 1910);
  EXPECT_EQ(lines[0]["errorList"][0]["text"], "Measurement missing");
  settings = ReadText(settingsPath);
  EXPECT_EQ(SettingsLine(settings, "Terminal-ErrorCode"), "1910; 1920; 1920; 1930");
  EXPECT_EQ(SettingsLine(settings, "Sequencer-Params").substr(0, 5), "0; 7;");

  // A settings file that lost the part counter is refused: serials would repeat.
  damaged = settings;
  damaged.replace(damaged.find("Bench-Simulation = 2"), 20, "Bench-Simulation = \"2");
  WriteText(settingsPath, damaged);
  const ProcessResult refused = RunKelva(arguments);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.err.find("the part counter 'Bench-Simulation' was lost from the damaged "
                             "settings file"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadText(settingsPath), damaged);
}

TEST(RunCommandTest, WorkDirectoryIsLockedAndLeftoverTemporariesAreRemoved) {
  TempFolder folder;
  ASSERT_EQ(RunKelva(RunArguments(folder, 1)).exitCode, 0);
  const std::string settings = ReadText(folder / "work/settings.txt");

  const int lock = ::open((folder / "work/kelva.lock").c_str(), O_RDWR);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
  ProcessResult run = RunKelva(RunArguments(folder, 1));
  ::close(lock);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("kelva: another kelva run is using the work directory "),
            std::string::npos)
      << run.err;
  EXPECT_EQ(ReadText(folder / "work/settings.txt"), settings);

  WriteText(folder / "work/settings.txt.tmp-41-7", "half");
  WriteText(folder / "work/History/EOL-3_GT2-A.dhf.tmp-41-8", "half");
  WriteText(folder / "work/Learn/EOL-3_GT2-A.learn.tmp-41-9", "half");
  WriteText(folder / "work/Report/detail.jsonl.tmp-41-10", "half");
  WriteText(folder / "work/notes.tmp-1", "not ours");
  run = RunKelva(RunArguments(folder, 1));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("kelva: removed 4 temporary file(s) left by an interrupted run"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(NamesStartingWith(folder / "work", "settings.txt.tmp").empty());
  EXPECT_TRUE(NamesStartingWith(folder / "work/History", "EOL-3_GT2-A.dhf.tmp").empty());
  EXPECT_TRUE(NamesStartingWith(folder / "work/Learn", "EOL-3_GT2-A.learn.tmp").empty());
  EXPECT_TRUE(NamesStartingWith(folder / "work/Report", "detail.jsonl.tmp").empty());
  EXPECT_EQ(ReadText(folder / "work/notes.tmp-1"), "not ours");
}

TEST(RunCommandTest, MeasuredValuesThatAreNotFiniteAreCounted) {
  TempFolder folder;
  nlohmann::json plan = DemoPlan();
  // One value per part carries the defect: the scalar of one of its five modes.
  nlohmann::json scalar = plan["simulation"]["quantities"][0];
  ASSERT_EQ(scalar["modes"].size(), 5u);
  scalar["nominal"] = 3e38;  // fits a float; with the defect added it does not
  scalar["defect"] = 3e38;
  plan["simulation"]["quantities"] = nlohmann::json::array({scalar});
  plan["simulation"]["defectShare"] = 1.0;
  plan["simulation"]["missingSignalShare"] = 0.0;
  WriteText(folder / "plan.json", plan.dump());
  std::vector<std::string> arguments = RunArguments(folder, 3);
  arguments.insert(arguments.end(), {"--plan", folder / "plan.json"});

  const ProcessResult text = RunKelva(arguments);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("  measured values that are not finite numbers (sent as they are): 3\n"),
            std::string::npos)
      << text.out;
  arguments.push_back("--json");
  const ProcessResult json = RunKelva(arguments);
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const std::vector<nlohmann::json> lines = ParseJsonLines(json.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]["nonFiniteValues"], 1);
  EXPECT_EQ(lines[3]["summary"]["nonFiniteValues"], 3);
}

TEST(RunCommandTest, ALogThatIsNotARegularFileIsLeftAloneAndTheRunGoesOn) {
  TempFolder folder;
  std::filesystem::create_directories(folder / "work");
  ASSERT_EQ(::mkfifo((folder / "work/kelva.log").c_str(), 0600), 0);  // no reader: would block
  const ProcessResult run = RunKelva(RunArguments(folder, 1));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("kelva: the log " + folder / "work/kelva.log" +
                         " is not a regular file; this run is not logged"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("GT2A-000001"), std::string::npos);
}
