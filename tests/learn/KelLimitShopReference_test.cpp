// The scalar limits of the limit shop against a plain implementation of the limit rule, over
// random learned statistics, counts, width terms, bounds, directions and base learns: the same
// limit, mean and evaluation mode to the last bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "LimitShopFixture.h"

namespace {

struct ReferenceLimit {
  float limit;
  int evalMode;
};

// The variance correction for `count` values averaged with time constant tc (tc 0: the key has
// no learn procedure): n = min(count, 2·tc − 1), n / (n − 1) for n > 1, else 0.
float ReferenceCorrection(uint32_t count, long tc) {
  const long n = std::min<long>(count, 2 * tc - 1);
  return n > 1 ? static_cast<float>(static_cast<double>(n) / static_cast<double>(n - 1)) : 0.0f;
}

ReferenceLimit Reference(float mean, float meanSquare, uint32_t count, float correction,
                         const QVIpParamAndStore& widthTerms, const QVLimSValue& bounds,
                         int direction, int minLearned) {
  const bool enough = count > 0 && static_cast<long long>(count) >= minLearned;
  float limit = 0.0f;
  if (!enough) {
    if (direction == 1) {
      limit = bounds.minLimit;
    } else if (direction == 2) {
      limit = bounds.maxLimit;
    } else if (direction == 3) {
      limit = bounds.maxLimit;
      direction = 0;
    } else {
      direction = 0;
    }
  } else {
    float variance = meanSquare - mean * mean;
    if (variance < 0.0f) variance = 0.0f;
    const float sigma = std::sqrt(variance * correction);
    const float width =
        mean * 0.01f * widthTerms.percent + sigma * widthTerms.sigmaFactor + widthTerms.offset;
    if (direction == 1) limit = mean - width;
    if (direction == 2) limit = mean + width;
    if (limit > bounds.maxLimit) limit = bounds.maxLimit;
    if (limit < bounds.minLimit) limit = bounds.minLimit;
  }
  return {limit, bounds.evaluate == 1 ? direction : 0};
}

class LimitShopReferenceTest : public LimitShopTest {
 protected:
  void SetUp() override {
    LimitShopTest::SetUp();
    quietStderr_ = PrWin::DefaultStderrSink().Mask();
    PrWin::DefaultStderrSink().SetMask(0);  // thousands of expected "Todo" lines
  }
  void TearDown() override {
    PrWin::DefaultStderrSink().SetMask(quietStderr_);
    LimitShopTest::TearDown();
  }
  int quietStderr_ = 0;
};

}  // namespace

TEST_F(LimitShopReferenceTest, ScalarLimitsEqualThePlainRuleToTheLastBit) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<float> means(-200.0f, 200.0f);
  std::uniform_real_distribution<float> variances(-2.0f, 60.0f);
  std::uniform_real_distribution<float> terms(-5.0f, 20.0f);
  std::uniform_real_distribution<float> bounds(-250.0f, 250.0f);
  std::uniform_int_distribution<uint32_t> counts(0, 400);
  std::uniform_int_distribution<int> small(-1, 12);
  std::uniform_int_distribution<int> directions(0, 3);
  std::uniform_int_distribution<int> switches(0, 2);
  // Keys with time constants 100, 2 and none.
  const QClavis keys[] = {rms, highest, kurtosis};
  const long timeConstants[] = {100, 2, 0};
  std::uniform_int_distribution<int> keyIndex(0, 2);

  int learnedCases = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    const int which = keyIndex(random);
    const float mean = means(random);
    const float meanSquare = mean * mean + variances(random);
    const uint32_t count = counts(random) < 40 ? 0 : counts(random);
    const KelLearnSValue learned(0, count, 1, mean, meanSquare);
    const QVIpParamAndStore widthTerms{-1, terms(random), terms(random), terms(random), true};
    const QVLimSValue limits{switches(random), bounds(random), bounds(random)};
    QVInstrumentParam ip;
    ip.evalMode = static_cast<QVInstrumentParam::eval_mode_t>(directions(random));
    const int minLearned = small(random);

    KelStoreSValue value;
    value.value = 1.0f;
    shop.SValueLimits(keys[which], value, learned, limits, ip, widthTerms, minLearned);
    const ReferenceLimit expected =
        Reference(mean, meanSquare, count, ReferenceCorrection(count, timeConstants[which]),
                  widthTerms, limits, ip.evalMode, minLearned);
    ASSERT_EQ(std::bit_cast<uint32_t>(value.limit), std::bit_cast<uint32_t>(expected.limit))
        << "trial " << trial << ": " << value.limit << " vs " << expected.limit;
    ASSERT_EQ(value.evalMode, expected.evalMode) << "trial " << trial;
    ASSERT_EQ(std::bit_cast<uint32_t>(value.mean), std::bit_cast<uint32_t>(mean));
    ASSERT_EQ(value.value, 1.0f);
    if (count > 0 && static_cast<long long>(count) >= minLearned) ++learnedCases;
  }
  // Both branches were walked many times.
  EXPECT_GT(learnedCases, 10000);
  EXPECT_LT(learnedCases, 19000);
}

TEST_F(LimitShopReferenceTest, GeneratedLimitsEqualThePlainRuleForEveryPendingValue) {
  // The whole generation over random learned data of the five limited quantities of both the
  // run-up and its virtual repeat; the parameters are those of the plan (rms: 2 base learns,
  // time constant 100, a = 1, k = 0, p = 10; kurtosis: no procedure, k = 2).
  std::mt19937 random(1206);
  std::uniform_real_distribution<float> means(0.0f, 90.0f);
  std::uniform_real_distribution<float> variances(0.0f, 9.0f);
  std::uniform_int_distribution<uint32_t> counts(0, 6);
  TestPlan::Builder plan = LimitPlan();
  plan.Quantity(rms, -1, 0.5f, 3.0f, 2.0f);
  ASSERT_TRUE(plan.Install());
  const CDtParamInstance params;
  for (int part = 0; part < 200; ++part) {
    values.DismissValues();
    std::vector<QClavis> keys;
    for (int mode : {kRunUp, kRepeat})
      for (int parameter : {100, 102, 103, 104, 105})
        keys.emplace_back(mode, 1, 1, 1, parameter, 0);
    for (const QClavis& key : keys) {
      const float mean = means(random);
      Learned(key, counts(random), mean, mean * mean + variances(random));
      Pending(key, 1.0f);
    }
    shop.GenerateSValueLimits();
    for (const QClavis& key : keys) {
      QClavis base = key;
      base.set_mode(kRunUp);
      const KelLearnSValue& learned = learn.LearnedSingleValue().at(key);
      // Base learns come from the base-mode key; the time constant from the key itself, and
      // only the run-up's keys have learn parameters of their own.
      const bool hasProcedure = key.parameter() != 102;
      const bool hasTimeConstant = hasProcedure && key.mode() == kRunUp;
      const ReferenceLimit expected = Reference(
          learned.mean, learned.meanSquare, learned.count,
          hasTimeConstant ? ReferenceCorrection(learned.count, 100) : 0.0f,
          params.IpParamAndStore().at(base), params.LimSValue().at(base),
          params.InstrumentParam().at(QIdx1(key.parameter())).evalMode, hasProcedure ? 2 : -1);
      const KelStoreSValue& value = values.SingleValueMap().at(key);
      ASSERT_EQ(std::bit_cast<uint32_t>(value.limit), std::bit_cast<uint32_t>(expected.limit))
          << "part " << part << ", parameter " << key.parameter() << ", mode " << key.mode();
      ASSERT_EQ(value.evalMode, expected.evalMode);
    }
  }
}
