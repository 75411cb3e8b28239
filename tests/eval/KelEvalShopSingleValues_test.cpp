// Single values against their one limit, and the steps every quantity goes through (limit
// switch, error code, repetition).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "EvalShopFixture.h"

namespace {

TEST_F(EvalShopTest, SingleValueEqualToItsUpperLimitPasses) {
  SingleValue(rms, 50.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  EXPECT_TRUE(results.Errors().empty());
}

TEST_F(EvalShopTest, SingleValueJustAboveItsUpperLimitIsOneErrorWithTheStoredFields) {
  SingleValue(rms, 50.001f, QVInstrumentParam::eval_upper, 50.0f, 47.25f, 1500.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(rms);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].code, kRmsCode);
  EXPECT_EQ(errors[0].value, 50.001f);
  EXPECT_EQ(errors[0].limit, 50.0f);
  EXPECT_EQ(errors[0].mean, 47.25f);
  EXPECT_EQ(errors[0].position, 1500.0f);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(EvalShopTest, SingleValueEqualToItsLowerLimitPasses) {
  SingleValue(rms, 20.0f, QVInstrumentParam::eval_lower, 20.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  EXPECT_TRUE(results.Errors().empty());
}

TEST_F(EvalShopTest, SingleValueJustBelowItsLowerLimitIsOneErrorWithTheStoredFields) {
  SingleValue(rms, 19.999f, QVInstrumentParam::eval_lower, 20.0f, 22.5f, 900.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(rms);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].code, kRmsCode);
  EXPECT_EQ(errors[0].value, 19.999f);
  EXPECT_EQ(errors[0].limit, 20.0f);
  EXPECT_EQ(errors[0].mean, 22.5f);
  EXPECT_EQ(errors[0].position, 900.0f);
}

TEST_F(EvalShopTest, SingleValueOfStoredModeThreeIsComparedAsAgainstALowerLimit) {
  // Above the limit: passes (an upper comparison would fail it).
  SingleValue(rms, 25.0f, QVInstrumentParam::eval_interval, 20.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  // Below the limit: fails.
  SingleValue(rms, 15.0f, QVInstrumentParam::eval_interval, 20.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  ASSERT_EQ(ErrorsOf(rms).size(), 1u);
  EXPECT_EQ(ErrorsOf(rms)[0].value, 15.0f);
}

TEST_F(EvalShopTest, SingleValueOfStoredModeZeroIsNotEvaluatedEvenWhenNotFinite) {
  SingleValue(rms, 500.0f, QVInstrumentParam::eval_none, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  SingleValue(rms, std::numeric_limits<float>::quiet_NaN(), QVInstrumentParam::eval_none, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  EXPECT_TRUE(results.Errors().empty());
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(EvalShopTest, QuantityWithoutLimitRecordOrWithSwitchOtherThanOneIsSkippedSilently) {
  const QClavis unlimited{kRunUp, 1, 1, 1, 101, 0};
  SingleValue(unlimited, 500.0f, QVInstrumentParam::eval_upper, 50.0f);
  SingleValue(switched, 500.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  EXPECT_TRUE(results.Errors().empty());
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(EvalShopTest, QuantityWithoutErrorCodeRecordIsReportedAndEntersNoError) {
  SingleValue(crest, 500.0f, QVInstrumentParam::eval_upper, 50.0f);
  SingleValue(rms, 500.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  EXPECT_TRUE(ErrorsOf(crest).empty());
  EXPECT_EQ(ErrorsOf(rms).size(), 1u);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "CKelEvalShop::EvaluateSingleValues(): no error code parametrized for "
                         "'Run-up / Level / Gearbox acceleration / Housing / Crest / #0'; it is "
                         "not evaluated\n"});
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
}

TEST_F(EvalShopTest, VirtualModeTakesTheErrorCodeOfItsBaseMode) {
  SingleValue(repeatRms, 500.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  ASSERT_EQ(ErrorsOf(repeatRms).size(), 1u);
  EXPECT_EQ(ErrorsOf(repeatRms)[0].code, kRmsCode);
}

TEST_F(EvalShopTest, WithoutRepetitionClearingErrorsOfAnotherEvaluationAddUp) {
  SingleValue(rms, 60.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  SingleValue(rms, 70.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(rms);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].value, 60.0f);
  EXPECT_EQ(errors[1].value, 70.0f);
}

TEST_F(EvalShopTest, RepetitionClearingDeletesTheEarlierErrorsOfTheQuantity) {
  results.MeasurementRepetitionClearsErrors(true);
  SingleValue(rms, 60.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  SingleValue(rms, 70.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
  ASSERT_EQ(ErrorsOf(rms).size(), 1u);
  EXPECT_EQ(ErrorsOf(rms)[0].value, 70.0f);
  // A repetition that passes leaves no error of the quantity.
  SingleValue(rms, 40.0f, QVInstrumentParam::eval_upper, 50.0f);
  EXPECT_EQ(shop.EvaluateSingleValues(), 0u);
  EXPECT_TRUE(ErrorsOf(rms).empty());
}

struct NonFiniteCase {
  float value;
  const char* name;
};

TEST_F(EvalShopTest, NonFiniteSingleValueViolatesUpperAndLowerLimitsOnceWithAWarning) {
  const NonFiniteCase cases[] = {{std::numeric_limits<float>::quiet_NaN(), "nan"},
                                 {std::numeric_limits<float>::infinity(), "inf"},
                                 {-std::numeric_limits<float>::infinity(), "-inf"}};
  for (const NonFiniteCase& c : cases) {
    for (const int mode : {QVInstrumentParam::eval_upper, QVInstrumentParam::eval_lower}) {
      SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
      results.DismissErrors();
      output.Clear();
      SingleValue(rms, c.value, mode, 50.0f, 47.25f, 12.5f);
      EXPECT_EQ(shop.EvaluateSingleValues(), 1u);
      const std::vector<KelStoreError> errors = ErrorsOf(rms);
      ASSERT_EQ(errors.size(), 1u);
      EXPECT_EQ(errors[0].code, kRmsCode);
      if (std::isnan(c.value))
        EXPECT_TRUE(std::isnan(errors[0].value));
      else
        EXPECT_EQ(errors[0].value, c.value);
      EXPECT_EQ(errors[0].limit, 50.0f);
      EXPECT_EQ(errors[0].mean, 47.25f);
      EXPECT_EQ(errors[0].position, 12.5f);
      EXPECT_EQ(Texts(),
                std::vector<std::string>{NonFiniteLine(
                    "Run-up / Level / Gearbox acceleration / Housing / RMS / #0", c.name, "12.5")});
      EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
      EXPECT_EQ(output.Lines()[0].style, 1);
    }
  }
}

TEST_F(EvalShopTest, EvaluateAddsTheErrorsOfSingleValuesScalarTracksAndCurveTracks) {
  SingleValue(rms, 60.0f, QVInstrumentParam::eval_upper, 50.0f);
  Track(track, {1, 5, 1, 5, 1}, QVInstrumentParam::eval_upper, 4.0f);
  FlatSpectra(spectrogram, 3, 4, 11.0f, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.Evaluate(), 4u);
  EXPECT_EQ(ErrorsOf(rms).size(), 1u);
  EXPECT_EQ(ErrorsOf(track).size(), 2u);
  EXPECT_EQ(ErrorsOf(spectrogram).size(), 1u);
}

}  // namespace
