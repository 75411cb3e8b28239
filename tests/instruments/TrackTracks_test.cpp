// CTrackTracks: integration of order tracks, Morrant, the references and their messages.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "eval/SourceGeneration.h"
#include "eval/TrackTracks.h"
#include "instruments/InstrumentPlanFixture.h"

namespace {

struct Point {
  long long cell;
  float value;
};

}  // namespace

class TrackTracksTest : public InstrumentPlanTest {
 protected:
  static constexpr int kTarget = CTrackTracks::kInstrument;
  static constexpr int kCalculatorIndex = 6;
  // Sensor 3 measures a pressure in Pa, sensor 4 in kPa.
  static constexpr int kPascalSensor = 3;
  static constexpr int kKiloPascalSensor = 4;

  TrackTracksTest() {
    plan.Signal(kPascalSensor, "Oil pressure", CMeasuringUnit(CMeasuringUnit::cuPascal))
        .Signal(kKiloPascalSensor, "Line pressure", CMeasuringUnit(CMeasuringUnit::cuPascal, 3))
        .Parameter(402, kOrderTrack, "Order 2", QVInstrumentParam::eval_upper, 1)
        .Parameter(403, kOrderTrack, "Oil temperature", QVInstrumentParam::eval_upper, 1);
  }

  static CMeasuringUnit Linear() { return CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2); }
  static CMeasuringUnit Celsius() { return CMeasuringUnit(CMeasuringUnit::cuDegreeCelsius); }

  // A target of this calculator: parameter `parameter` (over trigger 1 unless told) with
  // source parameter and transformation.
  void Target(int parameter, int source, int transformation, int trigger = 1) {
    Derived(kTarget, 2, parameter, "Target " + std::to_string(parameter), trigger);
    Calc(parameter, {{8, std::to_string(source)}, {12, std::to_string(transformation)}});
  }
  // The one band of `parameter` (orders of the reference shaft, or hertz) and its hat record.
  void Band(int parameter, bool orders, float low, float high, int index = 0,
            int domain = QVSpecIntervalEntry::Definition::domain_pure) {
    QVSpecIntervalEntry band;
    band.definition.domainValue = domain;
    band.definition.orders = orders;
    band.definition.low = low;
    band.definition.high = high;
    plan.Set().specIntervals[QIdx2(parameter, index)] = band;
    plan.Set().ipSvOfSpec[QIdx1(parameter)] = QVIpSvOfSpec{};
  }
  // A track of the given points, written with validation tag `tag`.
  void Track(const QClavis& key, std::initializer_list<Point> points, const CMeasuringUnit& unit,
             unsigned tag = 1, uint64_t context = 22,
             SignalBase::measuring_expire_t expire = SignalBase::expire_mode) {
    for (const Point& p : points)
      store.TrackScalarStore().InsertValue(key, p.cell, p.value, unit, context, expire, tag);
  }
  const QValueStoreTrackItem<KelStoreTrackPoint>* Result(const QClavis& key) const {
    return store.TrackScalarStore().FindTrack(key);
  }
  std::vector<long long> Cells(const QClavis& key) const {
    std::vector<long long> cells;
    if (const auto* track = Result(key))
      for (const auto& [cell, point] : track->points) cells.push_back(cell);
    return cells;
  }
  float ValueAt(const QClavis& key, long long cell) const {
    return Result(key)->points.at(cell).value;
  }
  bool Process(unsigned pass) { return shop.Calculators()[kCalculatorIndex]->process(pass); }
  static std::string Line(const std::string& text, const QClavis& key) {
    return text + " Clavis " + CDtParamInstance().FormatClavisText(key) + "\n";
  }
};

TEST_F(TrackTracksTest, SingleIntegrationOfALinearOrderTrack) {
  Band(402, true, 1.9f, 2.1f);
  Target(600, 402, 1);
  Install();
  // 3000 rpm is cell 220, 2000 rpm cell 120.
  Track(Key(kOrderTrack, 402), {{120, 4.0f}, {220, 5.0f}}, Linear(), 1, 5,
        SignalBase::expire_candidate);

  ASSERT_TRUE(Process(1));
  const QClavis target = Key(kTarget, 600);
  ASSERT_EQ(Cells(target), (std::vector<long long>{120, 220}));
  const float k = 60.0f / (std::numbers::pi_v<float> * 4.0f);
  EXPECT_NEAR(ValueAt(target, 220), 5.0f * k / 3000.0f, 1e-7f);
  EXPECT_NEAR(ValueAt(target, 120), 4.0f * k / 2000.0f, 1e-7f);
  EXPECT_NEAR(ValueAt(target, 220), 7.957747e-3f, 1e-8f);
  EXPECT_EQ(Result(target)->unit, CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond));
  const KelStoreTrackPoint& point = Result(target)->points.at(220);
  EXPECT_EQ(point.context, 5u);
  EXPECT_EQ(point.expire, SignalBase::expire_candidate);
  EXPECT_EQ(SourceGeneration::OfScalarTrack(store, target), 2u);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, DoubleIntegrationOfALevelTrackAndAFrequencyBand) {
  Band(402, true, 1.9f, 2.1f);
  Band(403, false, 90.0f, 110.0f);
  Target(601, 402, 2);
  Target(602, 403, 1);
  Install();
  const CMeasuringUnit scaled(CMeasuringUnit::cuMetrePerSecond2, -3, 2.0f, CMeasuringUnit::flagLog);
  Track(Key(kOrderTrack, 402), {{220, 80.0f}, {120, 70.0f}}, scaled);
  Track(Key(kOrderTrack, 403), {{20, 3.0f}, {220, 6.0f}}, Linear());
  ASSERT_TRUE(Process(1));

  // dB: + 20·log10(k²) − 40·log10(n).
  const QClavis level = Key(kTarget, 601);
  const double k = 60.0 / (std::numbers::pi * 4.0);
  EXPECT_NEAR(ValueAt(level, 220), 80.0 + 20.0 * std::log10(k * k) - 40.0 * std::log10(3000.0),
              1e-4);
  EXPECT_NEAR(ValueAt(level, 120), 70.0 + 20.0 * std::log10(k * k) - 40.0 * std::log10(2000.0),
              1e-4);
  EXPECT_NEAR(ValueAt(level, 220), -31.9272f, 1e-3f);
  EXPECT_EQ(Result(level)->unit,
            CMeasuringUnit(CMeasuringUnit::cuMetre, -3, 2.0f, CMeasuringUnit::flagLog));

  // A band in hertz: the same factor at every speed, k = 60 / (2π · 100 Hz).
  const QClavis frequency = Key(kTarget, 602);
  const double kf = 60.0 / (2.0 * std::numbers::pi * 100.0);
  EXPECT_NEAR(ValueAt(frequency, 20), 3.0 * kf, 1e-6);
  EXPECT_NEAR(ValueAt(frequency, 220), 6.0 * kf, 1e-6);
  EXPECT_EQ(Result(frequency)->unit, CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond));
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, MorrantPressureFromTemperature) {
  // 610: the temperature track itself (a scalar-track instrument), default coefficients.
  Derived(kTarget, 2, 610, "Oil pressure", 1);
  Calc(610, {{8, "403"}, {12, "3"}});
  plan.Quantity(QClavis(kRunUp, kTarget, 1, 1, 610, kPascalSensor), -1);
  // 611: through a single value whose calculation parameters name the track; own
  // coefficients, result in kPa.
  Derived(kTarget, 2, 611, "Line pressure", 1);
  plan.Parameter(500, kLevel, "Temperature at speed");
  Calc(500, {{8, "403"}});
  Calc(611, {{8, "500"}, {12, "3"}, {35, "1"}, {36, "2"}, {37, "3"}, {38, "4"}, {39, "5"}});
  plan.Quantity(QClavis(kRunUp, kTarget, 1, 1, 611, kKiloPascalSensor), -1);
  plan.Set().ipParamAndStore.erase(Key(kTarget, 610));
  plan.Set().ipParamAndStore.erase(Key(kTarget, 611));
  Install();
  // The source keeps the target's sensor. 1000 rpm: cell 20 (x = 1); 2000 rpm: cell 120
  // (x = 2).
  for (const int sensor : {kPascalSensor, kKiloPascalSensor})
    Track(QClavis(kRunUp, kOrderTrack, 1, 1, 403, sensor), {{20, 0.0f}, {120, 50.0f}}, Celsius());
  ASSERT_TRUE(Process(1));

  const QClavis pascal(kRunUp, kTarget, 1, 1, 610, kPascalSensor);
  EXPECT_NEAR(ValueAt(pascal, 20), 0.23133f, 1e-6f);
  EXPECT_NEAR(ValueAt(pascal, 120),
              0.1143f * 2 - 0.02207f - 0.001062f * 50 + 0.1391f * 4 - 0.003295f * 2 * 50, 1e-6f);
  EXPECT_NEAR(ValueAt(pascal, 120), 0.38033f, 1e-5f);
  EXPECT_EQ(Result(pascal)->unit, CMeasuringUnit(CMeasuringUnit::cuPascal));

  // (c1·x + c0 + c2·T + c3·x² + c4·x·T) Pa in kPa.
  const QClavis kilo(kRunUp, kTarget, 1, 1, 611, kKiloPascalSensor);
  EXPECT_NEAR(ValueAt(kilo, 20), (2 * 1 + 1 + 0 + 4 * 1 + 0) * 0.001f, 1e-7f);
  EXPECT_NEAR(ValueAt(kilo, 120), (2 * 2 + 1 + 3 * 50 + 4 * 4 + 5 * 2 * 50) * 0.001f, 1e-6f);
  EXPECT_EQ(Result(kilo)->unit, CMeasuringUnit(CMeasuringUnit::cuPascal, 3));
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, ReferencePolygonOverTheCellsOfTheTrack) {
  Derived(CTrackTracks::kTrackPolygonInstrument, 1, 700, "Deviation");
  Calc(700, {{8, "401"}});
  Target(620, 700, 4);
  Calc(620, {{7, "5"}});
  // Cells: 1000 rpm 20, 1500 rpm 70, 1996 and 2004 rpm both 120.
  plan.Polygon(5, {{1000, 10}, {1500, 20}, {1500, 30}, {1996, 40}, {2004, 60}});
  // The same quantity over a polygon named by its IpTrackPolygon entry (parameter 400).
  Derived(CTrackTracks::kTrackPolygonInstrument, 1, 701, "Deviation 2");
  plan.Set().ipTrackPolygon[Key(CTrackTracks::kTrackPolygonInstrument, 701)] =
      CVIpSvTrackPolygon{2, 400, 5};
  Target(621, 701, 4);
  Calc(621, {{7, "5"}});
  Install();
  Track(Key(kOrderTrack, 401), {{10, 1}, {20, 1}, {45, 1}, {70, 1}, {100, 1}, {120, 1}, {130, 1}},
        Decibel(), 1, 9, SignalBase::expire_shiftlane);
  Track(Key(kOrderTrack, 400), {{45, 1}, {130, 1}}, Decibel());
  ASSERT_TRUE(Process(1));

  const QClavis target = Key(kTarget, 620);
  ASSERT_EQ(Cells(target), (std::vector<long long>{20, 45, 70, 100, 120}));
  EXPECT_FLOAT_EQ(ValueAt(target, 20), 10.0f);
  EXPECT_FLOAT_EQ(ValueAt(target, 45), 15.0f);
  EXPECT_FLOAT_EQ(ValueAt(target, 70), 30.0f);  // the later segment
  EXPECT_FLOAT_EQ(ValueAt(target, 100), 30.0f + 300.0f * 10.0f / 496.0f);
  EXPECT_FLOAT_EQ(ValueAt(target, 120), 40.0f);  // both ends in one cell: constant
  EXPECT_EQ(Result(target)->unit, Decibel());
  EXPECT_EQ(Result(target)->points.at(45).context, 9u);
  EXPECT_EQ(Result(target)->points.at(45).expire, SignalBase::expire_shiftlane);

  const QClavis second = Key(kTarget, 621);
  ASSERT_EQ(Cells(second), (std::vector<long long>{45}));
  EXPECT_FLOAT_EQ(ValueAt(second, 45), 15.0f);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, ReferenceIntervalMeanAtTheIntervalEnds) {
  // Cells 20 … 30 (1000 … 1100 rpm); given from high to low (same cells); 20 … 50 (no point
  // after the end).
  const std::pair<int, std::pair<const char*, const char*>> intervals[] = {
      {710, {"1000", "1100"}}, {711, {"1100", "1000"}}, {712, {"1000", "1300"}}};
  for (const auto& [parameter, interval] : intervals) {
    Derived(CTrackTracks::kTrackIntervalInstrument, 1, parameter, "Interval");
    Calc(parameter, {{5, interval.first}, {6, interval.second}, {7, "2001"}, {8, "400"}});
    Target(parameter - 80, parameter, 4);
  }
  Install();
  Track(Key(kOrderTrack, 400), {{15, 1.0f}}, Decibel(), 1, 1);
  Track(Key(kOrderTrack, 400), {{20, 2.0f}}, Decibel(), 1, 3, SignalBase::expire_measurement);
  Track(Key(kOrderTrack, 400), {{25, 4.0f}, {30, 9.0f}}, Decibel(), 1, 5);
  Track(Key(kOrderTrack, 400), {{40, 100.0f}}, Decibel(), 1, 7, SignalBase::expire_candidate);
  ASSERT_TRUE(Process(1));

  for (const int target : {630, 631}) {
    const QClavis key = Key(kTarget, target);
    ASSERT_EQ(Cells(key), (std::vector<long long>{19, 29})) << target;
    EXPECT_FLOAT_EQ(ValueAt(key, 19), 5.0f);
    EXPECT_FLOAT_EQ(ValueAt(key, 29), 5.0f);
    EXPECT_EQ(Result(key)->points.at(19).context, 3u);
    EXPECT_EQ(Result(key)->points.at(19).expire, SignalBase::expire_measurement);
    EXPECT_EQ(Result(key)->points.at(29).context, 7u);
    EXPECT_EQ(Result(key)->points.at(29).expire, SignalBase::expire_candidate);
    EXPECT_EQ(Result(key)->unit, Decibel());
  }
  const QClavis open = Key(kTarget, 632);
  ASSERT_EQ(Cells(open), (std::vector<long long>{19, 49}));
  EXPECT_FLOAT_EQ(ValueAt(open, 49), (2.0f + 4.0f + 9.0f + 100.0f) / 4.0f);
  EXPECT_EQ(Result(open)->points.at(49).context, 7u);  // the track's last point
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, SourcesAreUsedOnlyInTheirGeneration) {
  Band(402, true, 1.9f, 2.1f);
  Band(403, true, 1.9f, 2.1f);
  Target(600, 402, 1);
  Target(603, 600, 1);  // a derived track of a derived track: no order track
  Target(604, 403, 1);
  Install();
  Track(Key(kOrderTrack, 402), {{220, 5.0f}}, Linear(), 1);
  Track(Key(kOrderTrack, 403), {{220, 5.0f}}, Linear(), 2);

  // Pass 1: 600 from its measured source; 603 does not take 600, made in this same pass.
  EXPECT_TRUE(Process(1));
  EXPECT_NE(Result(Key(kTarget, 600)), nullptr);
  EXPECT_EQ(Result(Key(kTarget, 603)), nullptr);
  EXPECT_EQ(Result(Key(kTarget, 604)), nullptr);  // generation 2: not in pass 1
  EXPECT_EQ(output.Text(), "");

  // Pass 2: 604 from its generation-2 source (generation 3); 603 finds its source of
  // generation 2 but it is not an order track.
  EXPECT_TRUE(Process(2));
  EXPECT_EQ(SourceGeneration::OfScalarTrack(store, Key(kTarget, 604)), 3u);
  EXPECT_EQ(SourceGeneration::OfScalarTrack(store, Key(kTarget, 600)), 2u);
  EXPECT_EQ(output.Text(), Line("CTrackTracks::Integration(): Can only process order tracks for",
                                Key(kTarget, 603)));
  output.Clear();
  EXPECT_FALSE(Process(3));
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackTracksTest, MissingParametersGiveTheirMessages) {
  Derived(kTarget, 2, 640, "No source", 1);
  Calc(640, {{12, "1"}});
  Target(641, 999, 1);  // no such parameter
  Target(642, 402, 1);  // transformation missing below
  plan.Set().ipCalcParameter.erase(QIdx2(642, 12));
  Target(643, 100, 3);  // a single value naming no track
  Derived(CTrackTracks::kTrackIntervalInstrument, 1, 710, "Interval");
  Target(644, 710, 4);  // the interval names no source parameter
  Target(645, 402, 4);  // a reference of an order track
  Derived(CTrackTracks::kTrackPolygonInstrument, 1, 700, "Deviation");
  Calc(700, {{8, "999"}});
  Target(646, 700, 4);  // the polygon quantity names an unknown parameter
  Target(647, 402, 7);
  Install();
  Track(Key(kOrderTrack, 402), {{220, 5.0f}}, Linear());
  EXPECT_FALSE(Process(1));
  const QClavis key640 = Key(kTarget, 640);
  EXPECT_EQ(Line("CTrackTracks::process(): No source instrument parameter for", key640),
            "CTrackTracks::process(): No source instrument parameter for Clavis Run-up / "
            "Instrument 11000 / Input bearing / Housing / No source / Accelerometer\n");
  EXPECT_EQ(
      output.Text(),
      Line("CTrackTracks::process(): No source instrument parameter for", key640) +
          Line("CTrackTracks::process(): No source instrument for", Key(kTarget, 641)) +
          Line("CTrackTracks::process(): No transformation defined for", Key(kTarget, 642)) +
          Line("CTrackTracks::TrackTable(): Can not deduce source track for", Key(kTarget, 643)) +
          Line("CTrackTracks::TrackTable(): No IpSvTrackInterval for", Key(kTarget, 644)) +
          Line("CTrackTracks::TrackTable(): Mode 'Reference' not supported for",
               Key(kTarget, 645)) +
          Line("CTrackTracks::TrackTable(): Can not deduce source track for", Key(kTarget, 646)) +
          Line("QSvTrackEval::TracksFromTrack(): Invalid transformation '7' for",
               Key(kTarget, 647)));
  for (const auto& line : output.Lines()) {
    EXPECT_EQ(line.category, 8);
    EXPECT_EQ(line.style, 3);
  }
}

TEST_F(TrackTracksTest, TriggerAndIntegrationFailuresGiveTheirMessages) {
  // Triggers 2, 3, 4 in the run-up: an axis signal that does not exist, a speed signal of
  // another source than the trigger's, a speed signal in °C.
  plan.Trigger(2, "Output shaft speed", 1)
      .TriggerAxis(kRunUp, 2, 1, 9, 800, 10, 321)
      .Trigger(3, "Wheel speed", 5)
      .TriggerAxis(kRunUp, 3, 1, 1, 800, 10, 321)
      .Signal(6, "Sump temperature", Celsius(), 6)
      .Trigger(4, "Temperature", 6)
      .TriggerAxis(kRunUp, 4, 1, 6, 20, 1, 100);
  plan.Parameter(410, kOrderTrack, "Order 2 untriggered")
      .Parameter(412, kOrderTrack, "Order 2 output", QVInstrumentParam::eval_upper, 2)
      .Parameter(413, kOrderTrack, "Order 2 wheel", QVInstrumentParam::eval_upper, 3)
      .Parameter(414, kOrderTrack, "Order 2 temperature", QVInstrumentParam::eval_upper, 4)
      .Parameter(420, kOrderTrack, "Two bands", QVInstrumentParam::eval_upper, 1)
      .Parameter(421, kOrderTrack, "Combined band", QVInstrumentParam::eval_upper, 1)
      .Parameter(422, kOrderTrack, "Reversed band", QVInstrumentParam::eval_upper, 1)
      .Parameter(423, kOrderTrack, "No hat", QVInstrumentParam::eval_upper, 1)
      .Parameter(424, kOrderTrack, "No band", QVInstrumentParam::eval_upper, 1)
      .Instrument(2002, "Other track", 2)
      .Parameter(430, 2002, "Other", QVInstrumentParam::eval_upper, 1);
  for (const int parameter : {402, 403, 410, 412, 413, 414, 430}) Band(parameter, true, 1.9f, 2.1f);
  Band(420, true, 1.9f, 2.1f);
  Band(420, true, 3.9f, 4.1f, 1);
  Band(421, true, 1.9f, 2.1f, 0, QVSpecIntervalEntry::Definition::domain_combined);
  Band(422, true, 2.1f, 1.9f);
  Band(423, true, 1.9f, 2.1f);
  plan.Set().ipSvOfSpec.erase(QIdx1(423));
  Target(650, 410, 1, -1);
  Target(651, 402, 1, 2);
  Target(652, 430, 1);
  Target(653, 403, 1);  // a track in °C
  Target(654, 420, 1);
  Target(655, 421, 1);
  Target(656, 422, 1);
  Target(657, 423, 1);
  Target(658, 412, 1, -1);
  Target(659, 413, 1, -1);
  Target(660, 414, 1, -1);
  Target(661, 424, 1);  // no band: no result, no message
  Install();
  for (const int parameter : {402, 410, 412, 413, 414, 420, 421, 422, 423, 424})
    Track(Key(kOrderTrack, parameter), {{20, 5.0f}}, Linear());
  Track(Key(kOrderTrack, 403), {{20, 5.0f}}, Celsius());
  Track(Key(2002, 430), {{20, 5.0f}}, Linear());
  EXPECT_FALSE(Process(1));
  const char* const expected[] = {
      "CTrackTracks::TracksFromTrack(): Can't deduce Trigger dimension for",
      "CTrackTracks::TracksFromTrack(): Incompatible Triggers for",
      "CTrackTracks::Integration(): Can only process order tracks for",
      "CTrackTracks::Integration(): Can only process tracks in 'm/s²' for",
      "CTrackTracks::Integration(): More than one spectral band defined for",
      "CTrackTracks::Integration(): Not a pure order/frequency domain definition for",
      "CTrackTracks::Integration(): parameter error for",
      "CTrackTracks::Integration(): parameter error for",
      "CTrackTracks::Integration(): Speed track x-dim not found for",
      "CTrackTracks::Integration(): Speed source doesn't fit trigger source for",
      "CTrackTracks::Integration(): Speed track x-dim should be Hz or Rpm",
  };
  std::string text;
  for (int i = 0; i < 11; ++i) text += Line(expected[i], Key(kTarget, 650 + i));
  EXPECT_EQ(output.Text(), text);
  for (int target = 650; target <= 661; ++target)
    EXPECT_EQ(Result(Key(kTarget, target)), nullptr) << target;
}

TEST_F(TrackTracksTest, MorrantAndPolygonFailuresGiveTheirMessages) {
  Target(670, 402, 3);  // a track in m/s²
  Target(671, 403, 3);
  plan.Quantity(QClavis(kRunUp, kTarget, 1, 1, 671, 9), -1);  // a sensor without signal
  plan.Set().ipParamAndStore.erase(Key(kTarget, 671));
  Target(672, 403, 3);  // sensor 2 measures an acceleration
  Derived(CTrackTracks::kTrackPolygonInstrument, 1, 700, "Deviation");
  Calc(700, {{8, "402"}});
  plan.Polygon(5, {{1000, 10}, {2000, 20}});
  Target(673, 700, 4);
  Calc(673, {{7, "6"}});  // no such polygon
  Target(674, 700, 4);    // no reference number
  Install();
  Track(Key(kOrderTrack, 402), {{20, 5.0f}}, Linear());
  for (const int sensor : {2, 9})
    Track(QClavis(kRunUp, kOrderTrack, 1, 1, 403, sensor), {{20, 5.0f}}, Celsius());
  EXPECT_FALSE(Process(1));
  EXPECT_EQ(
      output.Text(),
      Line("CTrackTracks::Morrant(): Source signal not measured in '°C' for", Key(kTarget, 670)) +
          Line("CTrackTracks::Morrant(): Target sensor not found",
               QClavis(kRunUp, kTarget, 1, 1, 671, 9)) +
          Line("CTrackTracks::Morrant(): Target signal not a pressure for", Key(kTarget, 672)) +
          Line("CTrackTracks::ReferencePolygon(): Reference polygon ID not found",
               Key(kTarget, 673)) +
          Line("CTrackTracks::ReferencePolygon(): Reference polygon ID not found",
               Key(kTarget, 674)));
}
