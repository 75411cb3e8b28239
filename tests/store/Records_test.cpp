#include <gtest/gtest.h>

#include "store/KelStoreError.h"
#include "store/KelStoreSValue.h"
#include "store/KelStoreTrackPoint.h"
#include "store/QValueStoreTrackItem.h"

TEST(Records, DefaultsAndTuples) {
  const KelStoreSValue value;
  EXPECT_EQ(value.tuple(), std::make_tuple(0.0f, 0.0f, 0, 0, 0.0f, 0.0f));
  EXPECT_EQ(value.context, 22u);
  EXPECT_EQ(value.expire, SignalBase::expire_measurement);

  KelStoreSValue measured;
  measured.value = 95.5f;
  measured.position = 23.0f;
  measured.evalMode = QVInstrumentParam::eval_upper;
  measured.aux = 7;
  measured.limit = 100.0f;
  measured.mean = 90.0f;
  measured.context = 4;
  measured.expire = SignalBase::expire_mode;
  const KelStoreSValue copy = measured;
  EXPECT_EQ(copy.tuple(), std::make_tuple(95.5f, 23.0f, 2, 7, 100.0f, 90.0f));
  EXPECT_EQ(copy.context, 4u);
  EXPECT_EQ(copy.expire, SignalBase::expire_mode);

  const KelStoreTrackPoint point(3.5f);
  EXPECT_EQ(point.tuple(), std::make_tuple(3.5f, 0, 0.0f, 0.0f, 0.0f));

  const KelStoreError none;
  EXPECT_EQ(none.sequence, -1);
  EXPECT_EQ(none.tuple(), std::make_tuple(0, 0.0f, 0.0f, 0.0f, 0.0f));
  const KelStoreError error(4711, 101.0f, 100.0f, 90.0f, 23.0f, 5);
  EXPECT_EQ(error.tuple(), std::make_tuple(4711, 101.0f, 100.0f, 90.0f, 23.0f));
  EXPECT_EQ(KelStoreError(error).sequence, 5);
}

TEST(Records, TrackItemTakesTheUnitOfItsFirstPoint) {
  QValueStoreTrackItem<KelStoreTrackPoint> track;
  const CMeasuringUnit db(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);
  track.Insert(1500, KelStoreTrackPoint(80.0f), db);
  track.Insert(800, KelStoreTrackPoint(70.0f), CMeasuringUnit(CMeasuringUnit::cuVolt));
  track.Insert(1500, KelStoreTrackPoint(81.0f), CMeasuringUnit(CMeasuringUnit::cuVolt));
  EXPECT_EQ(track.unit, db);
  ASSERT_EQ(track.points.size(), 2u);
  EXPECT_EQ(track.points.begin()->first, 800);
  EXPECT_EQ(std::prev(track.points.end())->second.value, 81.0f);
}
