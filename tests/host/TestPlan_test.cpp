#include "host/TestPlan.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlanBuilder.h"

namespace {

std::string ReadDemo() {
  std::ifstream in(TestPlan::DemoPlanPath());
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the demo plan with one change applied to its JSON; returns the message.
std::string RefusalOf(void (*change)(nlohmann::json&)) {
  nlohmann::json plan = nlohmann::json::parse(ReadDemo());
  change(plan);
  PrWin::CaptureSink capture;
  EXPECT_FALSE(TestPlan::LoadText(plan.dump(), "bad.json"));
  EXPECT_EQ(capture.Lines().size(), 1u);
  return capture.Lines().empty() ? "" : capture.Lines()[0].text;
}

class TestPlanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ParamDatabase::Reset();
    PrWin::CaptureSink capture;
    ASSERT_TRUE(TestPlan::LoadFile(TestPlan::DemoPlanPath()));
    ASSERT_EQ(capture.Text(), "");
  }
  void TearDown() override { ParamDatabase::Reset(); }
  CDtParamInstance params;
};

}  // namespace

TEST_F(TestPlanTest, DemoPlanAnswersEveryTable) {
  EXPECT_TRUE(params.Initialized());
  EXPECT_EQ(params.BaseType(), "GT2-A");
  EXPECT_EQ(params.Mode().size(), 7u);
  EXPECT_EQ(params.ModeName(3), "Run-up 2nd gear drive");
  EXPECT_EQ(params.PhysModeName(4), "2nd gear coast");
  EXPECT_EQ(params.VirtMode2BaseMode(5), 1);
  EXPECT_EQ(params.VirtMode2BaseMode(3), 3);
  EXPECT_TRUE(params.IsValidMode(7));
  EXPECT_FALSE(params.IsValidMode(8));
  EXPECT_TRUE(params.ModeIsOfType(7, 0x100));
  EXPECT_FALSE(params.ModeIsOfType(1, 0x100));
  EXPECT_TRUE(params.ModeIsOfType(6, 0x80));
  EXPECT_FALSE(params.ModeIsHidden(1));

  EXPECT_EQ(params.ResultType(2500), 3);
  EXPECT_EQ(params.ResultType(2001), 2);
  EXPECT_EQ(params.ResultType(2100), 5);
  EXPECT_EQ(params.ResultType(1), 1);
  EXPECT_EQ(params.ResultType(4711), 0);
  EXPECT_TRUE(params.IsValidInstrument(16000));
  EXPECT_EQ(params.InstrumentParameterToInstrument(300), 1001);
  EXPECT_EQ(params.InstrumentParameterToInstrument(999), -1);
  EXPECT_EQ(params.TriggerId(400), 1);
  EXPECT_EQ(params.TriggerId(100), -1);
  EXPECT_EQ(params.TriggerName(1), "Input shaft speed");
  EXPECT_EQ(params.ChannelResamplingType(1), 1);
  EXPECT_EQ(params.OrderSource2Rotor(1, 2), 2);
  EXPECT_EQ(params.OrderSource2Rotor(1, 3), 1);  // the housing sees the input shaft
  EXPECT_FLOAT_EQ(params.FrequencyRatioToGeneratingRotor(3, 2, 2), 0.5124f);
  EXPECT_FLOAT_EQ(params.FrequencyRatioToGeneratingRotor(5, 2, 2), 0.2838f);  // via base mode
  EXPECT_EQ(params.FrequencyRatioToGeneratingRotor(7, 2, 2), 0.0f);
  EXPECT_EQ(params.FrequencyRatioToGeneratingRotor(7, 2, -1), 1.0f);
  EXPECT_EQ(params.ApplicationSignalName(2), "Accelerometer A1");

  const QClavis rms(1, 1, 1, 1, 100, 2);
  EXPECT_EQ(params.IpParamAndStore().at(rms).errorCode, 1100);
  EXPECT_EQ(params.IpParamAndStore().at(rms).sigmaFactor, 4.0f);
  EXPECT_EQ(params.LimSValue().at(rms).evaluate, 1);
  EXPECT_EQ(params.LimSValue().at(rms).maxLimit, 108.0f);
  EXPECT_EQ(params.IpLearnParameter().at(rms).procedure, 1);
  EXPECT_EQ(params.RelativeLimit().at(rms).percent, 0.5f);
  EXPECT_EQ(params.LimCValue().at(QClavis(2, 2500, 1, 1, 200, 2)).upperPolygon, 10);
  EXPECT_EQ(params.LimArea().at(QClavis(1, 2100, 1, 1, 410, 2)).upper, 86.0f);
  EXPECT_EQ(params.IpTrackPolygon().at(QClavis(3, 10001, 1, 1, 501, 2)).polygon, 21);
  EXPECT_EQ(params.InstrumentParam().at(QIdx1(110)).evalMode, QVInstrumentParam::eval_upper);
  EXPECT_EQ(params.LearnProcedures().at(QIdx1(2)).baseLearns, 30u);
  EXPECT_EQ(params.ErrorCode().at(QIdx1(1301)).priority, 80);
  EXPECT_EQ(params.ErrorCode().at(QIdx1(1301)).externalCode, 4301);
  EXPECT_EQ(params.ErrorCode().at(QIdx1(1900)).severity, 10);
  EXPECT_EQ(params.SeverityProperty().at(QIdx1(3)).result, 1);
  EXPECT_EQ(params.SeverityProperty().count(QIdx1(10)), 0u);
  EXPECT_EQ(params.ShadowGroupProperty().at(QIdx1(1)).mask, 0b110u);
  EXPECT_EQ(params.IpSvOfSpec().at(QIdx1(302)).interpretation, 4);
  EXPECT_EQ(params.IpPolygonProperty().at(QIdx1(30)).order, 2);
  EXPECT_EQ(params.IpPolygon().size(), 6u);
  EXPECT_EQ(params.LocationProperty().at(QIdx1(3)).rotor, 1);
  EXPECT_EQ(params.AppSignalProperty().at(QIdx1(1)).unit.CommonUnit(), CMeasuringUnit::cuRpm);
  EXPECT_TRUE(params.AppSignalProperty().at(QIdx1(2)).unit.is_log());
  EXPECT_EQ(params.TriggerParam().at(QIdx3(2, 1, 1)).step, -10.0);
  int32_t mode = 0;
  EXPECT_TRUE(params.IpCalcParameter().at(QIdx2(500, 0)).ValueInt(mode));
  EXPECT_EQ(mode, 2);
  float start = 0;
  EXPECT_TRUE(params.IpCalcParameter().at(QIdx2(500, 5)).ValueFloat(start));
  EXPECT_EQ(start, 2000.0f);
  auto [first, last] = params.SpecIntervalRange(300);
  ASSERT_NE(first, last);
  EXPECT_EQ(first->second.definition.low, 22.5f);
  EXPECT_EQ(std::next(first), last);
  auto none = params.SpecIntervalRange(100);
  EXPECT_EQ(none.first, none.second);

  EXPECT_EQ(params.FormatClavisText(QClavis(3, 2500, 1, 1, 200, 2)),
            "Run-up 2nd gear drive / Order spectrum / Accelerometer input bearing / Input bearing "
            "/ Order spectrum 0-50 / Accelerometer A1");
  EXPECT_EQ(params.FormatClavisText(QClavis(3, 2500, 1, 9, 200, -1), std::bitset<6>("101001")),
            "Run-up 2nd gear drive / #9 / *");
  EXPECT_EQ(params.FormatInstrParamText(1001, 300),
            "Order band level / Gear mesh 1st gear, order 23");
  EXPECT_EQ(params.FormatLocaChanText(2, 2), "Output bearing / Accelerometer output bearing");
}

TEST_F(TestPlanTest, MalformedPlansAreRefusedWholeWithTheirPlace) {
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["modes"][2].erase("name"); }),
            "Test plan 'bad.json', at /modes/2: expected the field \"name\"\n");
  EXPECT_EQ(
      RefusalOf([](nlohmann::json& p) { p["instruments"][0]["resultType"] = "scalar"; }),
      "Test plan 'bad.json', at /instruments/0/resultType: expected an integer, found a text\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["quantities"][3]["key"].erase(5); }),
            "Test plan 'bad.json', at /quantities/3/key: expected a key of 6 integers [mode, "
            "instrument, channel, location, parameter, sensor], found 5 values\n");
  EXPECT_EQ(
      RefusalOf([](nlohmann::json& p) { p["quantities"][7]["key"] = p["quantities"][2]["key"]; }),
      "Test plan 'bad.json', at /quantities/7/key: expected a key not given before (the same "
      "one is at /quantities/2/key)\n");
  EXPECT_EQ(
      RefusalOf([](nlohmann::json& p) {
        p["polygons"][0]["points"][2] = {30, 1, 5};
      }),
      "Test plan 'bad.json', at /polygons/0/points/2: expected a point [x, y] of two numbers\n");
  EXPECT_EQ(
      RefusalOf([](nlohmann::json& p) { p["polygons"][0]["points"][3][0] = 10; }),
      "Test plan 'bad.json', at /polygons/0/points/3: polygon 10: expected x values that do not "
      "decrease, point 3 goes back\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["modes"][0]["colour"] = "red"; }),
            "Test plan 'bad.json', at /modes/0/colour: expected a known field (see "
            "docs/test-plan.md), not \"colour\"\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["quantities"][0]["store"]["errorCode"] = 7; }),
            "Test plan 'bad.json', at /quantities/0/store/errorCode: quantity [1, 1, 1, 1, 100, "
            "2]: expected error code -1 (none) or a defined error code, not 7\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["quantities"][4]["key"][4] = 100; }),
            "Test plan 'bad.json', at /quantities/4/key: quantity [1, 1001, 1, 1, 100, 2]: "
            "expected a parameter of instrument 1001 (parameter 100 belongs to instrument 1)\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) {
              p["parameters"][0]["calc"] = {{"08", 1}};
            }),
            "Test plan 'bad.json', at /parameters/0/calc/08: expected a calculation-parameter "
            "number as the field name, not \"08\"\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["signals"][0]["unit"]["factor"] = 1e39; }),
            "Test plan 'bad.json', at /signals/0/unit/factor: expected a number within the range "
            "of a float\n");
  // The oil temperature (parameter 110) as an interval would report too high with 1601.
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["parameters"][2]["evalMode"] = 3; }),
            "Test plan 'bad.json', at /quantities/56/store/errorCode: quantity [7, 2, 3, 3, 110, "
            "4]: expected error code 1601 to be defined too (an interval quantity reports its "
            "upper limit with code + 1)\n");
  EXPECT_EQ(RefusalOf([](nlohmann::json& p) { p["modes"][1]["base"] = 5; }),
            "Test plan 'bad.json', at /modes/1/base: mode 2: expected a base mode that is not "
            "itself virtual (5 maps to 1)\n");

  // After every refusal the demo plan is still the current one.
  EXPECT_EQ(params.ModeName(3), "Run-up 2nd gear drive");
  EXPECT_EQ(params.IpParamAndStore().size(), 62u);

  PrWin::CaptureSink capture;
  EXPECT_FALSE(TestPlan::LoadText("{\"kelvaTestPlan\": 1, ", "cut.json"));
  EXPECT_EQ(capture.Text(),
            "Test plan 'cut.json', at /: expected valid JSON (byte 22: "
            "[json.exception.parse_error.101] parse error at line 1, column 22: syntax error while "
            "parsing object key - unexpected end of input; expected string literal)\n");
  EXPECT_FALSE(TestPlan::LoadFile("/nonexistent/plan.json"));
  EXPECT_EQ(capture.Lines().back().text,
            "Test plan '/nonexistent/plan.json': the file cannot be opened\n");
  EXPECT_EQ(capture.Lines().back().category, 1);
  EXPECT_EQ(capture.Lines().back().style, 3);
}

TEST_F(TestPlanTest, BuilderMakesSmallPlansAndIsCheckedLikeAFile) {
  TestPlan::Builder plan("unit");
  plan.Mode(1, "Run-up")
      .Instrument(1, "Level", 1)
      .Channel(1, "Acc")
      .Location(1, "Input")
      .Parameter(10, 1, "RMS")
      .ErrorCode(101, "Level too high", 10, 1)
      .Quantity(QClavis(1, 1, 1, 1, 10, 0), 101)
      .SValueLimit(QClavis(1, 1, 1, 1, 10, 0), 0, 120)
      .Polygon(3, {{0, 1}, {10, 2}, {20, 3}});
  // A polygon whose points skip an index has a gap.
  plan.Set().ipPolygonValues.erase({3, 1});
  PrWin::CaptureSink capture;
  EXPECT_FALSE(plan.Install());
  EXPECT_EQ(capture.Text(),
            "Test plan 'unit': polygon 3: expected point 1 next, found point 2 (points are "
            "numbered 0, 1, 2, ... without gaps)\n");
  EXPECT_EQ(params.BaseType(), "GT2-A");

  plan.Set().ipPolygonValues[{3, 1}] = CVPoint{10, 2};
  ASSERT_TRUE(plan.Install());
  EXPECT_EQ(params.Mode().size(), 1u);
  EXPECT_EQ(params.LimSValue().at(QClavis(1, 1, 1, 1, 10, 0)).maxLimit, 120.0f);
}
