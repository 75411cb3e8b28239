#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/TestPlanBuilder.h"
#include "params/PolygonCurve.h"
#include "params/SignalNames.h"

namespace {

class ParamsViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("views");
    plan.Polygon(3, {{0, 100}, {20, 110}, {50, 105}})
        .Polygon(4, {{7, 1}})
        .Signal(5, "Accelerometer A1", CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2))
        .Signal(12, "Microphone", CMeasuringUnit(CMeasuringUnit::cuPascal))
        .Signal(13, "", CMeasuringUnit());
    builder = plan;
    ASSERT_TRUE(plan.Install());
  }
  void TearDown() override { ParamDatabase::Reset(); }
  TestPlan::Builder builder{"copy"};
};

CDescription WithChannels(std::initializer_list<CYChannel> channels) {
  CDescription description;
  description.SetYDims(static_cast<uint32_t>(channels.size()));
  uint32_t i = 0;
  for (const CYChannel& channel : channels) description.Y(i++) = channel;
  return description;
}

}  // namespace

TEST_F(ParamsViewTest, PolygonCurves) {
  const CDtParamInstance params;
  CVisDataPolygon out;
  out.AddPoint(1, 1);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, -1, out), 0);
  EXPECT_EQ(out.NPoints(), 0);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, 3, out), 3);
  EXPECT_EQ(out.Completed(), 1);
  EXPECT_EQ(out.Points()[1].x, 20.0);
  EXPECT_EQ(out.Points()[2].y, 105.0);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, 4, out), 1);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, 9, out), 0);
}

// Polygon numbers are any int32: the largest one has no next number, its points run to the
// end of the table, and its neighbour below keeps exactly its own points.
TEST(PolygonCurve, LargestPolygonNumbers) {
  constexpr int kLargest = std::numeric_limits<int32_t>::max();
  TestPlan::Builder plan("extremes");
  plan.Polygon(kLargest - 1, {{1, 10}, {2, 20}})
      .Polygon(kLargest, {{5, 50}, {6, 60}, {7, 70}})
      .Polygon(std::numeric_limits<int32_t>::min(), {{-1, -10}});
  ASSERT_TRUE(plan.Install());
  const CDtParamInstance params;
  CVisDataPolygon out;
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, kLargest, out), 3);
  EXPECT_EQ(out.Completed(), 1);
  ASSERT_EQ(out.NPoints(), 3);
  EXPECT_EQ(out.Points()[0].x, 5.0);
  EXPECT_EQ(out.Points()[2].y, 70.0);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, kLargest - 1, out), 2);
  EXPECT_EQ(out.Points()[1].y, 20.0);
  EXPECT_EQ(Kelva::GeneratePolygonCurve(params, std::numeric_limits<int32_t>::min(), out), 1);
  EXPECT_EQ(out.Points()[0].y, -10.0);
  ParamDatabase::Reset();
}

TEST_F(ParamsViewTest, SignalNames) {
  EXPECT_TRUE(CSignalNames(WithChannels({})).names().empty());
  CSignalNames withInvalid;
  withInvalid.add_invalid(true);
  withInvalid.set(WithChannels({}));
  EXPECT_EQ(withInvalid.names(), (std::map<int, std::string>{{-1, "\u2014"}}));

  const CDescription description =
      WithChannels({{0, 12},
                    {CYChannel::flagCan, 5},
                    {CYChannel::flagCombined, 0xffff0005u},
                    {0, 13},
                    {CYChannel::flagCombined | CYChannel::flagCan, 1}});
  EXPECT_EQ(CSignalNames(description).names(),
            (std::map<int, std::string>{{0, "Microphone"},
                                        {1, "CAN"},
                                        {2, "\u2014 | Accelerometer A1"},
                                        {3, "\u2014"},
                                        {4, "CAN"}}));

  builder.Set().showIdsInDialogs = true;
  ASSERT_TRUE(builder.Install());
  EXPECT_EQ(CSignalNames(WithChannels({{0, 12}})).names().at(0), "Microphone (12)");
}
