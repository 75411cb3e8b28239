// Measured bins that are not finite numbers: always a violation, one error for each spectrum.
#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "EvalSpecFixture.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

}  // namespace

class EvalSpecNonFiniteTest : public EvalSpecTest {
 protected:
  std::string Warning(const QClavis& key, const char* value, const char* position) const {
    return "CKelEvalShop: '" + Text(key) + "' measured a value that is not a finite number (" +
           value + ") at " + position + "; it counts as a violation\n";
  }
};

TEST_F(EvalSpecNonFiniteTest, NaNBinAgainstUpperLimitIsReportedOnce) {
  Spectrum(spectrum, {0, kNaN, 0, 0, 0, 0, 7, kNaN, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 2u);
  EXPECT_EQ(Errors(),
            "1/2500/300 51 nan 4 nan at 0.5\n"
            "1/2500/300 51 7 4 7 at 3\n");
  EXPECT_EQ(output.Text(), Warning(spectrum, "nan", "0.5"));
}

TEST_F(EvalSpecNonFiniteTest, MinusInfinityPassesNoUpperLimit) {
  // Its difference to the limit is the smallest of all: the prescreen alone would pass it.
  KelSigLimitCurve& curve =
      Spectrum(spectrum, {0, 0, 0, 0, 0, 0, 0, 0, -kInf, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(curve.MinLimDist(), std::make_tuple(4.0f, 0u, true));
  EXPECT_EQ(Errors(), "1/2500/300 51 -inf 4 -inf at 4\n");
  EXPECT_EQ(output.Text(), Warning(spectrum, "-inf", "4"));
}

TEST_F(EvalSpecNonFiniteTest, InfinityUnderAHatIsReportedWithTheHatsCode) {
  Spectrum(spectrum, {0, 0, 0, kInf, 0, 0, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/1001/300 77 inf 4 inf at 1.5\n");
  EXPECT_EQ(output.Text(), Warning(spectrum, "inf", "1.5"));
}

TEST_F(EvalSpecNonFiniteTest, EveryNonFiniteValueViolatesALowerLimit) {
  const std::vector<std::pair<float, std::string>> cases = {
      {kInf, "1/2500/301 52 inf 4 inf at 5\n"},
      {-kInf, "1/2500/301 52 -inf 4 -inf at 5\n"},
      {kNaN, "1/2500/301 52 nan 4 nan at 5\n"}};
  for (const auto& [value, error] : cases) {
    std::vector<float> samples = Constant(5);
    samples[10] = value;
    Spectrum(floor, samples, Constant(4), QVInstrumentParam::eval_lower);
    results.DeleteErrorEntry(floor);
    output.Clear();
    EXPECT_EQ(eval.EvaluateSpectra(), 1u) << error;
    EXPECT_EQ(Errors(), error);
    EXPECT_EQ(output.Lines().size(), 1u);
  }
}

TEST_F(EvalSpecNonFiniteTest, SeveralNonFiniteBinsGiveOneErrorAtTheFirst) {
  Spectrum(spectrum, {0, kInf, kNaN, -kInf, 0, 0, 0, 0, 0, kNaN, kInf, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 inf 4 inf at 0.5\n");
  EXPECT_EQ(output.Text(), Warning(spectrum, "inf", "0.5"));
}

TEST_F(EvalSpecNonFiniteTest, NonFiniteBinSplitsTheRegionAroundIt) {
  // The bin counts as on its limit for the region search: the finite bins on either side
  // are two regions of their own.
  Spectrum(spectrum, {0, 0, 0, 0, 0, 0, 6, kNaN, 8, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 3u);
  EXPECT_EQ(Errors(),
            "1/2500/300 51 nan 4 nan at 3.5\n"
            "1/2500/300 51 6 4 6 at 3\n"
            "1/2500/300 51 8 4 8 at 4\n");
}

TEST_F(EvalSpecNonFiniteTest, NonFiniteBinReportsTheLearnedMean) {
  Learned(spectrum, 2, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3});
  Spectrum(spectrum, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kNaN}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 nan 4 3 at 5.5\n");
}

TEST_F(EvalSpecNonFiniteTest, LimitBinThatIsNotANumberCountsAsExceeded) {
  // A limit that could not be computed is never hidden: its bin is a region of its own.
  std::vector<float> limit = Constant(4);
  limit[6] = kNaN;
  KelSigLimitCurve& curve = Spectrum(spectrum, Constant(1), limit);
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_TRUE(std::isnan(std::get<0>(curve.MinLimDist())));
  EXPECT_EQ(Errors(), "1/2500/300 51 1 nan 1 at 3\n");
  EXPECT_EQ(output.Text(), "");
}
