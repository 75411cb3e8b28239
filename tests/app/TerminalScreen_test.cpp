// The terminal view as a person sees it: `kelva run` in a terminal multiplexer, its screen
// read back as text and with its colours.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <thread>

#include "app/KelvaProcess.h"

namespace {

// Runs a shell command and returns what it printed.
std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) text.append(buffer, n);
    pclose(pipe);
  }
  return text;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

TEST(TerminalScreenTest, APersonSeesColouredModeLinesTheLampTheReportAndNoProgressDebris) {
  if (std::system("command -v tmux > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "tmux is not installed; scripts/setup installs it";
  TempFolder folder;
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.5;
  WriteText(folder / "plan.json", plan.dump());
  const std::string tmux = "tmux -S " + Quoted(folder / "tmux.sock");
  const std::string run = "env -u NO_COLOR " + Quoted(KELVA_APP_BINARY) + " run --plan " +
                          Quoted(folder / "plan.json") +
                          " --parts 6 --seed 3 --cycle-ms 4000 --workdir " +
                          Quoted(folder / "work") + "; echo KELVA-EXIT=$?; sleep 600";
  ASSERT_EQ(std::system((tmux + " new-session -d -x 200 -y 50 " + Quoted(run)).c_str()), 0);
  const std::string capture = tmux + " capture-pane -p -J -S - -t 0";
  std::string screen;
  for (int i = 0; i < 1200 && screen.find("KELVA-EXIT=") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    screen = Output(capture);
  }
  const std::string coloured = Output(tmux + " capture-pane -p -e -J -S - -t 0");
  std::system((tmux + " kill-server > /dev/null 2>&1").c_str());

  EXPECT_NE(screen.find("KELVA-EXIT=0"), std::string::npos) << screen;
  EXPECT_NE(screen.find("Summary: 6 parts"), std::string::npos) << screen;
  // The signal light window: one line per mode with its result, then the lamp's commands.
  EXPECT_NE(screen.find("\n     O.K.      Run-up 1st gear drive\n"), std::string::npos) << screen;
  EXPECT_NE(screen.find("\n    lamp       wr00000 @0 ms, "), std::string::npos) << screen;
  // A rejected part's report, as the report window shows it.
  EXPECT_NE(screen.find("\n    report     "), std::string::npos) << screen;
  EXPECT_NE(screen.find(" GT2-A GT2A-000001 "), std::string::npos) << screen;
  EXPECT_NE(screen.find(" >> n.O.K. noise\n               -----"), std::string::npos) << screen;
  // The progress line was taken away before every part and at the end.
  EXPECT_EQ(screen.find("parts/s"), std::string::npos) << screen;
  // Green and red backgrounds behind the mode results.
  EXPECT_TRUE(std::regex_search(coloured, std::regex("\x1b\\[([0-9]+;)*42(;[0-9]+)*m")))
      << coloured;
  EXPECT_TRUE(std::regex_search(coloured, std::regex("\x1b\\[([0-9]+;)*41(;[0-9]+)*m")))
      << coloured;
}
