#include "learn/KelLearnProcedureWalk.h"

#include <gtest/gtest.h>

#include <vector>

#include "learn/LearnStoreFixture.h"

namespace {

// The learn procedure's number to learn, or 99 for none: the procedures of the fixture learn
// 3, 0 and -1 values.
int NumberToLearn(const QVLearnProcedures* procedure) {
  return procedure == nullptr ? 99 : procedure->numberToLearn;
}

}  // namespace

// A walk answers what a search per key answers, for keys in ascending order (with and without
// learn parameters), for a key far beyond the last one, for a key below it, and with a default
// procedure.
TEST_F(LearnStoreTest, ProcedureWalkAnswersAsTheStore) {
  // More learn parameters between the keys than the walk steps over before it searches.
  TestPlan::Builder plan = Plan();
  for (int parameter = 600; parameter < 620; ++parameter) {
    plan.Parameter(parameter, 1, "Level " + std::to_string(parameter));
    Learns(plan, QClavis(kRunUp, 1, 1, 1, parameter, 0), 2);
  }
  ASSERT_TRUE(plan.Install());
  const CDtParamInstance params;
  const QClavis between{kRunUp, 1, 1, 1, 610, 0};
  const std::vector<QClavis> keys{rms, peak,   kurtosis, between,     spectrum, track,
                                  rms, lowest, highest,  spectrogram, coastRms, kurtosis};
  const std::vector<int> expected{3, 0, 99, 0, 3, 3, 3, -1, -1, 3, 3, 99};
  CKelLearnProcedureWalk walk(params, -1);
  std::vector<int> walked;
  for (const QClavis& key : keys) walked.push_back(NumberToLearn(walk.Find(key)));
  EXPECT_EQ(walked, expected);

  CKelLearnStore store(values, -1);
  for (size_t i = 0; i < keys.size(); ++i) {
    auto [n, found] = store.NrToLearn(keys[i]);
    EXPECT_EQ(found ? n : 99, expected[i]) << i;
  }

  // A default procedure answers for every key; one that does not exist leaves the keys theirs.
  CKelLearnProcedureWalk byDefault(params, 3);
  EXPECT_EQ(NumberToLearn(byDefault.Find(kurtosis)), -1);
  EXPECT_EQ(NumberToLearn(byDefault.Find(rms)), -1);
  CKelLearnProcedureWalk missingDefault(params, 42);
  EXPECT_EQ(NumberToLearn(missingDefault.Find(rms)), 3);
  EXPECT_EQ(NumberToLearn(missingDefault.Find(kurtosis)), 99);
}
