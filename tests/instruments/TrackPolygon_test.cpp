// CTrackPolygon and QSvTrackEval: statistics of a scalar track against a reference polygon.
#include <gtest/gtest.h>

#include <cmath>

#include "eval/QSvTrackEval.h"
#include "eval/TrackPolygon.h"
#include "instruments/TrackSvFixture.h"

namespace {

constexpr int kPolygonInstrument = CTrackPolygon::kInstrument;

}  // namespace

class TrackPolygonTest : public TrackSvTest {
 protected:
  // A derived quantity over order track 400 against polygon `polygon` in mode `mode`.
  void PolygonQuantity(int parameter, int mode, int polygon, int source = 400) {
    Derived(kPolygonInstrument, 1, parameter, "Polygon " + std::to_string(parameter));
    Calc(parameter,
         {{9, std::to_string(mode)}, {8, std::to_string(source)}, {10, std::to_string(polygon)}});
  }
  // Samples order track 400 (generation 1) against polygon `polygon` in mode `mode`.
  int Evaluate(int polygon, int mode, QSvTrackEval::CResult& result) {
    CSourceTrack track;
    EXPECT_TRUE(track.Find(store, OrderTrack(400), 1));
    QSvTrackEval::CPolygonStatistics stats(mode);
    return QSvTrackEval::EvalTrackPolygon(CDtParamInstance().IpPolygonValues(), polygon, track,
                                          stats, result);
  }
  const KelStoreSValue* Result(int parameter) const {
    return Value(Key(kPolygonInstrument, parameter));
  }
};

TEST_F(TrackPolygonTest, AccumulatorStartsAndSumsByMode) {
  QSvTrackEval::CPolygonStatistics below(1);
  EXPECT_EQ(below.sign, -1.0f);
  EXPECT_EQ(below.extremeValue, -3.4028235e38f);
  EXPECT_EQ(below.extremeCell, -1);
  EXPECT_EQ(below.largestExceedanceCell, -1);
  EXPECT_EQ(QSvTrackEval::CPolygonStatistics(11).sign, -1.0f);
  EXPECT_EQ(QSvTrackEval::CPolygonStatistics(14).sign, -1.0f);
  EXPECT_EQ(QSvTrackEval::CPolygonStatistics(2).sign, 1.0f);
  EXPECT_EQ(QSvTrackEval::CPolygonStatistics(8).extremeValue, 3.4028235e38f);

  below.Add(5.0f, 8.0f, 3);  // d = −3
  below.Add(9.0f, 8.0f, 4);  // d = +1
  below.Add(6.0f, 8.0f, 5);  // d = −2
  EXPECT_FLOAT_EQ(below.exceedanceSum, 5.0f);
  EXPECT_FLOAT_EQ(below.largestExceedance, 3.0f);
  EXPECT_EQ(below.largestExceedanceCell, 3);
  EXPECT_FLOAT_EQ(below.belowSquares, 13.0f);
  EXPECT_FLOAT_EQ(below.atOrAboveSquares, 1.0f);
  EXPECT_FLOAT_EQ(below.totalSquares, 14.0f);
  EXPECT_EQ(below.extremeCell, -1);  // only modes 8 and 9 look for extremes

  QSvTrackEval::CPolygonStatistics minimum(8);
  QSvTrackEval::CPolygonStatistics maximum(9);
  for (auto* stats : {&minimum, &maximum}) {
    stats->Add(5.0f, 5.0f, 1);  // d = 0 counts as at or above
    stats->Add(2.0f, 0.0f, 2);
    stats->Add(7.0f, 0.0f, 3);
    stats->Add(2.0f, 0.0f, 4);
    stats->Add(7.0f, 0.0f, 5);
  }
  EXPECT_FLOAT_EQ(minimum.extremeValue, 2.0f);
  EXPECT_EQ(minimum.extremeCell, 2);
  EXPECT_FLOAT_EQ(maximum.extremeValue, 7.0f);
  EXPECT_EQ(maximum.extremeCell, 3);
  EXPECT_FLOAT_EQ(maximum.belowSquares, 0.0f);
  EXPECT_FLOAT_EQ(maximum.atOrAboveSquares, 106.0f);
  EXPECT_FLOAT_EQ(maximum.largestExceedance, 7.0f);
  EXPECT_EQ(maximum.largestExceedanceCell, 3);
}

TEST_F(TrackPolygonTest, PointsTwoCellsApartGiveThreeSamplesInEveryMode) {
  // Polygon 5·cell (0 at 800 rpm, 50 at 900 rpm); track 30 at cell 2 and 10 at cell 4, so cell
  // 3 is 20. Deviations: cell 2 +20, cell 4 −10, cell 3 +5; 3 cells.
  plan.Polygon(7, {{800.0f, 0.0f}, {900.0f, 50.0f}});
  Install();
  TrackAt(OrderTrack(400), {{2, 30.0f}, {4, 10.0f}});
  struct Expected {
    int mode;
    float value;
    float position;
  };
  const Expected expected[] = {
      {1, 10.0f, 840.0f},
      {2, 20.0f, 820.0f},
      {3, 25.0f, 0.0f},
      {4, 25.0f, 0.0f},
      {5, std::sqrt(525.0f / 3.0f), 0.0f},
      {6, std::sqrt(425.0f / 3.0f), 0.0f},
      {7, std::sqrt(100.0f / 3.0f), 0.0f},
      {8, 10.0f, 840.0f},
      {9, 30.0f, 820.0f},
      {10, 250.0f, 0.0f},
      {11, 100.0f, 0.0f},
      {12, 175.0f, 0.0f},
      {13, 25.0f / 3.0f, 0.0f},
      {14, 10.0f / 3.0f, 0.0f},
  };
  for (const Expected& e : expected) {
    QSvTrackEval::CResult result;
    EXPECT_EQ(Evaluate(7, e.mode, result), 3) << e.mode;
    EXPECT_FLOAT_EQ(result.value, e.value) << e.mode;
    EXPECT_FLOAT_EQ(result.position, e.position) << e.mode;
  }
  EXPECT_EQ(output.Text(), "");

  QSvTrackEval::CResult unknown;
  unknown.value = 99.0f;
  EXPECT_EQ(Evaluate(7, 15, unknown), 3);
  EXPECT_FLOAT_EQ(unknown.value, 0.0f);
  EXPECT_EQ(output.Text(), "QSvTrackEval::EvalTrackPolygon() -- unknown calculation requested\n");
}

TEST_F(TrackPolygonTest, SegmentsShareTheirBoundaryCellAndPolygonsNeedTwoPoints) {
  // Flat 0 from 800 to 850 to 900 rpm (cells 0 … 5 … 10); points at cells 3, 5 and 7. Samples:
  // 3, 5, 4 (first segment), 7, 6 (second): five, the boundary point once.
  plan.Polygon(7, {{800.0f, 0.0f}, {850.0f, 0.0f}, {900.0f, 0.0f}});
  plan.Polygon(8, {{850.0f, 1.0f}});
  plan.Polygon(9, {{1500.0f, 0.0f}, {1600.0f, 0.0f}});  // beyond the track
  Install();
  TrackAt(OrderTrack(400), {{3, 2.0f}, {5, 4.0f}, {7, 8.0f}, {12, 100.0f}});
  QSvTrackEval::CResult result;
  EXPECT_EQ(Evaluate(7, 12, result), 5);
  // (4 + 9 + 16 + 36 + 64) / 5
  EXPECT_FLOAT_EQ(result.value, 129.0f / 5.0f);
  EXPECT_EQ(Evaluate(7, 3, result), 5);
  // cells 3 … 7: 5 · (2 + 3 + 4 + 6 + 8) / 5
  EXPECT_FLOAT_EQ(result.value, 23.0f);
  EXPECT_EQ(Evaluate(8, 12, result), -1);
  EXPECT_EQ(Evaluate(6, 12, result), -1);  // no such polygon
  EXPECT_EQ(Evaluate(9, 12, result), 0);
}

TEST_F(TrackPolygonTest, ProcessInsertsTheValueAtItsPosition) {
  plan.Polygon(7, {{800.0f, 0.0f}, {900.0f, 50.0f}});
  PolygonQuantity(521, 2, 7);
  PolygonQuantity(522, 9, 7);
  Derived(kPolygonInstrument, 1, 523, "From the table");
  Calc(523, {{9, "2"}, {8, "400"}, {10, "7"}});
  plan.Set().ipTrackPolygon[Key(kPolygonInstrument, 523)] = CVIpSvTrackPolygon{8, 400, 7};
  Derived(kPolygonInstrument, 1, 524, "Only from the table");
  plan.Set().ipTrackPolygon[Key(kPolygonInstrument, 524)] = CVIpSvTrackPolygon{1, 400, 7};
  Install();
  TrackAt(OrderTrack(400), {{2, 30.0f}, {4, 10.0f}});
  EXPECT_FALSE(RunPass<CTrackPolygon>(2));  // a source of generation 1 is not for pass 2
  EXPECT_EQ(Result(521), nullptr);
  EXPECT_TRUE(RunPass<CTrackPolygon>(1));
  ASSERT_NE(Result(521), nullptr);
  EXPECT_FLOAT_EQ(Result(521)->value, 20.0f);
  EXPECT_FLOAT_EQ(Result(521)->position, 820.0f);
  EXPECT_EQ(Result(521)->context, kTrackContext);
  EXPECT_EQ(Result(521)->expire, SignalBase::expire_mode);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kPolygonInstrument, 521)), 2u);
  EXPECT_EQ(store.GetMeasuringUnit(Key(kPolygonInstrument, 521)), Decibel());
  ASSERT_NE(Result(522), nullptr);
  EXPECT_FLOAT_EQ(Result(522)->value, 30.0f);
  ASSERT_NE(Result(523), nullptr);
  EXPECT_FLOAT_EQ(Result(523)->value, 10.0f);  // the table's mode 8, not mode 2
  EXPECT_FLOAT_EQ(Result(523)->position, 840.0f);
  ASSERT_NE(Result(524), nullptr);
  EXPECT_FLOAT_EQ(Result(524)->value, 10.0f);
  EXPECT_EQ(output.Text(), "");
}

TEST_F(TrackPolygonTest, MessagesForMissingParametersAndPolygon) {
  plan.Polygon(8, {{850.0f, 1.0f}});
  plan.Quantity(Key(kPolygonInstrument, 530), -1);  // no instrument parameter 530
  Derived(kPolygonInstrument, 1, 531, "No polygon number");
  Calc(531, {{9, "2"}, {8, "400"}});
  PolygonQuantity(532, 2, 8);
  PolygonQuantity(533, 2, 7, 401);  // 401 has no track: skipped silently
  Install();
  TrackAt(OrderTrack(400), {{2, 30.0f}, {4, 10.0f}});
  EXPECT_FALSE(RunPass<CTrackPolygon>(1));
  EXPECT_EQ(
      output.Text(),
      "CTrackPolygon::process(): No Instrument Parameters for Clavis "
      "Run-up / Instrument 10001 / Input bearing / Housing / #530 / Accelerometer"
      "\n"
      "CTrackPolygon::process(): No IpSvTrackPolygon for Clavis "
      "Run-up / Instrument 10001 / Input bearing / Housing / No polygon number / Accelerometer"
      "\n"
      "QSvTrackEval::EvaluateSvOfInterval(): No polygon defined for Clavis "
      "Run-up / Instrument 10001 / Input bearing / Housing / Polygon 532 / Accelerometer"
      "\n");
  for (const int parameter : {530, 531, 532, 533}) EXPECT_EQ(Result(parameter), nullptr);
}

TEST_F(TrackPolygonTest, OnAFallingAxisThePolygonIsWalkedFromItsHighEnd) {
  // A coast-down from 4,000 rpm, 10 rpm per cell: the polygon 0 → 10 → 20 at 3,900, 3,950 and
  // 4,000 rpm lies on cells 10, 5 and 0. Points at cells 0 (25), 3 (14) and 7 (10) give eight
  // samples, cells 0 … 7: d = 5, 10/3, 5/3, 0, then 1, 2, 3 (between cells 3 and 7) and 4.
  plan.Mode(2, "Coast-down").TriggerAxis(2, 1, 1, 1, 4000, -10, 321);
  plan.Polygon(7, {{3900.0f, 0.0f}, {3950.0f, 10.0f}, {4000.0f, 20.0f}});
  Install();
  const QClavis coastDown(2, kOrderTrack, 1, 1, 400, 2);
  TrackAt(coastDown, {{0, 25.0f}, {3, 14.0f}, {7, 10.0f}});
  CSourceTrack track;
  ASSERT_TRUE(track.Find(store, coastDown, 1));
  QSvTrackEval::CPolygonStatistics stats(12);
  QSvTrackEval::CResult result;
  EXPECT_EQ(
      QSvTrackEval::EvalTrackPolygon(CDtParamInstance().IpPolygonValues(), 7, track, stats, result),
      8);
  EXPECT_NEAR(result.value, (25.0 + 100.0 / 9 + 25.0 / 9 + 1 + 4 + 9 + 16) / 8, 1e-4);
}
