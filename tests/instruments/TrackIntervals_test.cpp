// CTrackIntervals: statistics of a scalar track inside an interval of its trigger axis.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "eval/TrackIntervals.h"
#include "host/ParamRecords.h"
#include "instruments/TrackSvFixture.h"

namespace {

constexpr int kIntervals = CTrackIntervals::kInstrument;

}  // namespace

class TrackIntervalsTest : public TrackSvTest {
 protected:
  // A derived quantity over order track 400 on [start, end] with calculation mode `mode` and,
  // unless it is empty, evaluation type `type`.
  void Interval(int parameter, int mode, const std::string& type, const std::string& start,
                const std::string& end, int sourceInstrument = kOrderTrack,
                int sourceParameter = 400) {
    Derived(kIntervals, 1, parameter, "Interval " + std::to_string(parameter));
    Calc(parameter, {{0, std::to_string(mode)},
                     {5, start},
                     {6, end},
                     {7, std::to_string(sourceInstrument)},
                     {8, std::to_string(sourceParameter)}});
    if (!type.empty()) Calc(parameter, {{33, type}});
  }
  // The points 10, 30, 20 at 850, 860, 870 rpm, with 99 just outside on both sides.
  void MeasureTenThirtyTwenty(const QClavis& key) {
    TrackAt(key, {{4, 99.0f}, {5, 10.0f}, {6, 30.0f}, {7, 20.0f}, {8, 99.0f}});
  }
  const KelStoreSValue& Result(int parameter) {
    const KelStoreSValue* value = Value(Key(kIntervals, parameter));
    if (value == nullptr) ADD_FAILURE() << "no value for parameter " << parameter;
    static const KelStoreSValue none;
    return value == nullptr ? none : *value;
  }
  bool HasResult(int parameter) const { return Value(Key(kIntervals, parameter)) != nullptr; }
};

TEST_F(TrackIntervalsTest, TypeZeroTakesMinimumMaximumMeanAndDecibelMean) {
  // [845.5, 873] rpm: cells 5 … 7, the middle at 859.25 rpm.
  Interval(501, 1, "", "845.5", "873");
  Interval(502, 2, "0", "845.5", "873");
  Interval(503, 3, "0", "845.5", "873");
  Interval(504, 4, "0", "845.5", "873");
  Interval(505, 1, "0", "873", "845.5");  // from high to low
  Interval(506, 4, "0", "873", "845.5");
  Install();
  MeasureTenThirtyTwenty(OrderTrack(400));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));

  EXPECT_FLOAT_EQ(Result(501).value, 10.0f);
  EXPECT_FLOAT_EQ(Result(501).position, 850.0f);
  EXPECT_FLOAT_EQ(Result(502).value, 30.0f);
  EXPECT_FLOAT_EQ(Result(502).position, 860.0f);
  EXPECT_FLOAT_EQ(Result(503).value, 20.0f);
  EXPECT_FLOAT_EQ(Result(503).position, 859.25f);
  const double decibelMean =
      20.0 * std::log10((std::pow(10.0, 0.5) + std::pow(10.0, 1.5) + std::pow(10.0, 1.0)) / 3.0);
  EXPECT_NEAR(Result(504).value, decibelMean, 1e-4);
  EXPECT_FLOAT_EQ(Result(504).position, 859.25f);
  EXPECT_FLOAT_EQ(Result(505).value, 10.0f);
  EXPECT_FLOAT_EQ(Result(505).position, 850.0f);
  EXPECT_NEAR(Result(506).value, decibelMean, 1e-4);
  EXPECT_FLOAT_EQ(Result(506).position, 859.25f);

  // The record: the track's context, expiry and unit, generation pass + 1.
  EXPECT_EQ(Result(502).context, kTrackContext);
  EXPECT_EQ(Result(502).expire, SignalBase::expire_mode);
  EXPECT_EQ(store.GetMeasuringUnit(Key(kIntervals, 502)), Decibel());
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kIntervals, 502)), 2u);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackIntervalsTest, FirstOfEqualExtremesAndTheInterval) {
  // Equal minima at 850 and 870 rpm: the first one's position. The interval ends round to
  // the nearest cells: [846, 864] holds cells 5 and 6 only.
  Interval(511, 1, "0", "845.5", "873");
  Interval(512, 2, "0", "846", "864");
  Interval(513, 3, "0", "846", "864");
  Interval(514, 3, "0", "500", "700");  // no point inside: no value
  Install();
  TrackAt(OrderTrack(400), {{4, 1.0f}, {5, 7.0f}, {6, 9.0f}, {7, 7.0f}, {8, 50.0f}});
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  EXPECT_FLOAT_EQ(Result(511).value, 7.0f);
  EXPECT_FLOAT_EQ(Result(511).position, 850.0f);
  EXPECT_FLOAT_EQ(Result(512).value, 9.0f);
  EXPECT_FLOAT_EQ(Result(512).position, 860.0f);
  EXPECT_FLOAT_EQ(Result(513).value, 8.0f);
  EXPECT_FLOAT_EQ(Result(513).position, 855.0f);
  EXPECT_FALSE(HasResult(514));
}

TEST_F(TrackIntervalsTest, QuantileTypesTakeTenPercentForModeOneElseNinety) {
  Interval(521, 1, "1", "845.5", "873");
  Interval(522, 2, "1", "845.5", "873");
  Interval(523, 1, "2", "845.5", "873");
  Interval(524, 3, "3", "873", "845.5");
  Interval(525, 1, "3", "873", "845.5");
  Install();
  MeasureTenThirtyTwenty(OrderTrack(400));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  // Sorted 10, 20, 30: h = 2·0.1 gives 12, h = 2·0.9 gives 28.
  EXPECT_FLOAT_EQ(Result(521).value, 12.0f);
  EXPECT_FLOAT_EQ(Result(522).value, 28.0f);
  EXPECT_FLOAT_EQ(Result(523).value, 12.0f);
  EXPECT_FLOAT_EQ(Result(524).value, 28.0f);
  EXPECT_FLOAT_EQ(Result(525).value, 12.0f);
  EXPECT_FLOAT_EQ(Result(521).position, 859.25f);
  EXPECT_FLOAT_EQ(Result(524).position, 859.25f);
  // The track itself is not reordered.
  const auto& points = store.TrackScalarStore().FindTrack(OrderTrack(400))->points;
  EXPECT_FLOAT_EQ(points.at(5).value, 10.0f);
  EXPECT_FLOAT_EQ(points.at(6).value, 30.0f);
  EXPECT_FLOAT_EQ(points.at(7).value, 20.0f);
}

class TrackIntervalsBandTest : public TrackIntervalsTest {
 protected:
  static constexpr int kBandTrack = CTrackIntervals::kBandTrackInstrument;

  // Band track parameter `track` (instrument 11000, trigger 1) taken from band parameter
  // `band`, whose first band is `entry`; a single-value record for the band when `record`.
  void BandTrack(int track, int band, const QVSpecIntervalEntry& entry, bool record) {
    plan.Parameter(track, kBandTrack, "Band track", QVInstrumentParam::eval_upper, 1);
    Calc(track, {{8, std::to_string(band)}});
    plan.Set().specIntervals[QIdx2(band, 0)] = entry;
    if (record) plan.Set().ipSvOfSpec[QIdx1(band)] = QVIpSvOfSpec{};
  }
  static QVSpecIntervalEntry Band(bool orders, float low, float high, int rotor = -1,
                                  int domain = QVSpecIntervalEntry::Definition::domain_pure) {
    QVSpecIntervalEntry entry;
    entry.definition.domainValue = domain;
    entry.definition.orders = orders;
    entry.definition.rotor = rotor;
    entry.definition.low = low;
    entry.definition.high = high;
    return entry;
  }
};

TEST_F(TrackIntervalsBandTest, TypesFourAndFiveUseTheBandCentre) {
  BandTrack(600, 700, Band(false, 100.0f, 300.0f), true);  // 100 … 300 Hz: f_c = 200
  BandTrack(601, 701, Band(true, 2.0f, 4.0f), true);       // orders 2 … 4: f_c = 3
  Interval(531, 3, "4", "845.5", "873", kBandTrack, 600);
  Interval(532, 3, "5", "845.5", "873", kBandTrack, 600);
  Interval(533, 3, "4", "845.5", "873", kBandTrack, 601);
  Install();
  MeasureTenThirtyTwenty(Key(kBandTrack, 600));
  MeasureTenThirtyTwenty(Key(kBandTrack, 601));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  // mean 20 + 40·log10(2π·1000) at (1000 / 200)·60
  EXPECT_NEAR(Result(531).value, 20.0f + 151.9272f, 1e-3f);
  EXPECT_FLOAT_EQ(Result(531).position, 300.0f);
  // maximum 30 + 40·log10(2π·3000 / 60 · 200) at 3000
  EXPECT_NEAR(Result(532).value, 30.0f + 191.9272f, 1e-3f);
  EXPECT_FLOAT_EQ(Result(532).position, 3000.0f);
  EXPECT_NEAR(Result(533).value, 20.0f + 151.9272f, 1e-3f);
  EXPECT_FLOAT_EQ(Result(533).position, 20000.0f);
}

TEST_F(TrackIntervalsBandTest, UnknownBandCentreIsZero) {
  BandTrack(600, 700, Band(false, 100.0f, 300.0f), false);        // no single-value record
  BandTrack(601, 701, Band(false, 100.0f, 300.0f, -1, 3), true);  // not a pure band
  BandTrack(602, 702, Band(true, 2.0f, 4.0f, 5), true);           // a rotor the mode does not know
  Interval(541, 3, "4", "845.5", "873", kBandTrack, 600);
  Interval(542, 3, "4", "845.5", "873", kBandTrack, 601);
  Interval(543, 3, "4", "845.5", "873", kBandTrack, 602);
  Interval(544, 3, "5", "845.5", "873", kBandTrack, 602);
  Install();
  for (const int track : {600, 601, 602}) MeasureTenThirtyTwenty(Key(kBandTrack, track));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  const float inf = std::numeric_limits<float>::infinity();
  for (const int parameter : {541, 542, 543}) {
    EXPECT_NEAR(Result(parameter).value, 20.0f + 151.9272f, 1e-3f) << parameter;
    EXPECT_EQ(Result(parameter).position, inf) << parameter;
  }
  EXPECT_EQ(Result(544).value, -inf);
  EXPECT_FLOAT_EQ(Result(544).position, 3000.0f);
}

TEST_F(TrackIntervalsTest, MessagesForMissingParametersAndUnavailableModes) {
  // 546 … 550: without calculation parameter 0, 5, 6, 7, 8 in turn; 33 is optional.
  const int required[] = {0, 5, 6, 7, 8};
  for (int i = 0; i < 5; ++i) {
    const int parameter = 546 + i;
    Derived(kIntervals, 1, parameter, "Incomplete " + std::to_string(required[i]));
    Calc(parameter, {{0, "2"}, {5, "845.5"}, {6, "873"}, {7, "2001"}, {8, "400"}});
    plan.Set().ipCalcParameter.erase(QIdx2(parameter, required[i]));
  }
  Interval(551, 5, "0", "845.5", "873");
  Interval(552, 6, "0", "845.5", "873");
  Interval(553, 7, "0", "845.5", "873");
  Install();
  MeasureTenThirtyTwenty(OrderTrack(400));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  EXPECT_EQ(output.Text(),
            "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Incomplete 0 / Accelerometer"
            "\n"
            "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Incomplete 5 / Accelerometer"
            "\n"
            "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Incomplete 6 / Accelerometer"
            "\n"
            "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Incomplete 7 / Accelerometer"
            "\n"
            "CTrackIntervals::ExtractSingleValuesFromTrackIntervals(): Missing calc parameters "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Incomplete 8 / Accelerometer"
            "\n"
            "CTrackIntervals::EvaluateSvOfInterval(): Calculation mode 'Sum' not available "
            "for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Interval 551 / Accelerometer"
            "\n"
            "CTrackIntervals::EvaluateSvOfInterval(): Calculation mode 'LogSum' not "
            "available for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Interval 552 / Accelerometer"
            "\n"
            "CTrackIntervals::EvaluateSvOfInterval(): Unknown calculation mode for Clavis "
            "Run-up / Instrument 10000 / Input bearing / Housing / Interval 553 / Accelerometer"
            "\n");
  for (int parameter = 546; parameter <= 550; ++parameter) EXPECT_FALSE(HasResult(parameter));
  EXPECT_FLOAT_EQ(Result(551).value, 0.0f);
  EXPECT_FLOAT_EQ(Result(551).position, 859.25f);
  EXPECT_FLOAT_EQ(Result(552).value, 0.0f);
  EXPECT_FLOAT_EQ(Result(552).position, 859.25f);
  EXPECT_FALSE(HasResult(553));
}

TEST_F(TrackIntervalsTest, AnEvaluationTypeOutsideZeroToFiveEndsThePass) {
  Interval(561, 2, "0", "845.5", "873");
  Interval(562, 2, "6", "845.5", "873");
  Interval(563, 2, "0", "845.5", "873");
  Install();
  MeasureTenThirtyTwenty(OrderTrack(400));
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  EXPECT_TRUE(HasResult(561));
  EXPECT_FALSE(HasResult(562));
  EXPECT_FALSE(HasResult(563));  // after the bad type in key order

  Calc(562, {{33, "-1"}});
  Install();
  EXPECT_TRUE(RunPass<CTrackIntervals>(1));
  EXPECT_TRUE(HasResult(561));
  EXPECT_FALSE(HasResult(562));
  EXPECT_FALSE(HasResult(563));
}

TEST_F(TrackIntervalsTest, SourcesOfAnotherGenerationOrWithoutTrackAreSkipped) {
  Interval(571, 2, "0", "845.5", "873");
  Interval(572, 2, "0", "845.5", "873", kOrderTrack, 401);  // 401 gets no track
  Install();
  MeasureTenThirtyTwenty(OrderTrack(400));
  EXPECT_FALSE(RunPass<CTrackIntervals>(2));
  EXPECT_FALSE(HasResult(571));

  // Through the shop: made in pass 1, and the pass after it finds nothing new.
  EXPECT_EQ(shop.Run(), 2u);
  EXPECT_FALSE(HasResult(572));
  EXPECT_EQ(output.Text(), "");
  EXPECT_FLOAT_EQ(Result(571).value, 30.0f);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kIntervals, 571)), 2u);
}
