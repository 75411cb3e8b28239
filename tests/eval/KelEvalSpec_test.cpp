// The bin-wise evaluation of final spectra: prescreen, regions, hats, means, non-finite bins.
#include <tuple>

#include "EvalSpecFixture.h"

TEST_F(EvalSpecTest, SpectrumBelowItsLimitRecordsItsDistanceAndBuildsNoErrorVector) {
  // The unparametrized spectrum would warn when its error vector were built.
  KelSigLimitCurve& curve =
      Spectrum(unparametrized, {1, 2, 3, 1, 0, 0, 0, 0, 0, 0, 0, 3.5f}, Constant(5));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(curve.MinLimDist(), std::make_tuple(1.5f, 11u, true));
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(), "");
}

TEST_F(EvalSpecTest, SpectrumOnItsLimitPasses) {
  KelSigLimitCurve& curve = Spectrum(spectrum, Constant(5), Constant(5));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(curve.MinLimDist(), std::make_tuple(0.0f, 0u, true));
  EXPECT_EQ(Errors(), "");
}

TEST_F(EvalSpecTest, EachRegionOverTheLimitGivesOneErrorAtItsWorstBin) {
  KelSigLimitCurve& curve =
      Spectrum(spectrum, {5, 0, 0, 0, 0, 6, 9, 7, 0, 0, 4.5f, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 3u);
  EXPECT_EQ(curve.MinLimDist(), std::make_tuple(-5.0f, 6u, true));
  EXPECT_EQ(Errors(),
            "1/2500/300 51 5 4 5 at 0\n"
            "1/2500/300 51 9 4 9 at 3\n"
            "1/2500/300 51 4.5 4 4.5 at 5\n");
  EXPECT_EQ(output.Text(), "");
}

TEST_F(EvalSpecTest, LowerLimitComparesTheOtherWay) {
  Spectrum(floor, {5, 1, 5, 5, 5, 5, 5, 5, 5, 9, 5, 2}, Constant(4), QVInstrumentParam::eval_lower);
  EXPECT_EQ(eval.EvaluateSpectra(), 2u);
  EXPECT_EQ(Errors(),
            "1/2500/301 52 1 4 1 at 0.5\n"
            "1/2500/301 52 2 4 2 at 5.5\n");
}

TEST_F(EvalSpecTest, BinsOfAnUpperMaximumHatAreLeftToTheHat) {
  // Bins 2..4 lie in the hat's band 1..2 orders; bin 5 does not.
  Spectrum(spectrum, {0, 0, 9, 9, 9, 0, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
  Spectrum(spectrum, {0, 0, 9, 9, 9, 8, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);  // the region's worst bin is the hat's
  Spectrum(spectrum, {0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 8 4 8 at 2.5\n");
}

TEST_F(EvalSpecTest, MinimumAndSumHatsDoNotTakeBinsOut) {
  TestPlan::Builder plan = Plan();
  plan.Set().ipSvOfSpec[QIdx1(700)].interpretation = 1;  // the maximum hat becomes a minimum
  ASSERT_TRUE(plan.Install());
  Spectrum(spectrum, {0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 9 4 9 at 1\n");
}

TEST_F(EvalSpecTest, LowerLimitMaximumHatDoesNotTakeBinsOut) {
  TestPlan::Builder plan = Plan();
  plan.Set().instrumentParam[QIdx1(700)].evalMode = QVInstrumentParam::eval_lower;
  ASSERT_TRUE(plan.Install());
  Spectrum(spectrum, {0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 9 4 9 at 1.5\n");
}

TEST_F(EvalSpecTest, OnlySpectrumInstruments2500And2700AreEvaluatedBinWise) {
  const std::vector<float> loud = {9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Spectrum(plain, loud, Constant(4));
  Spectrum(envelope, loud, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2700/310 53 9 4 9 at 0\n");
}

TEST_F(EvalSpecTest, SpectrumOfAnotherResolutionGetsARebuiltErrorVector) {
  results.MeasurementRepetitionClearsErrors(false);  // the errors of all parts stay listed
  const std::vector<float> loud = {0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0};
  Spectrum(spectrum, loud, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);  // bin 3 = 1.5 orders: the hat's
  // The same bin count at x step 1: the hat covers bins 1..2, bin 3 is 3 orders.
  Spectrum(spectrum, loud, Constant(4), QVInstrumentParam::eval_upper, 1.0f);
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  // 24 bins at x step 0.25: the hat covers bins 4..8, bin 3 is 0.75 orders.
  std::vector<float> fine(24, 0.0f);
  fine[3] = 9;
  Spectrum(spectrum, fine, Constant(4, 24), QVInstrumentParam::eval_upper, 0.25f);
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(),
            "1/2500/300 51 9 4 9 at 3\n"
            "1/2500/300 51 9 4 9 at 0.75\n");
}

TEST_F(EvalSpecTest, ErrorVectorIsKeptUntilReset) {
  const std::vector<float> loud = {0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0};
  Spectrum(spectrum, loud, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  TestPlan::Builder plan = Plan();
  plan.Set().ipSvOfSpec[QIdx1(700)].interpretation = 1;  // no hat takes bins any more
  ASSERT_TRUE(plan.Install());
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);  // the vector of the first part
  eval.ResetSpectralErrorVectors();
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "1/2500/300 51 9 4 9 at 1.5\n");
}

TEST_F(EvalSpecTest, MeanIsTheLearnedAverageOnlyWhenLearnedAtThisResolution) {
  results.MeasurementRepetitionClearsErrors(false);  // the errors of all parts stay listed
  const std::vector<float> loud = {9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Spectrum(spectrum, loud, Constant(4));
  eval.EvaluateSpectra();  // never learned
  Learned(spectrum, 0, Constant(2));
  eval.EvaluateSpectra();  // started, nothing learned yet
  Learned(spectrum, 3, Constant(2, 13));
  eval.EvaluateSpectra();  // another bin count
  Learned(spectrum, 3, Constant(2), 0.25f);
  eval.EvaluateSpectra();  // another bin width
  Learned(spectrum, 3, {2.5f, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
  eval.EvaluateSpectra();
  EXPECT_EQ(Errors(),
            "1/2500/300 51 9 4 9 at 0\n"
            "1/2500/300 51 9 4 9 at 0\n"
            "1/2500/300 51 9 4 9 at 0\n"
            "1/2500/300 51 9 4 9 at 0\n"
            "1/2500/300 51 9 4 2.5 at 0\n");
  float value = -1.0f;
  EXPECT_FALSE(eval.LearnedAverageAt(floor, 0, 12, 0.5f, value));
  EXPECT_EQ(value, -1.0f);
  EXPECT_TRUE(eval.LearnedAverageAt(spectrum, 1, 12, 0.5f, value));
  EXPECT_EQ(value, 1.0f);
}

TEST_F(EvalSpecTest, RepetitionClearsTheSpectrumsEarlierErrors) {
  results.MeasurementRepetitionClearsErrors(false);
  Spectrum(spectrum, {9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, Constant(4));
  eval.EvaluateSpectra();
  eval.EvaluateSpectra();
  EXPECT_EQ(results.Errors().size(), 2u);
  results.MeasurementRepetitionClearsErrors(true);
  Spectrum(spectrum, Constant(0), Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
}

TEST_F(EvalSpecTest, SpectrumWithoutEvaluationIsPassedOver) {
  // Limit state 0, and a curve limit whose evaluation switch is not 1.
  Spectrum(spectrum, Constant(9), Constant(4), QVInstrumentParam::eval_none);
  TestPlan::Builder plan = Plan();
  plan.CurveLimit(floor, -1, -1, 2);
  ASSERT_TRUE(plan.Install());
  KelSigLimitCurve& curve =
      Spectrum(floor, Constant(0), Constant(4), QVInstrumentParam::eval_lower);
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(std::get<2>(curve.MinLimDist()), false);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(), "");
}

TEST_F(EvalSpecTest, VirtualModeTakesTheParametersOfItsBaseMode) {
  Spectrum(repeatSpectrum, {0, 0, 9, 0, 0, 7, 0, 0, 0, 0, 0, 0}, Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 1u);
  EXPECT_EQ(Errors(), "3/2500/300 51 7 4 7 at 2.5\n");
}

TEST_F(EvalSpecTest, IntervalModeIsNotEvaluatedForSpectra) {
  Spectrum(spectrum, Constant(9), Constant(4), QVInstrumentParam::eval_interval);
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(),
            "CKelEvalSpec::EvaluateSpectrum(): evaluation mode 3 is not evaluated for spectra ('" +
                Text(spectrum) + "')\n");
}

TEST_F(EvalSpecTest, SpectrumWithoutParametersEntersNoError) {
  Spectrum(unparametrized, Constant(9), Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(),
            "CKelSpecErrorVector::ApplyHatsToErrorVector(): no QVIpParamAndStore record for "
            "spectrum '" +
                Text(unparametrized) + "'; the spectrum is not evaluated\n");
}

TEST_F(EvalSpecTest, HatWithoutParametersStopsItsSpectrum) {
  TestPlan::Builder plan = Plan();
  plan.Set().ipParamAndStore.erase(QClavis(kRunUp, 1001, 1, 1, 700, 0));
  ASSERT_TRUE(plan.Install());
  Spectrum(spectrum, Constant(9), Constant(4));
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(),
            "CKelSpecErrorVector::ApplyHatsToErrorVector(): no QVIpParamAndStore record for hat '" +
                Text(QClavis(kRunUp, 1001, 1, 1, 700, 0)) + "' of spectrum '" + Text(spectrum) +
                "'; the spectrum is not evaluated\n");
}

TEST_F(EvalSpecTest, LimitCurveWithoutDataIsNamedAndNotEvaluated) {
  KelSigLimitCurve& empty = Spectrum(spectrum, {}, {});
  EXPECT_EQ(eval.EvaluateSpectrum(empty, spectrum), 0u);
  KelSigLimitCurve& skewed =
      Spectrum(floor, Constant(0), Constant(4), QVInstrumentParam::eval_lower);
  CDescription description = skewed.description();
  description.X(0).size = 11;
  skewed.SetDescription(description);
  EXPECT_EQ(eval.EvaluateSpectra(), 0u);
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(output.Text(),
            "CKelEvalSpec::EvaluateSpectrum(): the limit curve of '" + Text(spectrum) +
                "' holds no data; the spectrum is not evaluated\n"
                "CKelEvalSpec::EvaluateSpectrum(): the limit curve of '" +
                Text(spectrum) +
                "' holds no data; the spectrum is not evaluated\n"
                "CKelEvalSpec::EvaluateSpectrum(): the limit curve of '" +
                Text(floor) + "' holds 12 bins, its x axis 11; the spectrum is not evaluated\n");
}
