// The limits of curve tracks: the constant area limit while not enough is learned, the learned
// limit widened sideways, every message, and the limit curves of one track for display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CurveTrackLimitFixture.h"
#include "host/Display.h"

namespace {

const char* const kSummary =
    "CKelLimitShop::GenerateCurveTrackLimits(): Some limits couldn't be generated. Please find "
    "details in the output window.\n";
const std::string kKeyPrefix = "CKelLimitShop::GenerateCurveTrackLimitOfDovetar(): ";

using Samples = std::vector<float>;

}  // namespace

TEST_F(CurveTrackLimitTest, NotEnoughLearnedGivesTheConstantAreaLimit) {
  // Nothing learned: the area's upper (112) or lower (40) limit, and the empty learned item
  // takes the curve's shape so that learning can start.
  SpectrogramCurve(spectrogram, 0, {1, 2, 3});
  SpectrogramCurve(floorSpectrogram, 0, {1, 2, 3});
  // One learned curve of two base learns: still the constant.
  SpectrogramCurve(spectrogram, 1, {1, 2, 3});
  LearnedCurveAt(spectrogram, 1, 1, {5, 5, 5}, {25, 25, 25});
  // A learned average of another length counts as not learned and keeps its shape.
  SpectrogramCurve(spectrogram, 2, {1, 2, 3});
  LearnedCurveAt(spectrogram, 2, 5, {5, 5, 5, 5}, {25, 25, 25, 25});
  EXPECT_TRUE(shop.GenerateCurveTrackLimits());
  EXPECT_TRUE(output.Lines().empty());

  for (int64_t cell : {0, 1, 2}) {
    EXPECT_EQ(LimitOf(spectrogram, cell), (Samples{112, 112, 112})) << cell;
    EXPECT_EQ(StoredCurve(spectrogram, cell).LimitState(), QVInstrumentParam::eval_upper);
  }
  EXPECT_EQ(LimitOf(floorSpectrogram, 0), (Samples{40, 40, 40}));
  EXPECT_EQ(StoredCurve(floorSpectrogram, 0).LimitState(), QVInstrumentParam::eval_lower);
  const KelLearnCurve& shaped = LearnedCurve(spectrogram, 0);
  EXPECT_EQ(shaped.Average().size(), 3u);
  EXPECT_EQ(shaped.SqAverage().size(), 3u);
  EXPECT_EQ(shaped.Average().delta(0), 0.5f);
  EXPECT_EQ(shaped.count, 0u);
  EXPECT_EQ(LearnedCurve(spectrogram, 2).Average().size(), 4u);
}

TEST_F(CurveTrackLimitTest, LearnedLimitIsWidenedSidewaysByTheExpansionWidths) {
  // Widths 0.5 left and 1.0 right at x step 0.5: one point to the left, two to the right.
  SetChimneyWidths(0.5f, 1.0f);
  // Upper: average + 2σ + 1 with σ 0 (mean square = average²): 11 and a peak of 31 at index 3.
  SpectrogramCurve(spectrogram, 0, {0, 0, 0, 0, 0, 0, 0});
  LearnedCurveAt(spectrogram, 0, 2, {10, 10, 10, 30, 10, 10, 10},
                 {100, 100, 100, 900, 100, 100, 100});
  // σ from 3 learned values with variance 6: √(6 · 1.5) = 3, limit 10 + 2·3 + 1 = 17.
  SpectrogramCurve(spectrogram, 1, {0, 0, 0});
  LearnedCurveAt(spectrogram, 1, 3, {10, 10, 10}, {106, 106, 106});
  // Lower: average − 1 with a dip of 9 at index 1, which widens by the minimum.
  SpectrogramCurve(floorSpectrogram, 0, {0, 0, 0, 0, 0});
  LearnedCurveAt(floorSpectrogram, 0, 2, {30, 10, 30, 30, 30}, {900, 100, 900, 900, 900});
  EXPECT_TRUE(shop.GenerateCurveTrackLimits());
  EXPECT_TRUE(output.Lines().empty());

  EXPECT_EQ(LimitOf(spectrogram, 0), (Samples{11, 11, 31, 31, 31, 31, 11}));
  EXPECT_EQ(LimitOf(spectrogram, 1), (Samples{17, 17, 17}));
  EXPECT_EQ(LimitOf(floorSpectrogram, 0), (Samples{9, 9, 9, 9, 29}));
  // The learned curves are only read.
  EXPECT_EQ(LearnedCurve(spectrogram, 0).Average().size(), 7u);
  EXPECT_EQ(LearnedCurve(spectrogram, 0).count, 2u);
}

TEST_F(CurveTrackLimitTest, IntervalDirectionIsReportedAndLeavesTheCurvesAsTheyWere) {
  SpectrogramCurve(bandSpectrogram, 0, {1, 2, 3});
  LearnedCurveAt(bandSpectrogram, 0, 2, {5, 5, 5}, {25, 25, 25});
  // The direction is the key's own affair: the track still counts as limited.
  EXPECT_TRUE(shop.GenerateCurveTrackLimits());
  EXPECT_EQ(Texts(output), (std::vector<std::string>{"CKelLimitShop::CurveTrackLimits(): invalid "
                                                     "limit type for " +
                                                     Text(bandSpectrogram) + "\n"}));
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
  EXPECT_EQ(LimitOf(bandSpectrogram, 0), (Samples{0, 0, 0}));
  EXPECT_EQ(StoredCurve(bandSpectrogram, 0).LimitState(), QVInstrumentParam::eval_none);
}

TEST_F(CurveTrackLimitTest, MissingLearnProcedureOrTriggerAxisIsReported) {
  InstallWithoutSpectrogramAxis();
  // Without learn procedure nothing counts as learned: the constant, and a failure.
  SpectrogramCurve(freshSpectrogram, 0, {1, 2});
  LearnedCurveAt(freshSpectrogram, 0, 10, {5, 5}, {25, 25});
  EXPECT_FALSE(shop.GenerateCurveTrackLimits());
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{kKeyPrefix + "No learn procedure found for clavis '" +
                                          Text(freshSpectrogram) + "'\n",
                                      kSummary}));
  EXPECT_EQ(output.Lines()[0].style, 1);
  EXPECT_EQ(output.Lines()[1].style, 3);
  EXPECT_EQ(LimitOf(freshSpectrogram, 0), (Samples{112, 112}));

  // Without trigger axis the curves keep their limits; without LimArea record a track is not
  // limited, and that is no failure.
  values.DismissValues();
  output.Clear();
  SpectrogramCurve(axislessSpectrogram, 0, {1, 2});
  SpectrogramCurve(unlimitedSpectrogram, 0, {1, 2});
  EXPECT_FALSE(shop.GenerateCurveTrackLimits());
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{
                kKeyPrefix +
                    "No parameters found for trigger 'Output shaft speed' and quantity "
                    "with '" +
                    Text(axislessSpectrogram) + "'\n",
                kSummary}));
  EXPECT_EQ(LimitOf(axislessSpectrogram, 0), (Samples{0, 0}));
  EXPECT_EQ(StoredCurve(axislessSpectrogram, 0).LimitState(), QVInstrumentParam::eval_none);
  EXPECT_EQ(LimitOf(unlimitedSpectrogram, 0), (Samples{0, 0}));

  // The unlimited track alone: success, no line.
  values.DismissValues();
  output.Clear();
  SpectrogramCurve(unlimitedSpectrogram, 0, {1, 2});
  EXPECT_TRUE(shop.GenerateCurveTrackLimits());
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(CurveTrackLimitTest, GenerateLimitsLimitsPendingCurveTracksOnly) {
  SpectrogramCurve(spectrogram, 0, {1, 2});
  // A curve track waiting with validation tag 0 keeps its limits.
  values.TrackCurveStore().InsertValue(floorSpectrogram, 0, Curve({1, 2}), 0);
  values.TrackCurveStore().Promote(floorSpectrogram, 0);
  shop.GenerateLimits();
  EXPECT_EQ(LimitOf(spectrogram, 0), (Samples{112, 112}));
  EXPECT_EQ(LimitOf(floorSpectrogram, 0), (Samples{0, 0}));
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(CurveTrackLimitTest, RetrieveCurveTrackLimitShowsStoredOrLearnedLimits) {
  CVisDataArray upper;
  CVisDataArray lower;
  // No LimArea record, or no track key yet: nothing to show.
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(unlimitedSpectrogram, upper, lower, true), 0);
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(spectrogram, upper, lower, true), 0);

  // Learned at cells 20 (x 1000, enough: 10 + 1) and 70 (x 1500, one too few: the constant).
  LearnedCurveAt(spectrogram, 20, 2, {10, 10}, {100, 100});
  LearnedCurveAt(spectrogram, 70, 1, {10, 10}, {100, 100});
  const auto limits = [](const CVisDataArray& array) {
    std::vector<Samples> all;
    for (const CVisDataVector& curve : array.curves)
      all.emplace_back(curve.Data(), curve.Data() + curve.size);
    return all;
  };
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(spectrogram, upper, lower, true),
            QVInstrumentParam::eval_upper);
  EXPECT_EQ(limits(upper), (std::vector<Samples>{{11, 11}, {112, 112}}));
  EXPECT_EQ(upper.positions, (std::vector<float>{1000, 1500}));
  EXPECT_TRUE(lower.curves.empty());

  // Stored and limited: the stored limits when preferred, else still the learned ones.
  SpectrogramCurve(spectrogram, 0, {1, 2, 3});
  EXPECT_TRUE(shop.GenerateCurveTrackLimits());
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(spectrogram, upper, lower, true),
            QVInstrumentParam::eval_upper);
  EXPECT_EQ(limits(upper), (std::vector<Samples>{{112, 112, 112}}));
  EXPECT_EQ(upper.positions, (std::vector<float>{800}));
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(spectrogram, upper, lower, false),
            QVInstrumentParam::eval_upper);
  // Cell 0 has a learned item now, shaped by the stored curve but with nothing learned: the
  // constant there.
  EXPECT_EQ(limits(upper), (std::vector<Samples>{{112, 112, 112}, {11, 11}, {112, 112}}));
  EXPECT_EQ(upper.positions, (std::vector<float>{800, 1000, 1500}));

  // A lower limit goes into the lower array.
  LearnedCurveAt(floorSpectrogram, 20, 2, {10, 10}, {100, 100});
  EXPECT_EQ(shop.RetrieveCurveTrackLimit(floorSpectrogram, upper, lower, false),
            QVInstrumentParam::eval_lower);
  EXPECT_TRUE(upper.curves.empty());
  EXPECT_EQ(limits(lower), (std::vector<Samples>{{9, 9}}));
}
