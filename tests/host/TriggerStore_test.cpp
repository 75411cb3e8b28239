#include "host/TriggerStore.h"

#include <gtest/gtest.h>

#include "host/Params.h"
#include "host/SpecInterval.h"
#include "host/TestPlanBuilder.h"

namespace {

class AxesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("axes");
    plan.Mode(1, "Run-up")
        .Mode(2, "Coast-down")
        .Mode(3, "Hold 1500 rpm")
        .Mode(4, "Torque sweep")
        .Mode(5, "Speed and torque sweep")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Signal(2, "Torque", CMeasuringUnit(CMeasuringUnit::cuNewtonMetre))
        .Trigger(1, "Input shaft speed")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321)
        .TriggerAxis(2, 1, 1, 2, 0, 5, 10, false)
        .TriggerAxis(2, 1, 2, 1, 4000, -10, 321, true)
        .TriggerAxis(4, 1, 1, 2, 0, 5, 10, false)
        .TriggerAxis(4, 1, 2, 1, 800, 10, 321, false)
        .TriggerAxis(5, 1, 1, 2, 0, 5, 10, true)
        .TriggerAxis(5, 1, 2, 1, 800, 10, 321, true);
    plan.Set().modeInfo[1].rotorRatios = {{3, 0.5f}};
    plan.Set().modeInfo[3].referenceSpeed = 25.0f;  // 1500 rpm
    ASSERT_TRUE(plan.Install());
  }
  void TearDown() override { ParamDatabase::Reset(); }
  CDtParamInstance params;
};

QVSpecIntervalEntry Band(bool orders, float low, float high, int rotor = -1, int domain = 2) {
  QVSpecIntervalEntry entry;
  entry.definition = {domain, orders, rotor, low, high};
  return entry;
}

}  // namespace

TEST_F(AxesTest, CellsAndPositionsOnRaisingAndFallingAxes) {
  const CTriggerStore store(params);
  EXPECT_EQ(store.Dimension(1, 1), 0);
  EXPECT_EQ(store.Dimension(2, 1), 1);   // the tracked one, not the first
  EXPECT_EQ(store.Dimension(3, 1), -2);  // no axis in the mode: no trigger parameters
  EXPECT_EQ(store.Dimension(1, 2), -2);  // an unknown trigger
  EXPECT_EQ(store.Dimension(1, -1), -2);
  EXPECT_EQ(store.Dimension(4, 1), -1);  // axes, none tracked: no definite dimension
  EXPECT_EQ(store.Dimension(5, 1), -1);  // two tracked: no definite dimension either
  EXPECT_EQ(store.TrackedCells(1, 1), 321u);
  EXPECT_EQ(store.TrackedCells(2, 1), 321u);  // the tracked dimension's 321, not the first's 10
  EXPECT_EQ(store.TrackedCells(3, 1), 0u);
  EXPECT_EQ(store.TrackedCells(4, 1), 0u);  // not the first axis's 10 cells
  EXPECT_EQ(store.TrackedCells(5, 1), 0u);

  CTriggerStore::CInterval up;
  ASSERT_TRUE(store.field(1, 1, 0, up));
  EXPECT_TRUE(up.raising());
  EXPECT_EQ(up.stop(), 4000.0);
  CTriggerStore::CInterval down;
  ASSERT_TRUE(store.field(2, 1, 1, down));
  EXPECT_FALSE(down.raising());
  EXPECT_EQ(down.start(), 4000.0);
  EXPECT_EQ(down.stop(), 800.0);
  CTriggerStore::CInterval missing;
  EXPECT_FALSE(store.field(3, 1, 0, missing));

  for (const CTriggerStore::CInterval& axis : {up, down}) {
    const unsigned d = axis.dimension();
    for (int64_t c : {0, 1, 57, 320}) {
      float x = 0;
      ASSERT_TRUE(CTriggerStore::position(axis, c, d, x));
      int64_t back = -1;
      ASSERT_TRUE(CTriggerStore::cell(axis, d, x, back));
      EXPECT_EQ(back, c);
    }
  }
  float x = 0;
  ASSERT_TRUE(CTriggerStore::position(down, 3, 1, x));
  EXPECT_EQ(x, 3970.0f);
  int64_t c = 0;
  ASSERT_TRUE(CTriggerStore::cell(up, 0, 1234.0f, c));
  EXPECT_EQ(c, 43);  // 1234 rounds to 1230
  ASSERT_TRUE(CTriggerStore::cell(up, 0, 1236.0f, c));
  EXPECT_EQ(c, 44);
  ASSERT_TRUE(CTriggerStore::cell(up, 0, 1236.0f, c, false));
  EXPECT_EQ(c, 43);
  ASSERT_TRUE(CTriggerStore::cell(down, 1, 3985.0f, c, false));
  EXPECT_EQ(c, 1);  // at or before 3985 in axis direction: 3990

  // Another dimension or an empty interval converts nothing.
  x = 7.0f;
  EXPECT_FALSE(CTriggerStore::position(up, 1, 1, x));
  up.clear();
  EXPECT_FALSE(CTriggerStore::position(up, 1, 0, x));
  EXPECT_EQ(x, 7.0f);
  EXPECT_FALSE(CTriggerStore::cell(down, 1, std::numeric_limits<float>::infinity(), c));
}

TEST_F(AxesTest, BandsBecomeBinRanges) {
  CDtSpecInterval bands(params);
  bands.LoadTransformParams(1, 1, 1);
  CDtSpecInterval::IndexInterval range;
  // Orders 22.5 ... 23.5 at 0.05 orders per bin: bins 450 ... 470, edges included.
  ASSERT_EQ(bands.IndexRange(Band(true, 22.5f, 23.5f), range, 1001, 0.05f), 0);
  EXPECT_EQ(range.first, 450u);
  EXPECT_EQ(range.last, 470u);
  // Clipped to the spectrum.
  ASSERT_EQ(bands.IndexRange(Band(true, 48.0f, 60.0f), range, 1001, 0.05f), 0);
  EXPECT_EQ(range.first, 960u);
  EXPECT_EQ(range.last, 1000u);
  // Orders of rotor 3 (half the reference speed): 20 ... 22 rotor orders are 10 ... 11.
  ASSERT_EQ(bands.IndexRange(Band(true, 20.0f, 22.0f, 3), range, 1001, 0.05f), 0);
  EXPECT_EQ(range.first, 200u);
  EXPECT_EQ(range.last, 220u);
  // Outside, or between two bins: 1.
  EXPECT_EQ(bands.IndexRange(Band(true, 60.0f, 70.0f), range, 1001, 0.05f), 1);
  EXPECT_EQ(bands.IndexRange(Band(true, 1.01f, 1.02f), range, 1001, 0.05f), 1);
  // Cannot be computed: 2.
  EXPECT_EQ(bands.IndexRange(Band(true, 1.0f, 2.0f, 1, 3), range, 1001, 0.05f), 2);  // combined
  EXPECT_EQ(bands.IndexRange(Band(true, 1.0f, 2.0f, 7), range, 1001, 0.05f), 2);     // no rotor 7
  EXPECT_EQ(bands.IndexRange(Band(false, 100.0f, 200.0f), range, 1001, 0.05f), 2);   // no speed
  EXPECT_EQ(bands.IndexRange(Band(true, 1.0f, 2.0f), range, 1001, 0.0f), 2);

  // A constant-speed mode converts between hertz and orders: 25 Hz reference speed.
  bands.LoadTransformParams(3, 1, 1);
  ASSERT_EQ(bands.IndexRange(Band(false, 100.0f, 200.0f), range, 1001, 0.05f), 0);
  EXPECT_EQ(range.first, 80u);  // 4 orders
  EXPECT_EQ(range.last, 160u);  // 8 orders
  ASSERT_EQ(bands.IndexRange(Band(true, 4.0f, 8.0f), range, 4001, 2.5f,
                             CMeasuringUnit(CMeasuringUnit::cuHertz)),
            0);
  EXPECT_EQ(range.first, 40u);
  EXPECT_EQ(range.last, 80u);
  float low = 0, high = 0;
  ASSERT_EQ(bands.FrequencyRange(Band(true, 22.5f, 23.5f), low, high), 0);
  EXPECT_EQ(low, 22.5f);
  ASSERT_EQ(bands.FrequencyRange(Band(false, 1000.0f, 1200.0f), low, high), 0);
  EXPECT_EQ(high, 1200.0f);
  EXPECT_EQ(bands.FrequencyRange(Band(true, 1.0f, 2.0f, 1, 3), low, high), 2);
}
