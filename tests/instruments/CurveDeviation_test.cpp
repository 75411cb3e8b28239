// The deviation of a spectrum from a polygon, its extreme inside the polygon's range, and its
// excess over the learned band (instrument 10101).
#include <gtest/gtest.h>

#include <string>

#include "eval/CurveDeviation.h"
#include "eval/SourceGeneration.h"
#include "eval/SpectrumPolygon.h"
#include "instruments/SpectrumPlanFixture.h"

namespace {

constexpr float kBinWidth = 2.5f;  // Hz
constexpr int kLearnProcedure = 1;

}  // namespace

class CurveDeviationTest : public SpectrumPlanTest {
 protected:
  // Polygons:
  //   1: (0, 10) – (10, 20): at the bins 0 … 4 (x 0, 2.5, 5, 7.5, 10) 10, 12.5, 15, 17.5, 20.
  //   2: (−5, 0) left out, then (3, 10) – (8, 10) – (12.5, 19): the start bin is ⌊3 / 2.5⌋ = 1
  //      at x 2.5, which takes the first segment's line (10); bins 1 … 5 see 10, 10, 10, 14, 19.
  //   3: (4, 0) – (14, 0): the bins 2 … 5 (x 5, 7.5, 10, 12.5) lie in its x range.
  //   4: a single point.
  CurveDeviationTest() {
    Polygon(1, {{0, 10}, {10, 20}});
    Polygon(2, {{-5, 0}, {3, 10}, {8, 10}, {12.5f, 19}});
    Polygon(3, {{4, 0}, {14, 0}});
    Polygon(4, {{5, 0}});
    plan.LearnProcedure(kLearnProcedure, 10, 4, 5.0f);
    plan.Set().ipLearnParameter[Key(kSpectrum, kSpectrumParameter)] =
        QVIpLearnParameter{kLearnProcedure};
  }

  // A deviation quantity of parameter `parameter` with its four calculation parameters.
  void Deviation(int parameter, int type, int polygon, float sigmaFactor = 0.0f,
                 float offset = 0.0f) {
    Derived(CCurveDeviation::kInstrument, 1, parameter, "Deviation " + std::to_string(parameter));
    Calc(parameter, {{9, std::to_string(type)},
                     {10, std::to_string(polygon)},
                     {14, std::to_string(sigmaFactor)},
                     {15, std::to_string(offset)}});
  }
  void InstallAndPrepare() {
    Install();
    deviation.Prepare();
  }
  void SpectrumOf(const std::vector<float>& samples, unsigned generation = 1,
                  const CMeasuringUnit& yUnit = Decibel()) {
    Spectrum(Key(kSpectrum, kSpectrumParameter), samples, kBinWidth, Hertz(), yUnit, generation);
  }
  // The learned curves of the spectrum: average `average`, mean of squares `squares`, `count`
  // learns.
  void Learned(const std::vector<float>& average, const std::vector<float>& squares,
               uint32_t count) {
    KelLearnCurve learned;
    const auto n = static_cast<uint32_t>(average.size());
    learned.Average().ImportData(average.data(), n, kBinWidth, Hertz(), Decibel());
    learned.SqAverage().ImportData(squares.data(), n, kBinWidth, Hertz(), Decibel());
    learned.count = count;
    learnStore.LearnedSigCurveMap()[Key(kSpectrum, kSpectrumParameter)] = learned;
  }
  const KelStoreSValue* Result(int parameter) const { return Value(Key(10101, parameter)); }

  CCurveDeviation deviation{params, store, learnStore};
};

TEST_F(CurveDeviationTest, SpectrumUnderItsPolygonHasNoDistanceAboveAndTheSumBelow) {
  Deviation(960, 3, 1);
  Deviation(961, 4, 1);
  Deviation(962, 10, 1);
  Deviation(963, 11, 1);
  InstallAndPrepare();
  // Under the polygon by 2, 2.5, 4, 2.5, 4; bin 5 (x 12.5) lies beyond the last point.
  Spectrum(Key(kSpectrum, kSpectrumParameter), {8, 10, 11, 15, 16, 30}, kBinWidth, Hertz(),
           Decibel(), 1, 5, SignalBase::expire_mode);
  EXPECT_TRUE(deviation.process(1));
  ASSERT_NE(Result(960), nullptr);
  ASSERT_NE(Result(961), nullptr);
  ASSERT_NE(Result(962), nullptr);
  ASSERT_NE(Result(963), nullptr);
  EXPECT_EQ(Result(960)->value, 0.0f);
  EXPECT_EQ(Result(961)->value, 15.0f);
  EXPECT_EQ(Result(962)->value, 0.0f);
  EXPECT_EQ(Result(963)->value, 1.0f);  // 15 / (6 bins × 2.5 Hz)
  EXPECT_EQ(Result(961)->position, 0.0f);
  EXPECT_EQ(Result(961)->context, 5u);
  EXPECT_EQ(Result(961)->expire, SignalBase::expire_mode);
  EXPECT_TRUE(store.GetMeasuringUnit(Key(10101, 961)) == Decibel());
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10101, 961)), 2u);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(CurveDeviationTest, DistancesFollowTheSegmentsFromTheStartBin) {
  Deviation(960, 3, 2);
  Deviation(961, 4, 2);
  Deviation(962, 10, 2);
  Deviation(963, 11, 2);
  Deviation(964, 3, 4);  // fewer than two points
  InstallAndPrepare();
  // Bin 0 lies before the start bin and bin 6 (x 15) beyond the last point. Differences at
  // bins 1 … 5: +2, −1, +0.5, +2, −1.
  SpectrumOf({100, 12, 9, 10.5f, 16, 18, 50});
  EXPECT_TRUE(deviation.process(1));
  ASSERT_NE(Result(960), nullptr);
  ASSERT_NE(Result(961), nullptr);
  ASSERT_NE(Result(962), nullptr);
  ASSERT_NE(Result(963), nullptr);
  ASSERT_NE(Result(964), nullptr);
  EXPECT_EQ(Result(960)->value, 4.5f);
  EXPECT_EQ(Result(961)->value, 2.0f);
  EXPECT_FLOAT_EQ(Result(962)->value, 4.5f / 17.5f);  // 7 bins × 2.5 Hz
  EXPECT_FLOAT_EQ(Result(963)->value, 2.0f / 17.5f);
  EXPECT_EQ(Result(964)->value, 0.0f);
}

TEST_F(CurveDeviationTest, ExtremesReportTheFirstExtremeBinInsideThePolygonsRange) {
  Deviation(970, 8, 3);
  Deviation(971, 9, 3);
  Deviation(972, 9, 4);  // the single point at x 5: bin 2 alone
  InstallAndPrepare();
  // In range (bins 2 … 5): 3, 7, 3, 7; outside it −9 and 50.
  SpectrumOf({-9, 50, 3, 7, 3, 7, 50, -9});
  EXPECT_TRUE(deviation.process(1));
  ASSERT_NE(Result(970), nullptr);
  ASSERT_NE(Result(971), nullptr);
  ASSERT_NE(Result(972), nullptr);
  EXPECT_EQ(Result(970)->value, 3.0f);
  EXPECT_EQ(Result(970)->position, 5.0f);
  EXPECT_EQ(Result(971)->value, 7.0f);
  EXPECT_EQ(Result(971)->position, 7.5f);
  EXPECT_EQ(Result(972)->value, 3.0f);
  EXPECT_EQ(Result(972)->position, 5.0f);
}

TEST_F(CurveDeviationTest, EmptySpectrumHasNoExtremeAndNoDistance) {
  Deviation(970, 8, 3);
  Deviation(971, 9, 3);
  Deviation(961, 4, 1);
  Deviation(963, 11, 1);
  InstallAndPrepare();
  SpectrumOf({});
  EXPECT_TRUE(deviation.process(1));
  EXPECT_EQ(Result(970), nullptr);
  EXPECT_EQ(Result(971), nullptr);
  ASSERT_NE(Result(961), nullptr);
  ASSERT_NE(Result(963), nullptr);
  EXPECT_EQ(Result(961)->value, 0.0f);
  EXPECT_EQ(Result(963)->value, 0.0f);
}

TEST_F(CurveDeviationTest, LearnedBandGivesTheLargestExcessInDecibels) {
  Deviation(980, 5, 0, 2.0f, 1.0f);
  InstallAndPrepare();
  // σ = 2, 3, 0 dB; band = 2σ + 1 = 5, 7, 1 dB around 50 dB. Bin 0 (54) lies inside, bin 1
  // (60) 3 dB above 57, bin 2 (47) 2 dB below 49.
  Learned({50, 50, 50}, {2504, 2509, 2500}, 4);
  SpectrumOf({54, 60, 47});
  EXPECT_TRUE(deviation.process(1));
  ASSERT_NE(Result(980), nullptr);
  EXPECT_NEAR(Result(980)->value, 3.0f, 1e-4f);
  EXPECT_EQ(Result(980)->position, 2.5f);

  // Below the band by more: 44 lies 5 dB under 49.
  store.validated();  // the next evaluation step
  SpectrumOf({54, 60, 44}, 2);
  EXPECT_TRUE(deviation.process(2));
  EXPECT_NEAR(Result(980)->value, 5.0f, 1e-4f);
  EXPECT_EQ(Result(980)->position, 5.0f);

  // Inside the band everywhere: 0 at position 0.
  store.validated();  // the next evaluation step
  SpectrumOf({54, 56, 50}, 3);
  EXPECT_TRUE(deviation.process(3));
  EXPECT_EQ(Result(980)->value, 0.0f);
  EXPECT_EQ(Result(980)->position, 0.0f);
}

TEST_F(CurveDeviationTest, LearnedBandNeedsALevelAndEnoughLearns) {
  Deviation(980, 5, 0, 2.0f, 1.0f);
  InstallAndPrepare();
  SpectrumOf({54, 60, 47});
  EXPECT_FALSE(deviation.process(1));  // nothing learned
  Learned({50, 50, 50}, {2504, 2509, 2500}, 3);
  store.validated();  // the next evaluation step
  SpectrumOf({54, 60, 47}, 2);
  EXPECT_FALSE(deviation.process(2));  // 3 of 4 base learns
  Learned({50, 50, 50}, {2504, 2509, 2500}, 4);
  store.validated();  // the next evaluation step
  SpectrumOf({54, 60, 47}, 3, CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2));
  EXPECT_FALSE(deviation.process(3));  // not a level
  store.validated();                   // the next evaluation step
  SpectrumOf({54, 60, 47, 50}, 4);
  EXPECT_FALSE(deviation.process(4));  // another shape than the learned curve
  EXPECT_EQ(Result(980), nullptr);
  store.validated();  // the next evaluation step
  SpectrumOf({54, 60, 47}, 5);
  EXPECT_TRUE(deviation.process(5));
  EXPECT_NE(Result(980), nullptr);

  // Without a learn procedure the learns never suffice.
  plan.Set().ipLearnParameter.clear();
  InstallAndPrepare();
  store.validated();  // the next evaluation step
  SpectrumOf({54, 60, 47}, 6);
  EXPECT_FALSE(deviation.process(6));
}

TEST_F(CurveDeviationTest, MissingParametersAndUnknownTypesAreReported) {
  Derived(CCurveDeviation::kInstrument, 1, 990, "Incomplete");
  Calc(990, {{9, "3"}, {10, "1"}, {14, "1"}});  // 15 missing
  Deviation(991, 7, 1);
  Deviation(992, 3, -1);  // switched off: no message
  InstallAndPrepare();
  SpectrumOf({8, 10, 11});
  EXPECT_FALSE(deviation.process(1));
  EXPECT_TRUE(store.SingleValueMap().empty());
  ASSERT_EQ(output.Lines().size(), 2u);
  EXPECT_EQ(output.Lines()[0].text,
            "CCurveDeviation::ExtractSpectralDifference(): parameter error for Clavis Run-up / "
            "Instrument 10101 / Input bearing / Housing / Incomplete / Accelerometer\n");
  EXPECT_EQ(output.Lines()[1].text,
            "CCurveDeviation::process() -- unknown calculation requested\n");
  for (const auto& line : output.Lines()) {
    EXPECT_EQ(line.category, 8);
    EXPECT_EQ(line.style, 3);
  }
}

TEST_F(CurveDeviationTest, SensorAndRotorDecideWhichSpectrumAQuantityTakes) {
  Deviation(961, 4, 1);
  const QClavis otherSensor(kRunUp, 10101, 1, 1, 961, 3);
  const QClavis seesRotor1(kRunUp, 10101, 1, 2, 961, 2);  // location 2 sees rotor 1
  const QClavis ownRotor(kRunUp, 10101, 1, 3, 961, 2);    // location 3 sees itself
  for (const QClavis& key : {otherSensor, seesRotor1, ownRotor}) plan.Quantity(key, -1);
  plan.Location(2, "Input shaft").Location(3, "Output shaft");
  plan.Set().locationProperty[QIdx1(2)] = QVLocationProperty{1};
  InstallAndPrepare();
  SpectrumOf({8, 10, 11, 15, 16, 30});
  EXPECT_TRUE(deviation.process(1));
  EXPECT_EQ(Value(otherSensor), nullptr);
  // Channel 1 is not order resampled: the location is not asked.
  ASSERT_NE(Value(seesRotor1), nullptr);
  ASSERT_NE(Value(ownRotor), nullptr);

  // Order resampled: only the quantity whose location sees the spectrum's rotor.
  plan.Set().channelInfo[1].resamplingType = 1;
  InstallAndPrepare();
  store.PurgeStore();
  SpectrumOf({8, 10, 11, 15, 16, 30});
  EXPECT_TRUE(deviation.process(1));
  ASSERT_NE(Value(Key(10101, 961)), nullptr);
  ASSERT_NE(Value(seesRotor1), nullptr);
  EXPECT_EQ(Value(seesRotor1)->value, 15.0f);
  EXPECT_EQ(Value(ownRotor), nullptr);
}

TEST_F(CurveDeviationTest, ASpectrumOfAnotherGenerationGivesNothing) {
  Deviation(961, 4, 1);
  InstallAndPrepare();
  SpectrumOf({8, 10, 11, 15, 16, 30}, 2);
  EXPECT_FALSE(deviation.process(1));
  EXPECT_FALSE(deviation.process(3));
  EXPECT_TRUE(store.SingleValueMap().empty());
  EXPECT_TRUE(deviation.process(2));
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(10101, 961)), 3u);
}

TEST(SpectrumPolygonTest, ABinExactlyOnTheLastPointCountsWhateverTheRounding) {
  // 0.7f / 0.1f is just below 7 in double, yet bin 7's x (7 × 0.1f in float) is exactly 0.7f:
  // bins 0 … 7 count.
  const float c[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(SpectrumPolygon::SummedDistance(c, 10, 0.1f, {{0.0f, 0.0f}, {0.7f, 0.0f}}, true), 8.0f);
  EXPECT_EQ(SpectrumPolygon::SummedDistance(c, 10, 0.1f, {{0.0f, 2.0f}, {0.7f, 2.0f}}, false),
            8.0f);
}
