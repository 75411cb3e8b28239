#include "host/Description.h"

#include <gtest/gtest.h>

#include <memory>

#include "host/AlignedMem.h"
#include "host/Display.h"

TEST(Description, DefaultsDimensionsAndEquality) {
  const CDescription empty;
  EXPECT_EQ(empty.XDims(), 1u);
  EXPECT_EQ(empty.YDims(), 1u);
  EXPECT_EQ(empty.Size(0), 0u);
  EXPECT_EQ(empty.Delta(0), 1.0f);
  EXPECT_EQ(empty.X(0).start, 0.0f);
  EXPECT_EQ(empty.XUnit(0), CMeasuringUnit());
  EXPECT_EQ(empty.YUnit(), CMeasuringUnit());
  EXPECT_EQ(empty.TotalSize(), 0u);

  const CMeasuringUnit order(CMeasuringUnit::cuOrder);
  const CMeasuringUnit accel(CMeasuringUnit::cuMetrePerSecond2);
  CDescription spectrum(400, 0.25f, order, accel);
  EXPECT_EQ(spectrum.Size(0), 400u);
  EXPECT_EQ(spectrum.Delta(0), 0.25f);
  EXPECT_EQ(spectrum.XUnit(0), order);
  EXPECT_EQ(spectrum.YUnit(), accel);
  EXPECT_EQ(spectrum.TotalSize(), 400u);
  EXPECT_EQ(spectrum, CDescription(400, 0.25f, order, accel));
  EXPECT_FALSE(spectrum == CDescription(400, 0.5f, order, accel));
  EXPECT_FALSE(spectrum == CDescription(400, 0.25f, order, CMeasuringUnit()));
  EXPECT_FALSE(spectrum == CDescription(401, 0.25f, order, accel));

  // A second x dimension multiplies the size; dropping it again restores equality.
  CDescription grid = spectrum;
  grid.SetXDims(2);
  EXPECT_EQ(grid.X(1), CXDimension{});
  grid.X(1).size = 30;
  EXPECT_EQ(grid.TotalSize(), 12000u);
  EXPECT_FALSE(grid == spectrum);
  grid.SetXDims(1);
  EXPECT_EQ(grid, spectrum);
  grid.SetYDims(2);
  EXPECT_FALSE(grid == spectrum);

  CDescription huge;
  huge.SetXDims(3);
  for (uint32_t i = 0; i < 3; ++i) huge.X(i).size = 100000;
  EXPECT_EQ(huge.TotalSize(), 1000000000000000u);  // no 32-bit overflow
}

TEST(Display, PolygonRestartsAndRecordsShareSamples) {
  CVisDataPolygon polygon;
  polygon.AddPoint(1.0, 2.0);
  polygon.PolygonCompleted(1);
  EXPECT_EQ(polygon.NPoints(), 1);
  EXPECT_EQ(polygon.Completed(), 1);
  polygon.StartPolygon(4);
  EXPECT_EQ(polygon.NPoints(), 0);
  EXPECT_EQ(polygon.Completed(), 0);
  for (int i = 0; i < 6; ++i) polygon.AddPoint(i, -i);  // grows beyond the reserved room
  ASSERT_EQ(polygon.NPoints(), 6);
  EXPECT_EQ(polygon.Points()[5].x, 5.0);
  EXPECT_EQ(polygon.Points()[5].y, -5.0);

  CVisDataVector vector;
  EXPECT_EQ(vector.Data(), nullptr);
  auto samples = std::make_shared<CAlignedMem<float>>(8);
  samples->data()[2] = 4.5f;
  vector.samples = samples;
  EXPECT_EQ(vector.Data(), samples->data());
  EXPECT_EQ(vector.Data()[2], 4.5f);
}
