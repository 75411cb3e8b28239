// Learning on the bench, end to end: `kelva run` learns from good parts of the demo plan, keeps
// what it learned in the work directory's learn file, and a second run goes on from it. The
// learn file is read back here with the library's own reader.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/KelvaProcess.h"
#include "host/Numeric.h"
#include "learn/KelLearnFile.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace {

const char* const kLearnFile = "work/Learn/EOL-3_GT2-A.learn";

// The demo plan with only good parts.
nlohmann::json GoodPartsPlan() {
  nlohmann::json plan = DemoPlan();
  plan["simulation"]["defectShare"] = 0.0;
  plan["simulation"]["missingSignalShare"] = 0.0;
  return plan;
}

std::vector<std::string> RunArguments(const TempFolder& folder, int parts) {
  return {"run",
          "--parts",
          std::to_string(parts),
          "--workdir",
          folder / "work",
          "--plan",
          folder / "plan.json",
          "--seed",
          "7"};
}

}  // namespace

TEST(DemoLearning, TheSummaryTellsWhatWasLearnedAndASecondRunGoesOn) {
  TempFolder folder;
  WriteText(folder / "plan.json", GoodPartsPlan().dump());
  ProcessResult run = RunKelva(RunArguments(folder, 12));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("  learned in 'Run-up 1st gear drive'      from 12 parts (fewest 12); 0 "
                         "of 15 quantities have their base learns\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  learn phase: not complete (62 of 62 quantities below their base "
                         "learns)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  learn file: " + folder / kLearnFile + "\n"), std::string::npos);

  // Run two goes on: the acoustic levels, the hats and the derived single values (20 base
  // learns) have enough, the spectrum, the tracks, the velocity track and the spectrogram (30)
  // not yet.
  std::vector<std::string> arguments = RunArguments(folder, 12);
  arguments.push_back("--json");
  run = RunKelva(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const nlohmann::json summary = nlohmann::json::parse(run.out.substr(run.out.rfind("{\"summary")));
  const nlohmann::json& learning = summary["summary"]["learning"];
  ASSERT_EQ(learning.size(), 6u);
  EXPECT_EQ(learning[0]["mode"], 1);
  EXPECT_EQ(learning[0]["name"], "Run-up 1st gear drive");
  EXPECT_EQ(learning[0]["mostParts"], 24);
  EXPECT_EQ(learning[0]["fewestParts"], 24);
  EXPECT_EQ(learning[0]["quantities"], 15);
  EXPECT_EQ(learning[0]["learnedEnough"], 10);
  EXPECT_EQ(summary["summary"]["learnPhaseComplete"], false);
  EXPECT_EQ(summary["summary"]["learnFile"], folder / kLearnFile);
  EXPECT_EQ(summary["summary"]["learnFileSaveFailures"], 0);

  run = RunKelva(RunArguments(folder, 6));
  EXPECT_NE(run.out.find("  learn phase: complete\n"), std::string::npos) << run.out;
}

// After N good parts the learned mean and standard deviation of a simulated level are those of
// the simulation. The time constants are made long enough for the plain mean of all parts, so
// the sampling error of the standard deviation is about 1/sqrt(2N) = 1.1 %.
TEST(DemoLearning, LearnedStatisticsMatchTheSimulation) {
  constexpr int kParts = 4000;
  TempFolder folder;
  nlohmann::json plan = GoodPartsPlan();
  plan["simulation"]["sequence"] = {1};
  for (auto& procedure : plan["learnProcedures"]) procedure["timeConstant"] = 1e6;
  WriteText(folder / "plan.json", plan.dump());
  std::vector<std::string> arguments = RunArguments(folder, kParts);
  arguments.push_back("--json");
  const ProcessResult run = RunKelva(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  CKelValueStore values;
  CKelLearnStore store(values, -1);
  CDiskFile file;
  ASSERT_TRUE(file.Open(folder / kLearnFile, CDiskFile::modeRead));
  std::string why;
  ASSERT_TRUE(KelLearnFile::Read(store, file, why)) << why;

  // The body-sound level of mode 1 (simulation: nominal 92, noise 0.8).
  const KelLearnSValue& level = store.LearnedSingleValue().at(QClavis(1, 1, 1, 1, 100, 2));
  EXPECT_EQ(level.count, static_cast<uint32_t>(kParts));
  EXPECT_NEAR(level.mean, 92.0f, 92.0f * 0.02f);
  const float sigma = numeric::stddev(level.mean, level.meanSquare, 1.0f);
  EXPECT_NEAR(sigma, 0.8f, 0.8f * 0.02f) << "mean " << level.mean;
}
