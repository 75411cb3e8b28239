// The limits of scalar tracks against a plain implementation written here, over random rising
// and falling trigger axes, polygons of 1 to 20 corners in any x order, learned means,
// deviations and counts, width terms, base learns and limit directions: the same limits, means
// and evaluation modes to the last bit, and the same overall result. Both sides do the same
// float operations in the same order, so no tolerance is needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <vector>

#include "TrackLimitFixture.h"

namespace {

struct Axis {
  double start;
  double step;
  uint32_t count;
};

// n = min(count, 2·tc − 1); n / (n − 1) for n > 1, else 0.
float Correction(uint32_t count, long tc) {
  const long n = std::min<long>(count, 2 * tc - 1);
  return n > 1 ? static_cast<float>(static_cast<double>(n) / static_cast<double>(n - 1)) : 0.0f;
}

double LowEnd(const Axis& axis) {
  return std::min(axis.start, axis.start + (axis.count - 1) * axis.step);
}
double HighEnd(const Axis& axis) {
  return std::max(axis.start, axis.start + (axis.count - 1) * axis.step);
}

int64_t CellOf(const Axis& axis, float x) {
  int64_t cell = std::llround((static_cast<double>(x) - axis.start) / axis.step);
  if (axis.step < 0 && LowEnd(axis) < x) ++cell;
  return cell;
}

struct Reference {
  Axis axis;
  std::map<int64_t, KelLearnSValue> learned;
  unsigned minLearned;
  std::map<int64_t, KelStoreTrackPoint> points;
  int covered = 0;  // points a polygon segment reached

  bool LearnedEnough(int64_t cell) const {
    const auto item = learned.find(cell);
    return item != learned.end() && item->second.count != 0 && item->second.count >= minLearned;
  }

  // kind: 0 upper ceiling, 1 upper floor, 2 lower ceiling, 3 lower floor.
  bool Polygon(const std::vector<CVPoint>& corners, int kind) {
    if (corners.empty()) return true;
    const bool startsBefore = corners[0].x < HighEnd(axis);
    for (size_t i = 1; i < corners.size(); ++i) {
      const CVPoint a = corners[i - 1];
      const CVPoint b = corners[i];
      const int64_t c0 = CellOf(axis, a.x);
      const int64_t c1 = CellOf(axis, b.x);
      const float slope = (b.y - a.y) / (b.x - a.x);
      for (auto& [cell, point] : points) {
        if (cell < std::min(c0, c1) || cell >= std::max(c0, c1)) continue;
        const auto x = static_cast<float>(axis.start + static_cast<double>(cell) * axis.step);
        const float y = (x - a.x) * slope + a.y;
        const bool enough = LearnedEnough(cell);
        ++covered;
        if (kind == 0)
          point.upperLimit = !enough ? y : (y < point.upperLimit ? y : point.upperLimit);
        if (kind == 1 && enough) point.upperLimit = y > point.upperLimit ? y : point.upperLimit;
        if (kind == 2 && enough) point.lowerLimit = y < point.lowerLimit ? y : point.lowerLimit;
        if (kind == 3)
          point.lowerLimit = !enough ? y : (y > point.lowerLimit ? y : point.lowerLimit);
      }
    }
    return startsBefore && corners.back().x > LowEnd(axis);
  }
};

class TrackLimitReferenceTest : public TrackLimitTest {
 protected:
  std::mt19937 rng{20261206};

  float Uniform(float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(rng);
  }
  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

  std::vector<CVPoint> RandomPolygon(const Axis& axis) {
    const double first = axis.start;
    const double last = axis.start + (axis.count - 1) * axis.step;
    const double low = std::min(first, last);
    const double high = std::max(first, last);
    const double margin = 0.2 * (high - low) + 20.0;
    std::vector<CVPoint> corners(static_cast<size_t>(Int(1, 20)));
    for (CVPoint& corner : corners) {
      corner.x = Uniform(static_cast<float>(low - margin), static_cast<float>(high + margin));
      corner.y = Uniform(-50.0f, 400.0f);
    }
    const int order = Int(0, 2);  // ascending, descending, as drawn
    if (order == 0)
      std::sort(corners.begin(), corners.end(), [](auto& a, auto& b) { return a.x < b.x; });
    if (order == 1)
      std::sort(corners.begin(), corners.end(), [](auto& a, auto& b) { return a.x > b.x; });
    return corners;
  }

  static bool Ascending(const std::vector<CVPoint>& corners) {
    return std::is_sorted(corners.begin(), corners.end(),
                          [](const CVPoint& a, const CVPoint& b) { return a.x < b.x; });
  }

  static void ReplacePolygon(TestPlan::Builder& plan, int id, const std::vector<CVPoint>& corners) {
    auto& all = plan.Set().ipPolygonValues;
    all.erase(all.lower_bound({id, 0}), all.lower_bound({id + 1, 0}));
    plan.Polygon(id, corners);
  }
};

}  // namespace

TEST_F(TrackLimitReferenceTest, RandomTracksMatchAPlainImplementation) {
  struct Quantity {
    QClavis key;
    int direction;
    bool learns;
  };
  const std::vector<Quantity> quantities = {
      {track, 2, true}, {low, 1, true}, {band, 3, true}, {raw, 0, true}, {fresh, 2, false}};
  int failures = 0;
  int comparedPoints = 0;
  int coveredPoints = 0;
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE(round);
    const Quantity& q = quantities[static_cast<size_t>(Int(0, 4))];
    const bool rising = round % 2 == 0;
    const Axis axis{Uniform(-1000.0f, 5000.0f), (rising ? 1.0 : -1.0) * Uniform(0.5f, 50.0f),
                    static_cast<uint32_t>(Int(1, 400))};
    const QVIpParamAndStore terms{-1, Uniform(0.0f, 5.0f), Uniform(0.0f, 3.0f),
                                  Uniform(0.0f, 20.0f), true};
    const auto baseLearns = static_cast<uint32_t>(Int(0, 5));
    const float timeConstant = Uniform(1.0f, 200.0f);
    const std::vector<CVPoint> lowerCorners = RandomPolygon(axis);
    const std::vector<CVPoint> upperCorners = RandomPolygon(axis);

    TestPlan::Builder plan = TrackPlan();
    plan.TriggerAxis(kRunUp, 1, 1, 1, axis.start, axis.step, axis.count)
        .LearnProcedure(1, 3, baseLearns, timeConstant)
        .Quantity(q.key, -1, terms.offset, terms.sigmaFactor, terms.percent);
    ReplacePolygon(plan, kLowerPolygon, lowerCorners);
    ReplacePolygon(plan, kUpperPolygon, upperCorners);
    // Corners that go back in x are refused by the plan check but may stand in a database.
    if (Ascending(lowerCorners) && Ascending(upperCorners))
      ASSERT_TRUE(plan.Install());
    else
      InstallUnchecked(plan);
    values.DismissValues();
    learn.LearnedScalarTrack().clear();
    output.Clear();

    Reference reference{axis, {}, q.learns ? baseLearns : UINT_MAX, {}};
    const int trackKey = static_cast<int>(values.TrackScalarStore().GenerateKeyOfDovetar(q.key));
    const int points = Int(1, 60);
    for (int i = 0; i < points; ++i) {
      const int64_t cell = Int(-5, static_cast<int>(axis.count) + 5);
      const float value = Uniform(-100.0f, 300.0f);
      TrackPoint(q.key, cell, value);
      reference.points.insert_or_assign(cell, KelStoreTrackPoint(value));
      if (Int(0, 9) < 6) {
        const float mean = Uniform(-100.0f, 300.0f);
        const KelLearnSValue item(0, static_cast<uint32_t>(Int(0, 5)), 1, mean,
                                  mean * mean + Uniform(-5.0f, 400.0f));
        reference.learned.insert_or_assign(cell, item);
        learn.LearnedScalarTrack()[QIdx1(trackKey)].insert_or_assign(cell, item);
      }
    }

    const bool ok = shop.GenerateValueTrackLimits();

    const long tc = static_cast<long>(timeConstant);
    for (auto& [cell, point] : reference.points) {
      const auto item = reference.learned.find(cell);
      const KelLearnSValue learned =
          item == reference.learned.end() ? KelLearnSValue() : item->second;
      float variance = learned.meanSquare - learned.mean * learned.mean;
      if (variance < 0.0f) variance = 0.0f;
      const float sigma = std::sqrt(variance * (q.learns ? Correction(learned.count, tc) : 0.0f));
      const float r = learned.count == 0 ? point.value : learned.mean;
      const float width = r * 0.01f * terms.percent + sigma * terms.sigmaFactor + terms.offset;
      point.upperLimit = r + width;
      point.lowerLimit = r - width;
      point.evalMode = q.direction;
      point.mean = learned.mean;
    }
    bool overlap = false;
    if (q.direction == 1) {
      const bool first = reference.Polygon(upperCorners, 2);
      overlap = reference.Polygon(lowerCorners, 3) && first;
    } else if (q.direction == 2) {
      const bool first = reference.Polygon(lowerCorners, 1);
      overlap = reference.Polygon(upperCorners, 0) && first;
    } else if (q.direction == 3) {
      const bool first = reference.Polygon(lowerCorners, 3);
      overlap = reference.Polygon(upperCorners, 0) && first;
    }

    coveredPoints += reference.covered;
    EXPECT_EQ(ok, q.learns && overlap);
    failures += ok ? 0 : 1;
    for (const auto& [cell, expected] : reference.points) {
      const KelStoreTrackPoint& actual = Point(q.key, cell);
      ASSERT_EQ(std::bit_cast<uint32_t>(actual.upperLimit),
                std::bit_cast<uint32_t>(expected.upperLimit))
          << "cell " << cell << ": " << actual.upperLimit << " vs " << expected.upperLimit;
      ASSERT_EQ(std::bit_cast<uint32_t>(actual.lowerLimit),
                std::bit_cast<uint32_t>(expected.lowerLimit))
          << "cell " << cell << ": " << actual.lowerLimit << " vs " << expected.lowerLimit;
      ASSERT_EQ(std::bit_cast<uint32_t>(actual.mean), std::bit_cast<uint32_t>(expected.mean));
      ASSERT_EQ(actual.evalMode, expected.evalMode);
      ++comparedPoints;
    }
  }
  // The random plans reach both outcomes and many points.
  EXPECT_GT(failures, 20);
  EXPECT_LT(failures, 380);
  EXPECT_GT(comparedPoints, 5000);
  EXPECT_GT(coveredPoints, 2000);
}
