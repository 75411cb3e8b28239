// The bench does its job, end to end: `kelva run` on the demo plan learns from good parts and
// rejects the parts the simulation made defective, each by the error of the quantity it made
// loud, while every good part passes. During the learn phase (the first 30 good parts for the
// tracks and spectra) only the plan's fixed bounds apply, which are meant to stop gross faults
// only; defects are judged from part 46 on, when every quantity has its base learns.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "app/KelvaProcess.h"

namespace {

// Until the second-level instruments compute the gear-mesh hats, the hats of modes 1 to 4
// (maxima of orders 23 and 31 against an upper limit) take their bands out of the order
// spectrum's bin-wise evaluation, so a defect at order 23 of those spectra is not seen yet.
bool UnderAGearMeshHat(const std::string& quantity) {
  return quantity.find("Order spectrum 0-50") != std::string::npos &&
         quantity.find("Hold 2nd gear") == std::string::npos;
}

}  // namespace

TEST(DemoEvaluation, DefectivePartsAreRejectedAndGoodPartsPass) {
  TempFolder folder;
  const ProcessResult run =
      RunKelva({"run", "--parts", "600", "--workdir", folder / "work", "--seed", "11"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no warning from limits or evaluation on any part

  const std::regex partLine(
      R"(^GT2A-(\d+) +GT2-A +(O\.K\.|n\.O\.K\.) +errors +(\d+)(?:  first: (\d+) [^(]*\((.*)\))?(?:  \[injected: (defect \+\d+|missing signal) (?:in|of) (.*)\])?$)");
  int parts = 0, good = 0, defects = 0, caught = 0, missing = 0, waitingForHats = 0;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, partLine)) continue;
    ++parts;
    const bool rejected = m[2] == "n.O.K.";
    const std::string injected = m[6];
    const std::string quantity = m[7];
    if (injected.empty()) {
      ++good;
      EXPECT_FALSE(rejected) << line;
    } else if (injected == "missing signal") {
      ++missing;
      EXPECT_TRUE(rejected) << line;
      EXPECT_EQ(m[4], "4910") << line;
    } else if (std::stoi(m[1]) >= 46) {
      ++defects;
      if (!rejected && UnderAGearMeshHat(quantity)) {
        ++waitingForHats;
        continue;
      }
      ++caught;
      EXPECT_TRUE(rejected) << line;
      // The first error names the quantity the defect was put on (its key text without the
      // sensor, which the part line leaves out).
      EXPECT_NE(quantity.find(std::string(m[5])), std::string::npos) << line;
    }
  }
  EXPECT_EQ(parts, 600);
  // The seed's parts hold enough of each kind for the counts to mean something.
  EXPECT_GT(defects, 30);
  EXPECT_GT(caught, 25);
  EXPECT_GT(missing, 5);
  EXPECT_LT(waitingForHats, defects / 4);
  EXPECT_NE(run.out.find("  good parts rejected: 0\n"), std::string::npos) << run.out;
}
