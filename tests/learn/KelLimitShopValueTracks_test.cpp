// The limits of scalar tracks: the learned limits per position, the two polygons over rising
// and falling trigger axes, every message, and the limits of one track for display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrackLimitFixture.h"
#include "host/Display.h"

namespace {

const char* const kSummary =
    "CKelLimitShop::GenerateValueTrackLimits(): Some limits couldn't be generated. Please find "
    "details in the output window.\n";
const std::string kKeyPrefix = "CKelLimitShop::GenerateValueTrackLimitOfDovetar(): ";

struct Limits {
  float upper;
  float lower;
};

}  // namespace

TEST_F(TrackLimitTest, TrackWithoutPolygonRecordStaysUnlimitedAndCountsAsSuccess) {
  TrackPoint(unlimited, 10, 7.0f);
  EXPECT_TRUE(shop.GenerateValueTrackLimits());
  const KelStoreTrackPoint& point = Point(unlimited, 10);
  EXPECT_EQ(point.upperLimit, 0.0f);
  EXPECT_EQ(point.lowerLimit, 0.0f);
  EXPECT_EQ(point.evalMode, QVInstrumentParam::eval_none);
  EXPECT_TRUE(output.Lines().empty());
  // Nothing is learned on its behalf either.
  EXPECT_EQ(learn.LearnedScalarTrack().count(values.TrackScalarStore().KeyOfDovetar(unlimited)),
            0u);
}

TEST_F(TrackLimitTest, LearnedLimitsPerPositionAndOwnValueWhereNothingIsLearned) {
  // Both points lie below the polygons' first corner (x 1000), so only the learned limits apply.
  // Cell 0 (x 800): nothing learned: around the value 50, w = 50 · 0.01 · 10 + 0 · 2 + 1 = 6.
  TrackPoint(track, 0, 50.0f);
  // Cell 1 (x 810): 2 learned, mean 20, mean square 408: σ = √(8 · 2) = 4 (correction 2 for two
  // values), w = 20 · 0.01 · 10 + 4 · 2 + 1 = 11 around the mean, whatever the value.
  TrackPoint(track, 1, 25.0f);
  LearnedAt(track, 1, 2, 20.0f, 408.0f);
  EXPECT_TRUE(shop.GenerateValueTrackLimits());
  EXPECT_TRUE(output.Lines().empty());

  const KelStoreTrackPoint& unlearned = Point(track, 0);
  EXPECT_EQ(unlearned.upperLimit, 56.0f);
  EXPECT_EQ(unlearned.lowerLimit, 44.0f);
  EXPECT_EQ(unlearned.mean, 0.0f);
  EXPECT_EQ(unlearned.evalMode, QVInstrumentParam::eval_upper);
  const KelStoreTrackPoint& learned = Point(track, 1);
  EXPECT_EQ(learned.upperLimit, 31.0f);
  EXPECT_EQ(learned.lowerLimit, 9.0f);
  EXPECT_EQ(learned.mean, 20.0f);
  EXPECT_EQ(learned.value, 25.0f);
  // The position without learned value got an empty learned item.
  const auto& learnedTrack =
      learn.LearnedScalarTrack().at(values.TrackScalarStore().KeyOfDovetar(track));
  ASSERT_EQ(learnedTrack.size(), 2u);
  EXPECT_EQ(learnedTrack.at(0).count, 0u);
}

TEST_F(TrackLimitTest, GenerateLimitsLimitsPendingTracksOfVirtualModesUnderTheirBaseMode) {
  const QClavis repeat{kRepeat, 2001, 1, 1, 400, 0};
  TrackPoint(repeat, 0, 50.0f);
  // A track with validation tag 0 waits for nothing and keeps its points as they are.
  values.TrackScalarStore().InsertValue(track, 0, 50.0f, CMeasuringUnit(), 0,
                                        SignalBase::expire_measurement, 0);
  values.TrackScalarStore().Promote(track, 0);
  shop.GenerateLimits();
  EXPECT_EQ(Point(repeat, 0).upperLimit, 56.0f);
  EXPECT_EQ(Point(repeat, 0).evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(Point(track, 0).upperLimit, 0.0f);
  EXPECT_EQ(Point(track, 0).evalMode, QVInstrumentParam::eval_none);
  EXPECT_TRUE(output.Lines().empty());
}

TEST_F(TrackLimitTest, WithoutLearnProcedureTheUpperLimitIsTheUpperPolygonWithinItsRange) {
  // Upper polygon (1000, 50) – (2000, 150) – (3000, 150) on the rising axis 800 + 10·cell.
  for (int64_t cell : {10, 20, 70, 120, 170, 219, 220, 270}) TrackPoint(fresh, cell, 100.0f);
  // Without learn procedure even a well-learned position counts as not learned.
  LearnedAt(fresh, 70, 5, 90.0f, 8100.0f);
  EXPECT_FALSE(shop.GenerateValueTrackLimits());
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{
                kKeyPrefix + "No learn procedure found for '" + Text(fresh) + "'\n", kSummary}));
  EXPECT_EQ(output.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(output.Lines()[0].style, 1);
  EXPECT_EQ(output.Lines()[1].style, 3);

  // Points outside [first corner, last corner) keep their learned limits: around the value
  // (unlearned: 100 ± 11) or around the learned mean (cell 70 would be 90 ± 10).
  const std::vector<std::pair<int64_t, float>> expectedUpper = {
      {10, 111.0f},  {20, 50.0f},   {70, 100.0f},  {120, 150.0f},
      {170, 150.0f}, {219, 150.0f}, {220, 111.0f}, {270, 111.0f}};
  for (const auto& [cell, upper] : expectedUpper) {
    EXPECT_EQ(Point(fresh, cell).upperLimit, upper) << "cell " << cell;
    // The lower-bound polygon only raises an upper limit that is learned enough.
    EXPECT_EQ(Point(fresh, cell).lowerLimit, cell == 70 ? 80.0f : 89.0f) << "cell " << cell;
  }
}

TEST_F(TrackLimitTest, DirectionsDecideWhichPolygonBoundsWhichLimit) {
  // Cell 70 (x 1500): learned enough, mean 200, σ 0: 200 ± 21. The polygons there: lower 10,
  // upper 100. Cell 20 (x 1000): nothing learned, value 0: 0 ± 1; the polygons there 5 and 50.
  for (const QClavis& key : {low, band, raw}) {
    TrackPoint(key, 20, 0.0f);
    TrackPoint(key, 70, 7.0f);
    LearnedAt(key, 70, 2, 200.0f, 40000.0f);
  }
  EXPECT_FALSE(shop.GenerateValueTrackLimits());
  // Only the track without limit direction makes no polygon call, so nothing overlaps.
  EXPECT_EQ(Texts(output), (std::vector<std::string>{
                               kKeyPrefix + "Polygon doesn't overlap with trigger interval for '" +
                                   Text(raw) + "'\n",
                               kSummary}));

  const auto limits = [this](const QClavis& key, int64_t cell) {
    const KelStoreTrackPoint& point = Point(key, cell);
    return Limits{point.upperLimit, point.lowerLimit};
  };
  // Lower (1): the upper-bound polygon caps a learned lower limit (179 → 100), the lower-bound
  // polygon sets an unlearned one (−1 → 5); upper limits stay learned.
  EXPECT_EQ(limits(low, 70).lower, 100.0f);
  EXPECT_EQ(limits(low, 70).upper, 221.0f);
  EXPECT_EQ(limits(low, 20).lower, 5.0f);
  EXPECT_EQ(limits(low, 20).upper, 1.0f);
  // Interval (3): the upper limit is capped by (learned) or set to (unlearned) the upper-bound
  // polygon, the lower limit raised to or set to the lower-bound polygon.
  EXPECT_EQ(limits(band, 70).upper, 100.0f);
  EXPECT_EQ(limits(band, 70).lower, 179.0f);
  EXPECT_EQ(limits(band, 20).upper, 50.0f);
  EXPECT_EQ(limits(band, 20).lower, 5.0f);
  // No direction: learned limits, no polygon, evaluation mode 0.
  EXPECT_EQ(limits(raw, 70).upper, 221.0f);
  EXPECT_EQ(limits(raw, 70).lower, 179.0f);
  EXPECT_EQ(Point(raw, 70).evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(Point(low, 70).evalMode, QVInstrumentParam::eval_lower);
  EXPECT_EQ(Point(band, 70).evalMode, QVInstrumentParam::eval_interval);
}

TEST_F(TrackLimitTest, EachPolygonKindBoundsItsLimitFromItsSide) {
  // Upper polygon 11 over the rising axis: y 90 at cell 60 (x 1400), 100 at cell 70 (x 1500),
  // 150 at cell 170 (x 2500). Cells 60 and 70 are learned enough (2 of 2), 170 has learned one
  // value too few, 171 none.
  const CTriggerStore::CInterval interval(800, 10, 321, 0);
  constexpr int kTrackKey = 77;
  auto& learnedTrack = learn.LearnedScalarTrack()[QIdx1(kTrackKey)];
  for (int64_t cell : {60, 70}) learnedTrack.insert_or_assign(cell, KelLearnSValue(0, 2, 1, 0, 0));
  learnedTrack.insert_or_assign(170, KelLearnSValue(0, 1, 1, 0, 0));
  learnedTrack.insert_or_assign(171, KelLearnSValue(0, 0, 1, 0, 0));

  struct Case {
    CKelLimitShop::ePolyLimit kind;
    // Upper and lower limits of cells 60, 70, 170 and 171 afterwards.
    std::vector<Limits> expected;
  };
  const float y171 = 150.0f;
  const std::vector<Case> cases = {
      {CKelLimitShop::upper_ceiling, {{85, 95}, {100, 80}, {150, 80}, {y171, 80}}},
      {CKelLimitShop::upper_floor, {{90, 95}, {120, 80}, {120, 80}, {120, 80}}},
      {CKelLimitShop::lower_ceiling, {{85, 90}, {120, 80}, {120, 80}, {120, 80}}},
      {CKelLimitShop::lower_floor, {{85, 95}, {120, 100}, {120, 150}, {120, y171}}},
  };
  for (const Case& c : cases) {
    CKelLimitShop::track_points_t points;
    KelStoreTrackPoint below(0.0f);  // limits 85 and 95: below and above the polygon's 90
    below.upperLimit = 85.0f;
    below.lowerLimit = 95.0f;
    KelStoreTrackPoint around(0.0f);  // limits 120 and 80 around the polygon
    around.upperLimit = 120.0f;
    around.lowerLimit = 80.0f;
    points.insert_or_assign(60, below);
    for (int64_t cell : {70, 170, 171}) points.insert_or_assign(cell, around);
    EXPECT_TRUE(shop.ApplyPolygon2Limit(points, learn.LearnedScalarTrack(), kTrackKey,
                                        kUpperPolygon, 0, interval, c.kind, 2));
    size_t i = 0;
    for (int64_t cell : {60, 70, 170, 171}) {
      EXPECT_EQ(points.at(cell).upperLimit, c.expected[i].upper) << c.kind << " cell " << cell;
      EXPECT_EQ(points.at(cell).lowerLimit, c.expected[i].lower) << c.kind << " cell " << cell;
      ++i;
    }
  }
  // A learned count of 0 is never enough, not even when no base learns are asked for.
  CKelLimitShop::track_points_t unlearned;
  KelStoreTrackPoint around(0.0f);
  around.upperLimit = 120.0f;
  unlearned.insert_or_assign(171, around);
  EXPECT_TRUE(shop.ApplyPolygon2Limit(unlearned, learn.LearnedScalarTrack(), kTrackKey,
                                      kUpperPolygon, 0, interval, CKelLimitShop::upper_ceiling, 0));
  EXPECT_EQ(unlearned.at(171).upperLimit, 150.0f);
  // A polygon without corners bounds nothing and counts as overlapping.
  CKelLimitShop::track_points_t points;
  points.insert_or_assign(70, KelStoreTrackPoint(3.0f));
  EXPECT_TRUE(shop.ApplyPolygon2Limit(points, learn.LearnedScalarTrack(), kTrackKey, 99, 0,
                                      interval, CKelLimitShop::upper_ceiling, 2));
  EXPECT_EQ(points.at(70).upperLimit, 0.0f);
}

TEST_F(TrackLimitTest, PolygonOutsideTheTriggerIntervalIsReported) {
  // The rising axis runs from 800 (start) to 4000 (stop). A polygon overlaps when its first x
  // lies below the stop and its last x above the start.
  struct Case {
    std::vector<CVPoint> corners;
    bool overlaps;
  };
  const std::vector<Case> cases = {
      {{{5000, 1}, {6000, 1}}, false},  // wholly above the stop
      {{{100, 1}, {500, 1}}, false},    // wholly below the start
      {{{4000, 1}, {5000, 1}}, false},  // begins at the stop
      {{{100, 1}, {800, 1}}, false},    // ends at the start
      {{{3999, 1}, {5000, 1}}, true},
      {{{100, 1}, {801, 1}}, true},
      {{{0, 7}}, false},    // a single corner below the start
      {{{1000, 7}}, true},  // a single corner inside: it covers no cell
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(TrackPlan().Polygon(20, c.corners).CurveLimit(track, -1, 20).Install());
    values.DismissValues();
    output.Clear();
    TrackPoint(track, 0, 50.0f);
    LearnedAt(track, 0, 2, 50.0f, 2500.0f);
    EXPECT_EQ(shop.GenerateValueTrackLimits(), c.overlaps) << c.corners.front().x;
    if (c.overlaps) {
      EXPECT_TRUE(output.Lines().empty());
    } else {
      EXPECT_EQ(Texts(output),
                (std::vector<std::string>{
                    kKeyPrefix + "Polygon doesn't overlap with trigger interval for '" +
                        Text(track) + "'\n",
                    kSummary}));
    }
    // No polygon covers cell 0 (x 800): the learned limits 50 ± 6 stay.
    EXPECT_EQ(Point(track, 0).upperLimit, 56.0f);
    EXPECT_EQ(Point(track, 0).lowerLimit, 44.0f);
  }
}

TEST_F(TrackLimitTest, FallingAxisShiftsCornersAboveTheLowEndByOneCell) {
  // Axis 4000 − 10·cell, spanning 800..4000. Cells grow as x falls, so a corner above the low
  // end (800) moves one cell on and each segment covers the positions from its left corner up
  // to, not including, its right corner, as on a rising axis. Polygon (3000, 20) – (3500, 30) –
  // (3600, 30) lies at cells 100, 50 and 40 and moves to 101, 51 and 41. Without learn
  // procedure the upper limit becomes the polygon on cells 41..100 (x 3590 down to 3000); the
  // points at x 3600 and 2990 keep their limits around the value (100 ± 11).
  TestPlan::Builder plan = TrackPlan();
  plan.Polygon(kFallingPolygon, {{3000, 20}, {3500, 30}, {3600, 30}});
  ASSERT_TRUE(plan.Install());
  for (int64_t cell : {40, 41, 50, 51, 75, 100, 101}) TrackPoint(falling, cell, 100.0f);
  EXPECT_FALSE(shop.GenerateValueTrackLimits());
  // The polygon overlaps the axis: only the missing learn procedure is reported.
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{
                kKeyPrefix + "No learn procedure found for '" + Text(falling) + "'\n", kSummary}));
  const std::vector<std::pair<int64_t, float>> expectedUpper = {
      {40, 111.0f}, {41, 30.0f},  {50, 30.0f},  {51, 29.8f},
      {75, 25.0f},  {100, 20.0f}, {101, 111.0f}};
  for (const auto& [cell, upper] : expectedUpper)
    EXPECT_EQ(Point(falling, cell).upperLimit, upper) << "cell " << cell;
}

TEST_F(TrackLimitTest, PolygonsBeyondEitherEndOfAFallingAxisDoNotOverlap) {
  // Axis 4000 down to 800: a polygon wholly above 4000 or wholly below 800 misses it, whichever
  // way the axis runs; its points keep the limits around the value.
  for (const std::vector<CVPoint>& corners :
       {std::vector<CVPoint>{{4000, 20}, {4500, 20}}, std::vector<CVPoint>{{300, 20}, {800, 20}}}) {
    TestPlan::Builder plan = TrackPlan();
    plan.Polygon(kFallingPolygon, corners);
    ASSERT_TRUE(plan.Install());
    output.Clear();
    TrackPoint(falling, 160, 100.0f);
    EXPECT_FALSE(shop.GenerateValueTrackLimits());
    EXPECT_EQ(Texts(output),
              (std::vector<std::string>{
                  kKeyPrefix + "No learn procedure found for '" + Text(falling) + "'\n",
                  kKeyPrefix + "Polygon doesn't overlap with trigger interval for '" +
                      Text(falling) + "'\n",
                  kSummary}));
    EXPECT_EQ(Point(falling, 160).upperLimit, 111.0f);
  }
}

TEST_F(TrackLimitTest, TracksWithoutTriggerAxisAreReportedAndKeepTheirPoints) {
  InstallWithoutTriggerAxes();
  TrackPoint(noAxis, 3, 10.0f);
  TrackPoint(noDimension, 3, 10.0f);
  EXPECT_FALSE(shop.GenerateValueTrackLimits());
  // In track-key order: noAxis got its key first.
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{
                kKeyPrefix + "No parameters found for trigger 'Output shaft speed' and quantity '" +
                    Text(noAxis) + "'\n",
                kKeyPrefix + "No definite dimension tracked by trigger 'Torque' for quantity '" +
                    Text(noDimension) + "'\n",
                kSummary}));
  EXPECT_EQ(output.Lines()[0].style, 1);
  for (const QClavis& key : {noAxis, noDimension}) {
    EXPECT_EQ(Point(key, 3).upperLimit, 0.0f);
    EXPECT_EQ(Point(key, 3).evalMode, QVInstrumentParam::eval_none);
  }
}

TEST_F(TrackLimitTest, MissingParameterRecordsSkipTheTrackWithAMessage) {
  TestPlan::Builder plan = TrackPlan();
  plan.Set().ipParamAndStore.erase(track);
  plan.Set().instrumentParam.erase(QIdx1(401));
  ParamDatabase::Install(std::make_shared<const CParamSet>(plan.Set()));
  TrackPoint(track, 3, 10.0f);
  TrackPoint(low, 3, 10.0f);
  EXPECT_FALSE(shop.GenerateValueTrackLimits());
  EXPECT_EQ(Texts(output),
            (std::vector<std::string>{
                kKeyPrefix + "not parametrized for " + Text(track) + "\n",
                kKeyPrefix + "illegal instrument parameter in " + Text(low) + "\n", kSummary}));
  EXPECT_EQ(Point(track, 3).evalMode, QVInstrumentParam::eval_none);
  EXPECT_EQ(Point(low, 3).evalMode, QVInstrumentParam::eval_none);
}

TEST_F(TrackLimitTest, RetrieveSvTrackLimitShowsStoredOrLearnedLimits) {
  CVisDataPolygon upper;
  CVisDataPolygon lower;
  upper.AddPoint(1, 1);  // left over from an earlier use: emptied
  // No LimCValue record, or no track key yet: nothing to show.
  EXPECT_EQ(shop.RetrieveSvTrackLimit(unlimited, upper, lower, true), 0);
  EXPECT_EQ(upper.NPoints(), 0);
  EXPECT_EQ(shop.RetrieveSvTrackLimit(track, upper, lower, true), 0);

  // Learned at cells 20 (x 1000: mean 100 → 111, capped to the polygon's 50) and 70 (x 1500:
  // mean 200 → 221, capped to 100); the lower limits stay 89 and 179.
  LearnedAt(track, 20, 2, 100.0f, 10000.0f);
  LearnedAt(track, 70, 2, 200.0f, 40000.0f);
  EXPECT_EQ(shop.RetrieveSvTrackLimit(track, upper, lower, true), QVInstrumentParam::eval_upper);
  using P = CVisDataPolygon::Point;
  const auto points = [](const CVisDataPolygon& polygon) {
    std::vector<std::pair<double, double>> xy;
    for (const P& p : polygon.Points()) xy.emplace_back(p.x, p.y);
    return xy;
  };
  using XY = std::vector<std::pair<double, double>>;
  EXPECT_EQ(points(upper), (XY{{1000, 50}, {1500, 100}}));
  EXPECT_EQ(points(lower), (XY{{1000, 89}, {1500, 179}}));
  EXPECT_EQ(upper.Completed(), 1);

  // A stored track without generated limits is not shown; once limited, it is (when preferred).
  TrackPoint(track, 0, 50.0f);
  EXPECT_EQ(shop.RetrieveSvTrackLimit(track, upper, lower, true), QVInstrumentParam::eval_upper);
  EXPECT_EQ(points(upper), (XY{{1000, 50}, {1500, 100}}));
  EXPECT_TRUE(shop.GenerateValueTrackLimits());
  EXPECT_EQ(shop.RetrieveSvTrackLimit(track, upper, lower, true), QVInstrumentParam::eval_upper);
  EXPECT_EQ(points(upper), (XY{{800, 56}}));
  EXPECT_EQ(points(lower), (XY{{800, 44}}));
  // Not preferred: from what is learned, also at cell 0 now (an empty item: 0 ± 1).
  EXPECT_EQ(shop.RetrieveSvTrackLimit(track, upper, lower, false), QVInstrumentParam::eval_upper);
  EXPECT_EQ(points(upper), (XY{{800, 1}, {1000, 50}, {1500, 100}}));

  // A trigger axis that cannot be found: nothing to show.
  InstallWithoutTriggerAxes();
  TrackPoint(noAxis, 3, 10.0f);
  EXPECT_EQ(shop.RetrieveSvTrackLimit(noAxis, upper, lower, false), 0);
  EXPECT_EQ(upper.NPoints(), 0);
}
