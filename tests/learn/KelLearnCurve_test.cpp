#include "learn/KelLearnCurve.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/Clock.h"

namespace {

const CMeasuringUnit kOrder(CMeasuringUnit::cuOrder);
const CMeasuringUnit kLevel(CMeasuringUnit::cuMetrePerSecond2);

KelSigCurve Spectrum(std::vector<float> samples, float delta = 0.5f) {
  KelSigCurve curve;
  curve.ImportData(samples.data(), static_cast<uint32_t>(samples.size()), delta, kOrder, kLevel);
  return curve;
}

std::vector<float> Samples(const KelSigCurve& curve) {
  return std::vector<float>(curve.data(), curve.data() + curve.size());
}

// An item started for n curves with both averages zeroed to the shape of `shape`, as the
// learn machine prepares it.
KelLearnCurve Started(unsigned n, const KelSigCurve& shape) {
  KelLearnCurve item;
  item.InitNewLearn(n);
  item.Average().ZeroData(shape);
  item.SqAverage().ZeroData(shape);
  return item;
}

}  // namespace

TEST(KelLearnCurve, AveragesPointByPointExact) {
  const KelSigCurve first = Spectrum({1, 2, 3});
  KelLearnCurve item = Started(5, first);
  EXPECT_EQ(KelLearnCurve::s_version, 2u);

  ASSERT_TRUE(item.LearnCurve(first, 2));
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{1, 2, 3}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{1, 4, 9}));
  ASSERT_TRUE(item.LearnCurve(Spectrum({3, 2, 1}), 2));
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{5, 4, 5}));
  EXPECT_EQ(item.count, 2u);
  EXPECT_EQ(item.remaining, 3);

  // One step with a given weight of the old averages.
  ASSERT_TRUE(item.Learn(Spectrum({6, 2, 10}), 0.75f));
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{3, 2, 4}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{12.75f, 4, 28.75f}));
  EXPECT_EQ(item.count, 2u);  // Learn is the update only; the learn step counts

  // The learned curve is the item's own: the caller's curve is not written.
  EXPECT_EQ(Samples(first), (std::vector<float>{1, 2, 3}));
}

TEST(KelLearnCurve, CurveOfAnotherShapeResetsTheCount) {
  KelLearnCurve item = Started(5, Spectrum({0, 0, 0}));
  ASSERT_TRUE(item.LearnCurve(Spectrum({1, 2, 3}), 10));
  ASSERT_TRUE(item.LearnCurve(Spectrum({3, 2, 1}), 10));
  ASSERT_EQ(item.count, 2u);

  EXPECT_FALSE(item.LearnCurve(Spectrum({9, 9, 9, 9}), 10));  // another length
  EXPECT_EQ(item.count, 0u);
  EXPECT_EQ(item.remaining, 2);  // the step was taken before the curve was found not to fit
  EXPECT_NE(item.active, 0);
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{5, 4, 5}));

  item.count = 2;
  EXPECT_FALSE(item.LearnCurve(Spectrum({9, 9, 9}, 0.25f), 10));  // another x step
  EXPECT_EQ(item.count, 0u);
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{2, 2, 2}));
  EXPECT_EQ(Samples(item.SqAverage()), (std::vector<float>{5, 4, 5}));

  // The start of learning leaves the curves to the machine, which zeroes them to the new shape.
  item.InitNewLearn(3);
  EXPECT_EQ(item.count, 0u);
  EXPECT_EQ(item.remaining, 3);
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{2, 2, 2}));
  item.Average().ZeroData(Spectrum({0, 0, 0, 0}));
  item.SqAverage().ZeroData(Spectrum({0, 0, 0, 0}));
  ASSERT_TRUE(item.LearnCurve(Spectrum({9, 9, 9, 9}), 10));
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{9, 9, 9, 9}));
  EXPECT_EQ(item.count, 1u);
}

TEST(KelLearnCurve, NumberToLearnOneZeroAndForever) {
  const KelSigCurve shape = Spectrum({0, 0});
  KelLearnCurve once = Started(1, shape);
  EXPECT_TRUE(once.LearnCurve(Spectrum({4, 6}), 10));
  EXPECT_EQ(once.count, 1u);
  EXPECT_EQ(once.remaining, 0);
  EXPECT_EQ(once.active, 0);
  EXPECT_FALSE(once.LearnCurve(Spectrum({8, 8}), 10));
  EXPECT_EQ(once.count, 1u);
  EXPECT_EQ(Samples(once.Average()), (std::vector<float>{4, 6}));
  EXPECT_EQ(Samples(once.SqAverage()), (std::vector<float>{16, 36}));

  KelLearnCurve never = Started(0, shape);
  EXPECT_EQ(never.active, 0);
  EXPECT_FALSE(never.LearnCurve(Spectrum({4, 6}), 10));
  EXPECT_EQ(never.count, 0u);
  EXPECT_EQ(Samples(never.Average()), (std::vector<float>{0, 0}));

  KelLearnCurve forever = Started(1, shape);
  forever.LearnForever();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(forever.LearnCurve(Spectrum({1, 1}), 10));
  EXPECT_EQ(forever.count, 4u);
  EXPECT_EQ(forever.remaining, -1);
  EXPECT_NE(forever.active, 0);
}

TEST(KelLearnCurve, CopiesAreIndependent) {
  KelLearnCurve item = Started(5, Spectrum({0, 0}));
  ASSERT_TRUE(item.LearnCurve(Spectrum({2, 4}), 10));
  const KelLearnCurve kept = item;  // items are held by value; copies share samples until written
  ASSERT_TRUE(item.LearnCurve(Spectrum({4, 8}), 10));
  EXPECT_EQ(Samples(item.Average()), (std::vector<float>{3, 6}));
  EXPECT_EQ(Samples(kept.Average()), (std::vector<float>{2, 4}));
  EXPECT_EQ(Samples(kept.SqAverage()), (std::vector<float>{4, 16}));
  EXPECT_EQ(kept.count, 1u);
}
