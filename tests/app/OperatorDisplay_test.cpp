// The pieces of the bench's operator view: the lines below a part, the progress line, the
// printed report files and the simulated clock that fires the lamp's timers.
#include <gtest/gtest.h>

#include "BenchClock.h"
#include "OperatorViews.h"
#include "PartDisplay.h"
#include "Terminal.h"
#include "app/KelvaProcess.h"
#include "host/Clock.h"
#include "host/Timers.h"

namespace {

OperatorPart RejectedPart() {
  OperatorPart part;
  part.modes = {{1, "Run-up", true, 1}, {2, "Coast-down", true, 4}, {3, "Hold", false, 0}};
  part.cycleStart = 1000;
  part.lamp = {{"wr01100", 1000}, {"wr01000", 2500}};
  part.report.header = "Lum GBX S1 now >> Test n.O.K.\n----\n";
  part.report.body = " 120 RU    Level too high\n";
  part.report.serial = "S1";
  part.reportShown = true;
  return part;
}

}  // namespace

TEST(OperatorDisplayTest, LinesBelowAPartWithAndWithoutColours) {
  const OperatorPart part = RejectedPart();
  EXPECT_EQ(OperatorLines(part, true, false),
            "     O.K.      Run-up\n"
            "     n.O.K.    Coast-down\n"
            "     --        Hold (not measured)\n"
            "    lamp       wr01100 @0 ms, wr01000 @1500 ms\n"
            "    report     Lum GBX S1 now >> Test n.O.K.\n"
            "               ----\n"
            "                120 RU    Level too high\n");
  // A part that passed shows no report; colours sit behind the result words only.
  EXPECT_EQ(OperatorLines(part, false, true),
            "    \033[42;30m O.K.     \033[0m Run-up\n"
            "    \033[41;97m n.O.K.   \033[0m Coast-down\n"
            "    \033[100;97m --       \033[0m Hold (not measured)\n"
            "    lamp       wr01100 @0 ms, wr01000 @1500 ms\n");
  nlohmann::json line;
  AddOperatorJson(part, true, line);
  EXPECT_EQ(line["lamp"].dump(),
            R"([{"command":"wr01100","ms":0},{"command":"wr01000","ms":1500}])");
  EXPECT_EQ(line["modes"][1].dump(),
            R"({"colour":4,"measured":true,"mode":2,"name":"Coast-down"})");
  EXPECT_EQ(line["report"], part.report.header + part.report.body);
  EXPECT_EQ(ColourLabel(7), "colour 7");
}

TEST(OperatorDisplayTest, ProgressLineSaysRateCountsAndTimeLeft) {
  char line[160];
  FormatProgress(line, sizeof(line), 30, 150, 25, 4, 10.0);
  EXPECT_STREQ(line, "[30/150] 3.0 parts/s  O.K. 25  n.O.K. 4  left 0:40");
  FormatProgress(line, sizeof(line), 0, 10, 0, 0, 0.0);
  EXPECT_STREQ(line, "[0/10] 0.0 parts/s  O.K. 0  n.O.K. 0  left 0:00");
}

TEST(OperatorDisplayTest, PrintedReportsGetOneFilePerPrintAndEncodedNames) {
  TempFolder folder;
  CBerichtsView::Report report = RejectedPart().report;
  report.serial = "A/1 x";
  std::string error;
  const std::string reports = folder / "reports/";
  EXPECT_EQ(PrintReportFile(report, reports, error), reports + "A%2F1%20x.txt") << error;
  EXPECT_EQ(PrintReportFile(report, reports, error), reports + "A%2F1%20x.2.txt") << error;
  EXPECT_EQ(ReadText(reports + "A%2F1%20x.2.txt"), report.header + report.body);
  // A file where the folder should be: a message, no crash, nothing printed.
  WriteText(folder / "blocked", "x");
  EXPECT_EQ(PrintReportFile(report, folder / "blocked/", error), "");
  EXPECT_NE(error.find("cannot be created"), std::string::npos) << error;
}

TEST(OperatorDisplayTest, SimulatedCycleFiresTimersAtTheirDueTimes) {
  std::vector<uint64_t> fired;
  CHiddenWindow window("test", [&](unsigned) { fired.push_back(HostClock::TickCount()); });
  {
    CBenchClock clock(4000);
    ASSERT_TRUE(HostClock::IsManual());
    const uint64_t start = clock.StartCycle();
    const unsigned id = window.SetTimer(1500);
    clock.FinishCycle(false);
    window.KillTimer(id);
    ASSERT_EQ(fired.size(), 2u);  // at 1500 and 3000: a repeating timer until killed
    EXPECT_EQ(fired[0], start + 1500);
    EXPECT_EQ(fired[1], start + 3000);
    EXPECT_EQ(HostClock::TickCount(), start + 4000);
    EXPECT_EQ(clock.StartCycle(), start + 4000);
  }
  EXPECT_FALSE(HostClock::IsManual());
}
