// `kelva check PLAN` end to end, and `kelva run` on plans it would refuse: the exit code and the
// exact texts, never a crash.
#include <gtest/gtest.h>

#include "app/KelvaProcess.h"
#include "host/TestPlan.h"

namespace {

using json = nlohmann::json;

// Writes the demo plan with `change` applied, then `marker` in its text replaced by `raw`.
std::string WritePlan(const TempFolder& folder, void (*change)(json&),
                      const std::string& marker = "", const std::string& raw = "") {
  json plan = DemoPlan();
  change(plan);
  std::string text = plan.dump();
  if (!marker.empty()) text.replace(text.find(marker), marker.size(), raw);
  WriteText(folder / "plan.json", text);
  return folder / "plan.json";
}

}  // namespace

TEST(CheckCommandTest, AValidPlanIsConfirmedInOneLine) {
  const std::string demo = TestPlan::DemoPlanPath();
  const ProcessResult check = RunKelva({"check", demo});
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out, "Test plan '" + demo +
                           "' (\"Two-gear transmission GT2 end-of-line acoustic test\") is valid: "
                           "7 modes, 12 instruments, 62 quantities, 21 error codes; simulation of "
                           "6 modes with 29 quantities\n");
  EXPECT_EQ(check.err, "");

  TempFolder folder;
  const std::string plan = WritePlan(folder, [](json& p) { p.erase("simulation"); });
  const ProcessResult bare = RunKelva({"check", plan});
  EXPECT_EQ(bare.exitCode, 0) << bare.err;
  EXPECT_EQ(bare.out, "Test plan '" + plan +
                          "' (\"Two-gear transmission GT2 end-of-line acoustic test\") is valid: "
                          "7 modes, 12 instruments, 62 quantities, 21 error codes; no simulation "
                          "section (kelva run needs one)\n");
  // kelva run cannot make parts without it, and says so.
  const ProcessResult run = RunKelva({"run", "--plan", plan, "--workdir", folder / "work"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "kelva: Test plan '" + plan +
                         "' has no \"simulation\" section: kelva run makes its parts from it (see "
                         "the simulation section in docs/cli.md)\n");
}

TEST(CheckCommandTest, RefusedPlansExitTwoWithTheReaderMessage) {
  TempFolder folder;
  std::string plan = WritePlan(
      folder, [](json& p) { p["simulation"]["quantities"][7]["nominal"] = 123456.5; }, "123456.5",
      "1e999");
  ProcessResult check = RunKelva({"check", plan});
  EXPECT_EQ(check.exitCode, 2);
  EXPECT_EQ(check.out, "");
  EXPECT_EQ(check.err, "Test plan '" + plan +
                           "', at /simulation/quantities/7/nominal: expected a number within the "
                           "range of a double\n");

  plan = WritePlan(folder, [](json& p) { p["simulation"]["defectShare"] = 2; });
  check = RunKelva({"check", plan});
  EXPECT_EQ(check.exitCode, 2);
  EXPECT_EQ(check.err, "kelva: Test plan '" + plan +
                           "', at /simulation/defectShare: expected a share from 0 to 1\n");

  // An axis of 4,294,967,295 cells would make every part allocate without end.
  plan = WritePlan(folder, [](json& p) { p["triggers"][0]["axes"][0]["count"] = 4294967295LL; });
  check = RunKelva({"check", plan});
  EXPECT_EQ(check.exitCode, 2);
  EXPECT_EQ(check.err, "Test plan '" + plan +
                           "', at /triggers/0/axes/0/count: expected a count from 1 to 100,000\n");
  const ProcessResult run = RunKelva({"run", "--plan", plan, "--workdir", folder / "work"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, check.err);

  check = RunKelva({"check", folder / "missing.json"});
  EXPECT_EQ(check.exitCode, 2);
  EXPECT_EQ(check.err, "Test plan '" + folder / "missing.json" + "': the file cannot be opened\n");
  check = RunKelva({"check", folder.Path()});
  EXPECT_EQ(check.exitCode, 2);
  EXPECT_EQ(check.err, "Test plan '" + folder.Path() +
                           "': the file cannot be opened (it is not a regular file)\n");

  // Usage errors exit 2 as well.
  EXPECT_EQ(RunKelva({"check"}).exitCode, 2);
  EXPECT_EQ(RunKelva({"check", plan, "extra"}).exitCode, 2);
}
