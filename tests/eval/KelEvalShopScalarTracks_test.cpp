// Scalar tracks: one error per maximal run of violating points, at its worst point.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "EvalShopFixture.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class ScalarTrackEvalTest : public EvalShopTest {
 protected:
  // Value, limit, mean, position and code of an error.
  static void ExpectError(const KelStoreError& error, float value, float limit, float mean,
                          float position, int code) {
    if (std::isnan(value))
      EXPECT_TRUE(std::isnan(error.value));
    else
      EXPECT_EQ(error.value, value);
    EXPECT_EQ(error.limit, limit);
    EXPECT_EQ(error.mean, mean);
    EXPECT_EQ(error.position, position);
    EXPECT_EQ(error.code, code);
  }
};

TEST_F(ScalarTrackEvalTest, OneRunAboveTheUpperLimitIsOneErrorAtItsWorstPoint) {
  Track(track, {1, 5, 7, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 1u);
  ExpectError(errors[0], 7.0f, 4.0f, 2.5f, 820.0f, kTrackCode);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(ScalarTrackEvalTest, TwoRunsAreTwoErrors) {
  Track(track, {1, 5, 1, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 2u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 2u);
  ExpectError(errors[0], 5.0f, 4.0f, 1.5f, 810.0f, kTrackCode);
  ExpectError(errors[1], 5.0f, 4.0f, 3.5f, 830.0f, kTrackCode);
}

TEST_F(ScalarTrackEvalTest, PointEqualToTheUpperLimitInsideARunNeitherEndsItNorIsItsMaximum) {
  Track(track, {1, 6, 4, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 1u);
  ExpectError(errors[0], 6.0f, 4.0f, 1.5f, 810.0f, kTrackCode);
}

TEST_F(ScalarTrackEvalTest, FirstOfEqualExceedancesIsTheWorstPoint) {
  Track(track, {1, 6, 5, 6, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(track).size(), 1u);
  EXPECT_EQ(ErrorsOf(track)[0].position, 810.0f);
}

TEST_F(ScalarTrackEvalTest, RunBelowTheLowerLimitIsOneErrorAtItsLowestPoint) {
  Track(track, {5, 3, 1, 2, 5}, QVInstrumentParam::eval_lower, 0.0f, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 1u);
  ExpectError(errors[0], 1.0f, 4.0f, 2.5f, 820.0f, kTrackCode);
}

TEST_F(ScalarTrackEvalTest, IntervalPointAboveTheUpperLimitReportsCodePlusOneBelowTheLowerTheCode) {
  Track(track, {5, 9, 5, 1, 5}, QVInstrumentParam::eval_interval, 8.0f, 2.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 2u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 2u);
  ExpectError(errors[0], 9.0f, 8.0f, 1.5f, 810.0f, kTrackCode + 1);
  ExpectError(errors[1], 1.0f, 2.0f, 3.5f, 830.0f, kTrackCode);
}

TEST_F(ScalarTrackEvalTest, UpperRunEndsWhereALowerRunStarts) {
  // 9 above, then 1 below directly after it: two runs, two errors.
  Track(track, {5, 9, 1, 5}, QVInstrumentParam::eval_interval, 8.0f, 2.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 2u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 2u);
  ExpectError(errors[0], 9.0f, 8.0f, 1.5f, 810.0f, kTrackCode + 1);
  ExpectError(errors[1], 1.0f, 2.0f, 2.5f, 820.0f, kTrackCode);
}

TEST_F(ScalarTrackEvalTest, PointsWithoutTheLimitBitAreNotViolations) {
  // Lower-only points far above their (unused) upper limit.
  Track(track, {50, 60, 50}, QVInstrumentParam::eval_lower, 4.0f, 2.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 0u);
  EXPECT_TRUE(results.Errors().empty());
}

TEST_F(ScalarTrackEvalTest, TriggerWithoutIntervalParametersIsReportedAndPositionsAreZero) {
  Track(axislessTrack, {1, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(axislessTrack);
  ASSERT_EQ(errors.size(), 1u);
  ExpectError(errors[0], 5.0f, 4.0f, 1.5f, 0.0f, 50);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "CKelEvalShop::EvaluateScalarTrackLimits(): No parameters found for "
                         "trigger 'Output shaft speed' and quantity with clavis 'Run-up / Order "
                         "track / Gearbox acceleration / Housing / Order 46 / #0'"});
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
}

TEST_F(ScalarTrackEvalTest, RepetitionClearingDeletesTheTracksEarlierErrors) {
  Track(track, {1, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  EXPECT_EQ(ErrorsOf(track).size(), 2u);
  results.MeasurementRepetitionClearsErrors(true);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  EXPECT_EQ(ErrorsOf(track).size(), 1u);
}

struct NonFiniteCase {
  float value;
  const char* name;
};
const NonFiniteCase kNonFinite[] = {{kNaN, "nan"}, {kInf, "inf"}, {-kInf, "-inf"}};

TEST_F(ScalarTrackEvalTest, NonFinitePointsViolateUpperAndLowerLimitsOnceWithAWarning) {
  for (const NonFiniteCase& c : kNonFinite) {
    for (const int mode : {QVInstrumentParam::eval_upper, QVInstrumentParam::eval_lower}) {
      SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
      results.DismissErrors();
      output.Clear();
      // Finite points inside both limits; non-finite points at cells 1 and 3.
      Track(track, {5, c.value, 5, c.value, 5}, mode, 8.0f, 2.0f);
      EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
      const std::vector<KelStoreError> errors = ErrorsOf(track);
      ASSERT_EQ(errors.size(), 1u);
      const float limit = mode == QVInstrumentParam::eval_upper ? 8.0f : 2.0f;
      ExpectError(errors[0], c.value, limit, 1.5f, 810.0f, kTrackCode);
      EXPECT_EQ(Texts(), std::vector<std::string>{NonFiniteLine(Text(track), c.name, "810")});
    }
  }
}

TEST_F(ScalarTrackEvalTest, NonFiniteIntervalPointIsReportedAgainstTheUpperLimitWithCodePlusOne) {
  Track(track, {5, -kInf, 5}, QVInstrumentParam::eval_interval, 8.0f, 2.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(track).size(), 1u);
  ExpectError(ErrorsOf(track)[0], -kInf, 8.0f, 1.5f, 810.0f, kTrackCode + 1);
}

TEST_F(ScalarTrackEvalTest, NonFinitePointIsTheWorstPointOfTheRunItLiesIn) {
  Track(track, {1, 5, 9, kNaN, 7, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(track).size(), 1u);
  ExpectError(ErrorsOf(track)[0], kNaN, 4.0f, 3.5f, 830.0f, kTrackCode);
  EXPECT_EQ(output.Lines().size(), 1u);
}

TEST_F(ScalarTrackEvalTest, LaterNonFinitePointsOpenNoErrorButFiniteRunsStillDo) {
  // NaN at cell 1 (its own error), a finite run at cell 3, +inf inside it at cell 4 and -inf
  // alone at cell 6: the later non-finite points neither open errors nor win the run.
  Track(track, {1, kNaN, 1, 6, kInf, 1, -kInf, 1}, QVInstrumentParam::eval_upper, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 2u);
  const std::vector<KelStoreError> errors = ErrorsOf(track);
  ASSERT_EQ(errors.size(), 2u);
  ExpectError(errors[0], kNaN, 4.0f, 1.5f, 810.0f, kTrackCode);
  ExpectError(errors[1], 6.0f, 4.0f, 3.5f, 830.0f, kTrackCode);
  EXPECT_EQ(Texts(), std::vector<std::string>{NonFiniteLine(Text(track), "nan", "810")});
}

TEST_F(ScalarTrackEvalTest, NonFinitePointsWithoutLimitAreNotEvaluated) {
  Track(track, {1, kInf, kNaN, 1}, QVInstrumentParam::eval_none, 4.0f);
  EXPECT_EQ(shop.EvaluateScalarTrackLimits(), 0u);
  EXPECT_TRUE(results.Errors().empty());
  EXPECT_TRUE(output.Lines().empty());
}

}  // namespace
