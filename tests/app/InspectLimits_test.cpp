// `kelva inspect limits` end to end: the limit of a scalar while it has not learned enough (the
// allowed bound) and once it has (the learned mean widened by the absolute offset), as text and
// as JSON; unusable input refused with exit 2 and the learn file left as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "app/KelvaProcess.h"
#include "app/QuietRun.h"

namespace {

const std::string kLearnName = "work/Learn/EOL-3_GT2-A.learn";

// The quiet demo plan with 5 base learns instead of 20, and a limit width of the absolute
// offset 3 alone for the body sound RMS of mode 1 at the input bearing, so its learned limit
// is exactly the learned mean + 3 in float.
nlohmann::json FastLearningPlan() {
  nlohmann::json plan = QuietPlan();
  for (nlohmann::json& procedure : plan["learnProcedures"]) procedure["baseLearns"] = 5;
  for (nlohmann::json& quantity : plan["quantities"])
    if (quantity["key"] == nlohmann::json::array({1, 1, 1, 1, 100, 2}))
      quantity["store"] = {{"errorCode", 1100}, {"offset", 3.0}, {"sigmaFactor", 0.0}};
  return plan;
}

void RunParts(const TempFolder& folder, int parts) {
  const ProcessResult run = RunKelva({"run", "--plan", folder / "plan.json", "--parts",
                                      std::to_string(parts), "--workdir", folder / "work"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
}

const nlohmann::json kRmsKey = nlohmann::json::array({1, 1, 1, 1, 100, 2});
const nlohmann::json kSpectrumKey = nlohmann::json::array({1, 2500, 1, 1, 200, 2});

// The entry of `key` in the list `member` of the JSON description.
nlohmann::json LimitEntry(const TempFolder& folder, const char* member, const nlohmann::json& key) {
  const ProcessResult json =
      RunKelva({"inspect", "limits", folder / "work", "--plan", folder / "plan.json", "--json"});
  EXPECT_EQ(json.exitCode, 0) << json.err;
  EXPECT_TRUE(nlohmann::json::accept(json.out)) << json.out;
  const nlohmann::json limits = nlohmann::json::parse(json.out, nullptr, false);
  if (limits.is_discarded()) return nullptr;
  EXPECT_EQ(limits["workdir"], folder / "work");
  EXPECT_EQ(limits["learnFiles"].size(), 1u);
  EXPECT_EQ(limits["learnFiles"][0]["file"], folder / kLearnName);
  EXPECT_EQ(limits["learnFiles"][0]["kind"], "limits");
  for (const nlohmann::json& entry : limits["learnFiles"][0][member])
    if (entry["key"] == key) return entry;
  ADD_FAILURE() << json.out;
  return nullptr;
}

// The learned mean of the RMS scalar, from `kelva inspect learn`.
float LearnedRmsMean(const TempFolder& folder) {
  const ProcessResult json = RunKelva({"inspect", "learn", folder / kLearnName, "--json"});
  EXPECT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json learn = nlohmann::json::parse(json.out);
  for (const nlohmann::json& item : learn["finalScalars"])
    if (item["key"] == nlohmann::json::array({1, 1, 1, 1, 100, 2}))
      return item["mean"].get<float>();
  ADD_FAILURE() << json.out;
  return 0.0f;
}

const std::string kRmsKeyText =
    "mode 1 \"Run-up 1st gear drive\", instrument 1 \"Body sound level\", channel 1 "
    "\"Accelerometer input bearing\", location 1 \"Input bearing\", parameter 100 \"RMS level "
    "1-10 kHz\", sensor 2 \"Accelerometer A1\"";

std::string Text(const TempFolder& folder) {
  const ProcessResult text =
      RunKelva({"inspect", "limits", folder / "work", "--plan", folder / "plan.json"});
  EXPECT_EQ(text.exitCode, 0) << text.err;  // stderr may hold the shop's warnings
  return text.out;
}

}  // namespace

// Three parts stay below the 5 base learns: the upper limit is the largest allowed value, 108,
// and the order spectrum's is its bound polygon. Three more make six: the learned limit,
// mean + 0 · σ + 3, and a learned limit curve.
TEST(InspectLimitsTest, AllowedBoundUntilEnoughIsLearnedThenTheLearnedLimit) {
  TempFolder folder;
  WriteText(folder / "plan.json", FastLearningPlan().dump());
  RunParts(folder, 3);
  const nlohmann::json few = LimitEntry(folder, "scalars", kRmsKey);
  EXPECT_EQ(few["direction"], "upper");
  EXPECT_EQ(few["count"], 3);
  EXPECT_EQ(few["baseLearns"], 5);
  EXPECT_EQ(few["source"], "fixed");
  EXPECT_EQ(few["limit"], 108);
  // The order spectrum's limit is its upper bound polygon: 108 to 118 dB.
  const nlohmann::json spectrum = LimitEntry(folder, "curves", kSpectrumKey);
  EXPECT_EQ(spectrum["count"], 3);
  EXPECT_EQ(spectrum["baseLearns"], 5);
  EXPECT_EQ(spectrum["source"], "polygon");
  EXPECT_EQ(spectrum["min"], 108);
  EXPECT_EQ(spectrum["max"], 118);
  const std::string fewText = Text(folder);
  EXPECT_TRUE(fewText.starts_with("Limits of learn file " + folder / kLearnName + "\n")) << fewText;
  EXPECT_NE(fewText.find("\nlimit of scalar " + kRmsKeyText +
                         ": upper, learned 3 of 5 base learns, fixed 108\n"),
            std::string::npos)
      << fewText;

  RunParts(folder, 3);
  const float mean = LearnedRmsMean(folder);
  EXPECT_NEAR(mean, 92.0f, 1e-4f);
  const nlohmann::json enough = LimitEntry(folder, "scalars", kRmsKey);
  EXPECT_EQ(enough["count"], 6);
  EXPECT_EQ(enough["source"], "learned");
  EXPECT_EQ(enough["limit"].get<float>(), mean + 3.0f);
  EXPECT_EQ(LimitEntry(folder, "curves", kSpectrumKey)["source"], "learned");
  const std::vector<std::string> rests =
      Lines(Text(folder), "limit of scalar " + kRmsKeyText, "\n");
  ASSERT_EQ(rests.size(), 1u);
  const std::string head = ": upper, learned 6 of 5 base learns, learned ";
  ASSERT_TRUE(rests[0].starts_with(head)) << rests[0];
  EXPECT_EQ(std::stof(rests[0].substr(head.size())), mean + 3.0f) << rests[0];
}

// No plan, a missing work folder, a work folder without learn file and a damaged learn file
// are refused with one line on stderr and exit 2; the damaged file stays as it was.
TEST(InspectLimitsTest, UnusableInputIsRefusedAndTheLearnFileLeftAlone) {
  TempFolder folder;
  WriteText(folder / "plan.json", FastLearningPlan().dump());
  const ProcessResult noPlan = RunKelva({"inspect", "limits", folder.Path()});
  EXPECT_EQ(noPlan.exitCode, 2);
  EXPECT_EQ(noPlan.out, "");

  const ProcessResult noFolder =
      RunKelva({"inspect", "limits", folder / "none", "--plan", folder / "plan.json"});
  EXPECT_EQ(noFolder.exitCode, 2);
  EXPECT_EQ(noFolder.err, "kelva: the work folder " + folder / "none" + " does not exist\n");

  const ProcessResult noLearn =
      RunKelva({"inspect", "limits", folder.Path(), "--plan", folder / "plan.json"});
  EXPECT_EQ(noLearn.exitCode, 2);
  EXPECT_EQ(noLearn.err, "kelva: there is no learn file in " + folder / "Learn" + "\n");

  RunParts(folder, 3);
  std::string bytes = ReadText(folder / kLearnName);
  ASSERT_GT(bytes.size(), 40u);
  bytes[40] = static_cast<char>(bytes[40] ^ 0x01);
  WriteText(folder / kLearnName, bytes);
  const ProcessResult damaged =
      RunKelva({"inspect", "limits", folder / "work", "--plan", folder / "plan.json", "--json"});
  EXPECT_EQ(damaged.exitCode, 2);
  EXPECT_EQ(damaged.out, "");
  EXPECT_EQ(damaged.err, "kelva: the learn file " + folder / kLearnName +
                             " cannot be read: its checksum does not match its content (bytes "
                             "were changed or lost)\n");
  EXPECT_EQ(ReadText(folder / kLearnName), bytes);
  EXPECT_EQ(NamesStartingWith(folder / "work/Learn", "EOL-3_GT2-A.learn"),
            std::vector<std::string>{"EOL-3_GT2-A.learn"});
}
