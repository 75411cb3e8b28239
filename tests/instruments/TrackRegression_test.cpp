// CTrackRegression: the straight line fitted to a scalar track.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "eval/TrackRegression.h"
#include "instruments/TrackSvFixture.h"

namespace {

constexpr int kRegression = CTrackRegression::kInstrument;

}  // namespace

class TrackRegressionTest : public TrackSvTest {
 protected:
  void Regression(int parameter, const std::string& type, int source = 400) {
    Derived(kRegression, 1, parameter, "Regression " + std::to_string(parameter));
    Calc(parameter, {{8, std::to_string(source)}, {17, type}});
  }
  const KelStoreSValue* Result(int parameter) const { return Value(Key(kRegression, parameter)); }
};

TEST_F(TrackRegressionTest, LineThroughTheTrackGivesSlopeAndIntercept) {
  // Points on y = 2x + 1 at x = 800, 820, 840 rpm (cells 0, 2, 4).
  Regression(541, "1");
  Regression(542, "0");
  Regression(543, "2");
  Install();
  TrackAt(OrderTrack(400), {{0, 1601.0f}, {2, 1641.0f}, {4, 1681.0f}});
  EXPECT_FALSE(RunPass<CTrackRegression>(2));
  EXPECT_EQ(Result(541), nullptr);
  EXPECT_TRUE(RunPass<CTrackRegression>(1));
  ASSERT_NE(Result(541), nullptr);
  ASSERT_NE(Result(542), nullptr);
  ASSERT_NE(Result(543), nullptr);
  EXPECT_FLOAT_EQ(Result(541)->value, 2.0f);
  EXPECT_FLOAT_EQ(Result(542)->value, 1.0f);
  EXPECT_FLOAT_EQ(Result(543)->value, 0.0f);
  EXPECT_FLOAT_EQ(Result(541)->position, 0.0f);
  EXPECT_EQ(Result(541)->context, kTrackContext);
  EXPECT_EQ(Result(541)->expire, SignalBase::expire_mode);
  EXPECT_EQ(SourceGeneration::OfSValue(store, Key(kRegression, 541)), 2u);
  EXPECT_EQ(store.GetMeasuringUnit(Key(kRegression, 541)), Decibel());
  EXPECT_EQ(output.Text(), "CTrackRegression::Regression -- unknown calculation requested\n");
}

TEST_F(TrackRegressionTest, RegressionOfVectors) {
  // Points around the line y = −0.5x + 3.75.
  const std::vector<float> x{0.0f, 2.0f, 4.0f, 6.0f};
  const std::vector<float> y{4.0f, 2.5f, 1.5f, 1.0f};
  // x̄ = 3, ȳ = 2.25, Sxy = 17, Sxx = 56: b = (17 − 27) / (56 − 36) = −0.5, a = 3.75.
  EXPECT_FLOAT_EQ(CTrackRegression::Regression(x, y, 1), -0.5f);
  EXPECT_FLOAT_EQ(CTrackRegression::Regression(x, y, 0), 3.75f);
  EXPECT_TRUE(std::isnan(CTrackRegression::Regression({5.0f}, {1.0f}, 1)));
}

TEST_F(TrackRegressionTest, MessagesForMissingParameters) {
  plan.Quantity(Key(kRegression, 550), -1);  // no instrument parameter 550
  Derived(kRegression, 1, 551, "No type");
  Calc(551, {{8, "400"}});
  Regression(552, "1", 999);  // no parameter 999
  Regression(553, "1", 401);  // 401 has no track: skipped silently
  Install();
  TrackAt(OrderTrack(400), {{0, 1.0f}, {1, 2.0f}});
  EXPECT_FALSE(RunPass<CTrackRegression>(1));
  EXPECT_EQ(output.Text(),
            "CTrackRegression::process(): No Instrument Parameters for Clavis "
            "Run-up / Instrument 16000 / Input bearing / Housing / #550 / Accelerometer"
            "\n"
            "CTrackRegression::process(): No IpTrackRegression for Clavis "
            "Run-up / Instrument 16000 / Input bearing / Housing / No type / Accelerometer"
            "\n"
            "CTrackRegression::process(): No Source-Instrument Parameters for Clavis "
            "Run-up / Instrument 16000 / Input bearing / Housing / Regression 552 / Accelerometer"
            "\n");
  for (const int parameter : {550, 551, 552, 553}) EXPECT_EQ(Result(parameter), nullptr);
}
