// The HTML report in a real browser: headless Chromium loads the report of a demo run from a
// file, runs its script and draws it. The test needs the chromium package (scripts/setup
// installs it) and fails when it is missing.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/KelvaProcess.h"
#include "app/PngPixels.h"

extern char** environ;

// tests/app/ReportCommand_test.cpp
std::string CurveDefectPlan(const TempFolder& folder, double defectShare);

namespace {

std::string FindInPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = folder + "/" + name;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// Runs a program with its output into `outPath` (stderr is dropped): its exit status, or -1.
int RunProgram(std::vector<std::string> arguments, const std::string& outPath) {
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (!started || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ReportBrowserTest, ChromiumRunsTheScriptAndDrawsTheDemoReport) {
  const std::string chromium = FindInPath("chromium");
  ASSERT_FALSE(chromium.empty())
      << "chromium is not installed: the HTML report is checked in headless Chromium; install "
         "the Debian package chromium (scripts/setup does)";
  TempFolder folder;
  ASSERT_EQ(RunKelva({"run", "--plan", CurveDefectPlan(folder, 0.5), "--parts", "12", "--seed", "3",
                      "--workdir", folder / "work"})
                .exitCode,
            0);
  const ProcessResult report =
      RunKelva({"report", "--html", folder / "report.html", folder / "work"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string html = ReadText(folder / "report.html");
  const size_t table = html.find("<table id=\"value-table\">");
  ASSERT_NE(table, std::string::npos);
  const size_t valueRows =
      Count(html.substr(table, html.find("</table>", table) - table), "<tr") - 1;
  ASSERT_GT(valueRows, 0u);

  const std::string url = "file://" + folder / "report.html";
  const std::vector<std::string> common = {chromium, "--headless", "--no-sandbox", "--disable-gpu",
                                           "--user-data-dir=" + folder / "profile"};
  std::vector<std::string> dump = common;
  dump.insert(dump.end(), {"--dump-dom", url});
  ASSERT_EQ(RunProgram(dump, folder / "dom.html"), 0);
  const std::string dom = ReadText(folder / "dom.html");
  EXPECT_NE(dom.find("data-ready=\"yes\""), std::string::npos) << "the script did not run";
  EXPECT_NE(dom.find(std::to_string(valueRows) + " of " + std::to_string(valueRows) + " rows"),
            std::string::npos);
  EXPECT_EQ(Count(dom, "<svg class=\"plot\""), Count(html, "<svg class=\"plot\""));
  EXPECT_GT(Count(dom, "<svg class=\"plot\""), 0u);

  std::vector<std::string> shot = common;
  shot.insert(shot.end(), {"--screenshot=" + folder / "shot.png", "--window-size=1280,1600", url});
  ASSERT_EQ(RunProgram(shot, folder / "shot.out"), 0);
  const PngPixels png = ReadPng(ReadText(folder / "shot.png"));
  ASSERT_EQ(png.error, "");
  EXPECT_EQ(png.width, 1280u);
  EXPECT_EQ(png.height, 1600u);
  const uint32_t background = png.rgb.front();
  size_t drawn = 0, okCells = 0, nokCells = 0;
  for (uint32_t pixel : png.rgb) {
    drawn += pixel != background ? 1 : 0;
    okCells += pixel == 0x66CC66 ? 1 : 0;   // an O.K. mode cell
    nokCells += pixel == 0xEE4444 ? 1 : 0;  // an n.O.K. mode cell
  }
  EXPECT_EQ(background, 0xFFFFFFu);
  EXPECT_GT(drawn, png.rgb.size() / 50) << "the page looks blank";
  EXPECT_GT(okCells, 100u);
  EXPECT_GT(nokCells, 100u);
}

}  // namespace
