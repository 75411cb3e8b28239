// Curve tracks: one error per region of bins × consecutive spectra over the limit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "EvalShopFixture.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr unsigned kBins = 16;
constexpr float kBelow = 5.0f;  // below the limit 10
constexpr float kAbove = 15.0f;

class CurveTrackEvalTest : public EvalShopTest {
 protected:
  // Eight spectra below an upper limit, with the region bins 10–12 × spectra 3–5 over it; its
  // largest exceedance is 15 at spectrum 4, bin 11.
  void RegionInSpectraThreeToFive() {
    FlatSpectra(spectrogram, 8, kBins, kBelow, QVInstrumentParam::eval_upper);
    const float region[3][3] = {{11, 12, 11}, {12, 15, 11}, {11, 11, 13}};
    for (int spectrum = 0; spectrum < 3; ++spectrum)
      for (unsigned bin = 0; bin < 3; ++bin)
        SetBin(spectrogram, 3 + spectrum, 10 + bin, region[spectrum][bin]);
  }
  static void ExpectError(const KelStoreError& error, float value, float limit, float position,
                          int code = kSpectrogramCode) {
    if (std::isnan(value))
      EXPECT_TRUE(std::isnan(error.value));
    else
      EXPECT_EQ(error.value, value);
    EXPECT_EQ(error.limit, limit);
    EXPECT_EQ(error.mean, 0.0f);
    EXPECT_EQ(error.position, position);
    EXPECT_EQ(error.code, code);
  }
  std::string Line(const std::string& text) const {
    return "CKelEvalShop::EvaluateCurveTrackLimits(): " + text;
  }
};

TEST_F(CurveTrackEvalTest, RegionOverThreeBinsAndThreeSpectraIsOneErrorAtItsLargestExceedance) {
  RegionInSpectraThreeToFive();
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  const std::vector<KelStoreError> errors = ErrorsOf(spectrogram);
  ASSERT_EQ(errors.size(), 1u);
  ExpectError(errors[0], 15.0f, 10.0f, 840.0f);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(CurveTrackEvalTest, RegionOpenAtTheLastSpectrumIsReportedAtTheEnd) {
  FlatSpectra(spectrogram, 6, kBins, kBelow, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 4, 10, 12.0f);
  SetBin(spectrogram, 5, 10, 11.0f);
  SetBin(spectrogram, 5, 11, 14.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(spectrogram).size(), 1u);
  ExpectError(ErrorsOf(spectrogram)[0], 14.0f, 10.0f, 850.0f);
}

TEST_F(CurveTrackEvalTest, RegionThatShiftsAcrossBinsCarriesItsMaximumAlong) {
  // Bins 3–4 in spectrum 2 (largest 13 at bin 3), bins 4–5 in spectrum 3: one region.
  FlatSpectra(spectrogram, 5, kBins, kBelow, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 2, 3, 13.0f);
  SetBin(spectrogram, 2, 4, 11.0f);
  SetBin(spectrogram, 3, 4, 11.0f);
  SetBin(spectrogram, 3, 5, 12.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(spectrogram).size(), 1u);
  ExpectError(ErrorsOf(spectrogram)[0], 13.0f, 10.0f, 820.0f);
}

TEST_F(CurveTrackEvalTest, SeparateRegionsAreSeparateErrors) {
  // Apart in bins (1 and 6, spectrum 1) and in spectra (bin 6, spectra 1 and 3).
  FlatSpectra(spectrogram, 5, kBins, kBelow, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 1, 1, 11.0f);
  SetBin(spectrogram, 1, 6, 12.0f);
  SetBin(spectrogram, 3, 6, 13.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 3u);
  const std::vector<KelStoreError> errors = ErrorsOf(spectrogram);
  ASSERT_EQ(errors.size(), 3u);
  ExpectError(errors[0], 11.0f, 10.0f, 810.0f);
  ExpectError(errors[1], 12.0f, 10.0f, 810.0f);
  ExpectError(errors[2], 13.0f, 10.0f, 830.0f);
}

TEST_F(CurveTrackEvalTest, LowerLimitRegionIsReportedAtItsDeepestBin) {
  FlatSpectra(spectrogram, 4, kBins, kAbove, QVInstrumentParam::eval_lower);
  SetBin(spectrogram, 1, 7, 8.0f);
  SetBin(spectrogram, 2, 7, 6.0f);
  SetBin(spectrogram, 2, 8, 9.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(spectrogram).size(), 1u);
  ExpectError(ErrorsOf(spectrogram)[0], 6.0f, 10.0f, 820.0f);
}

TEST_F(CurveTrackEvalTest, CurveEqualToItsLimitDoesNotExceed) {
  FlatSpectra(spectrogram, 3, kBins, 10.0f, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 0u);
  EXPECT_TRUE(results.Errors().empty());
}

TEST_F(CurveTrackEvalTest, TrackWithLimitStateZeroIsNotEvaluated) {
  FlatSpectra(spectrogram, 3, kBins, kAbove, QVInstrumentParam::eval_none);
  SetBin(spectrogram, 1, 2, kNaN);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 0u);
  EXPECT_TRUE(results.Errors().empty());
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(CurveTrackEvalTest, QuantityWithoutErrorCodeRecordIsReportedAndEntersNoError) {
  FlatSpectra(uncodedSpectrogram, 3, kBins, kAbove, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 0u);
  EXPECT_TRUE(results.Errors().empty());
  EXPECT_EQ(Texts(),
            std::vector<std::string>{Line("no error code parametrized for '" +
                                          Text(uncodedSpectrogram) + "'; it is not evaluated\n")});
}

TEST_F(CurveTrackEvalTest, TriggerWithoutIntervalParametersIsReportedAndPositionsAreZero) {
  FlatSpectra(axislessSpectrogram, 2, kBins, kAbove, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(axislessSpectrogram).size(), 1u);
  ExpectError(ErrorsOf(axislessSpectrogram)[0], kAbove, 10.0f, 0.0f, 70);
  EXPECT_EQ(Texts(), std::vector<std::string>{Line(
                         "No parameters found for trigger 'Output shaft speed' and quantity with "
                         "clavis 'Run-up / Spectrogram / Gearbox acceleration / Housing / Output "
                         "spectrogram / #0'")});
}

TEST_F(CurveTrackEvalTest, RepetitionClearingDeletesTheTracksEarlierErrors) {
  RegionInSpectraThreeToFive();
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  EXPECT_EQ(ErrorsOf(spectrogram).size(), 2u);
  results.MeasurementRepetitionClearsErrors(true);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  EXPECT_EQ(ErrorsOf(spectrogram).size(), 1u);
}

struct NonFiniteCase {
  float value;
  const char* name;
};
const NonFiniteCase kNonFinite[] = {{kNaN, "nan"}, {kInf, "inf"}, {-kInf, "-inf"}};

TEST_F(CurveTrackEvalTest, NonFiniteBinsViolateUpperAndLowerLimitsOnceWithAWarning) {
  for (const NonFiniteCase& c : kNonFinite) {
    for (const int mode : {QVInstrumentParam::eval_upper, QVInstrumentParam::eval_lower}) {
      SCOPED_TRACE(std::string(c.name) + " mode " + std::to_string(mode));
      results.DismissErrors();
      output.Clear();
      // Within the limit everywhere but at two non-finite bins.
      const float level = mode == QVInstrumentParam::eval_upper ? kBelow : kAbove;
      FlatSpectra(spectrogram, 6, kBins, level, mode);
      SetBin(spectrogram, 2, 3, c.value);
      SetBin(spectrogram, 2, 9, c.value);
      SetBin(spectrogram, 4, 7, c.value);
      EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
      const std::vector<KelStoreError> errors = ErrorsOf(spectrogram);
      ASSERT_EQ(errors.size(), 1u);
      ExpectError(errors[0], c.value, 10.0f, 820.0f);
      EXPECT_EQ(Texts(), std::vector<std::string>{NonFiniteLine(Text(spectrogram), c.name, "820")});
    }
  }
}

TEST_F(CurveTrackEvalTest, NonFiniteBinInsideARegionIsReportedAloneAndSplitsTheRegion) {
  FlatSpectra(spectrogram, 5, kBins, kBelow, QVInstrumentParam::eval_upper);
  SetBin(spectrogram, 3, 10, 11.0f);
  SetBin(spectrogram, 3, 11, kInf);
  SetBin(spectrogram, 3, 12, 12.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 3u);
  const std::vector<KelStoreError> errors = ErrorsOf(spectrogram);
  ASSERT_EQ(errors.size(), 3u);
  ExpectError(errors[0], kInf, 10.0f, 830.0f);
  ExpectError(errors[1], 11.0f, 10.0f, 830.0f);
  ExpectError(errors[2], 12.0f, 10.0f, 830.0f);
  EXPECT_EQ(output.Lines().size(), 1u);
}

TEST_F(CurveTrackEvalTest, SpectraOfAnotherLengthOrWithoutDataAreReportedAndPassedOver) {
  FlatSpectra(spectrogram, 6, kBins, kBelow, QVInstrumentParam::eval_upper);
  Spectrum(spectrogram, 2, std::vector<float>(8, kAbove), 10.0f, QVInstrumentParam::eval_upper);
  Spectrum(spectrogram, 3, {}, 10.0f, QVInstrumentParam::eval_upper);
  // One region in spectra 1 and 4: the two spectra between them are passed over.
  SetBin(spectrogram, 1, 5, 12.0f);
  SetBin(spectrogram, 4, 5, 14.0f);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(spectrogram).size(), 1u);
  ExpectError(ErrorsOf(spectrogram)[0], 14.0f, 10.0f, 840.0f);
  const std::string key = Text(spectrogram);
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{
                Line("the spectrum at 820 of '" + key +
                     "' has 8 bins where the track's spectra have 16; it is not "
                     "evaluated\n"),
                Line("the spectrum at 830 of '" + key + "' has no data; it is not evaluated\n")}));
}

TEST_F(CurveTrackEvalTest, FirstSpectrumWithDataSetsTheNumberOfBins) {
  Spectrum(spectrogram, 0, {}, 10.0f, QVInstrumentParam::eval_upper);
  Spectrum(spectrogram, 1, std::vector<float>(4, kAbove), 10.0f, QVInstrumentParam::eval_upper);
  Spectrum(spectrogram, 2, std::vector<float>(4, kBelow), 10.0f, QVInstrumentParam::eval_upper);
  EXPECT_EQ(shop.EvaluateCurveTrackLimits(), 1u);
  ASSERT_EQ(ErrorsOf(spectrogram).size(), 1u);
  ExpectError(ErrorsOf(spectrogram)[0], kAbove, 10.0f, 810.0f);
  EXPECT_EQ(Texts(), std::vector<std::string>{Line("the spectrum at 800 of '" + Text(spectrogram) +
                                                   "' has no data; it is not evaluated\n")});
}

}  // namespace
