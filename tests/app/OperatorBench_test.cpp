// The bench as the operator meets it: the lamp commands on a serial device (a pseudo-terminal
// here) with their times on the simulated clock, the printed reports, the terminal view as a
// person sees it (in a terminal multiplexer), and Ctrl-C.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <regex>
#include <sstream>
#include <thread>

#include "app/KelvaProcess.h"

namespace {

// The demo plan with many defective parts, so a short run has both results.
std::string DefectivePlan(const TempFolder& folder) {
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.5;
  WriteText(folder / "plan.json", plan.dump());
  return folder / "plan.json";
}

// A pseudo-terminal pair: the test reads the master, kelva writes the slave (the test keeps
// the slave open too, so nothing written is lost when kelva closes it).
struct PseudoTerminal {
  int master = -1;
  int slave = -1;
  std::string slaveName;

  PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slaveName = ptsname(master);
    slave = open(slaveName.c_str(), O_RDWR | O_NOCTTY);
  }
  ~PseudoTerminal() {
    if (slave >= 0) close(slave);
    if (master >= 0) close(master);
  }
  std::string ReadAvailable() const {
    std::string bytes;
    char buffer[4096];
    pollfd p{master, POLLIN, 0};
    while (poll(&p, 1, 200) > 0 && (p.revents & POLLIN) != 0) {
      const ssize_t n = read(master, buffer, sizeof(buffer));
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
  }
};

using Commands = std::vector<std::pair<std::string, int64_t>>;

Commands LampOf(const nlohmann::json& part) {
  Commands commands;
  for (const nlohmann::json& c : part["lamp"])
    commands.emplace_back(c["command"].get<std::string>(), c["ms"].get<int64_t>());
  return commands;
}

}  // namespace

TEST(OperatorBenchTest, LampCommandsReachTheDeviceWithTheirTimesOnTheSimulatedClock) {
  TempFolder folder;
  PseudoTerminal lamp;
  ASSERT_GE(lamp.slave, 0);
  const ProcessResult run =
      RunKelva({"run", "--plan", DefectivePlan(folder), "--parts", "12", "--seed", "3", "--json",
                "--cycle-ms", "4000", "--lamp", lamp.slaveName, "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::vector<nlohmann::json> parts = ParseJsonLines(run.out);
  ASSERT_EQ(parts.size(), 13u);
  parts.pop_back();  // the summary

  // What the signal light must do in mode 2: n.O.K. blinks red for 1500 ms, then steady red;
  // O.K. steady green at once; a steady lamp goes off when the next part enters; no result
  // leaves the lamp off.
  std::string expectedBytes;
  int steady = 0, nok = 0, ok = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    Commands expected;
    if (i == 0 || steady != 0) expected.emplace_back("wr00000", 0);
    steady = 0;
    const int result = parts[i]["resultCode"].get<int>();
    if (result == 0) {
      expected.emplace_back("wr01100", 0);
      expected.emplace_back("wr01000", 1500);
      steady = 1;
      ++nok;
    } else if (result == 1) {
      expected.emplace_back("wr10000", 0);
      steady = 1;
      ++ok;
    }
    EXPECT_EQ(LampOf(parts[i]), expected) << "part " << i + 1 << ": " << parts[i].dump();
    for (const auto& c : expected) expectedBytes += c.first + "\n";
  }
  EXPECT_GT(nok, 0);
  EXPECT_GT(ok, 0);
  EXPECT_EQ(lamp.ReadAvailable(), expectedBytes);
}

TEST(OperatorBenchTest, RejectedPartsAreReportedAndPrintedAsText) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--plan", DefectivePlan(folder), "--parts", "8", "--seed", "3", "--json",
                "--print", "--cycle-ms", "4000", "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);  // no colours in JSON
  std::vector<nlohmann::json> parts = ParseJsonLines(run.out);
  ASSERT_EQ(parts.size(), 9u);
  parts.pop_back();
  int printed = 0;
  for (const nlohmann::json& part : parts) {
    const std::string file =
        folder / ("work/reports/" + part["serial"].get<std::string>() + ".txt");
    const bool rejected = part["resultCode"] == 0 || part["resultCode"] == 3;
    ASSERT_EQ(part.contains("report"), part["resultCode"] != 1) << part.dump();
    // Every mode of the signal light window is listed with a colour.
    EXPECT_FALSE(part["modes"].empty());
    if (!rejected) {
      EXPECT_NE(access(file.c_str(), F_OK), 0) << file;
      continue;
    }
    ++printed;
    const std::string report = part["report"].get<std::string>();
    EXPECT_EQ(ReadText(file), report);
    // Header: station, type, serial, time, and the result text of the part's severity (or the
    // long result name) after ">>", then the rule.
    const std::regex header("[^ ]+ GT2-A " + part["serial"].get<std::string>() +
                            " \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d >> "
                            "(n\\.O\\.K\\. noise|n\\.O\\.K\\. function|System error)\n-{58}\n"
                            "[^]*");
    EXPECT_TRUE(std::regex_match(report, header)) << report;
  }
  EXPECT_GT(printed, 0);
}

TEST(OperatorBenchTest, PipedOutputHasNoColoursAndListsTheModesAndTheLamp) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--plan", DefectivePlan(folder), "--parts", "4", "--seed", "3", "--cycle-ms",
                "4000", "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
  EXPECT_EQ(run.err.find('\033'), std::string::npos);  // no progress line when piped
  EXPECT_NE(run.out.find("\n     O.K.      Run-up 1st gear drive\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n    lamp       wr00000 @0 ms, "), std::string::npos) << run.out;
}

TEST(OperatorBenchTest, CtrlCEndsTheRunAfterThePartWithEverythingSaved) {
  TempFolder folder;
  const std::string out = folder / "out", err = folder / "err";
  const pid_t pid = StartKelva({"run", "--parts", "100000", "--json", "--save-every", "100000",
                                "--save-seconds", "3600", "--workdir", folder / "work"},
                               out, err);
  ASSERT_GT(pid, 0);
  // Wait until some parts are done.
  const auto linesDone = [&] {
    const std::string text = ReadText(out);
    return std::count(text.begin(), text.end(), '\n');
  };
  for (int i = 0; i < 600 && linesDone() < 5; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(pid, SIGINT);
  EXPECT_EQ(WaitForKelva(pid), 130);
  const std::vector<nlohmann::json> lines = ParseJsonLines(ReadText(out));
  ASSERT_GE(lines.size(), 6u);
  const size_t done = lines.size() - 1;  // the last line is the summary
  EXPECT_EQ(lines.back()["summary"]["parts"].get<size_t>(), done) << lines.back().dump();
  EXPECT_NE(ReadText(err).find("kelva: interrupted: stopped after part " + std::to_string(done) +
                               " of 100000; everything is saved"),
            std::string::npos)
      << ReadText(err);
  // The part counter says exactly how far the run came, though no checkpoint was due.
  const std::string settings = ReadText(folder / "work/settings.txt");
  EXPECT_NE(settings.find("\nBench-Simulation = " + std::to_string(done) + "\n"), std::string::npos)
      << settings;
  EXPECT_FALSE(NamesStartingWith(folder / "work/History", "").empty());
}
