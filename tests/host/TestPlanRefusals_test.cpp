// Plans the reader must refuse with their place: what the JSON parser itself rejects, numbers
// that do not fit their field, sizes beyond the documented maxima, and plans whose parts
// contradict each other.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "host/Output.h"
#include "host/Params.h"
#include "host/TestPlan.h"

namespace {

using json = nlohmann::json;

json DemoJson() {
  std::ifstream in(TestPlan::DemoPlanPath());
  return json::parse(in);
}

// The message of loading `text`; "" when it loads.
std::string RefusalOfText(const std::string& text) {
  PrWin::CaptureSink capture;
  const bool loaded = TestPlan::LoadText(text, "bad.json");
  EXPECT_EQ(capture.Lines().size(), loaded ? 0u : 1u);
  return capture.Lines().empty() ? "" : capture.Lines()[0].text;
}

// The demo plan with `change` applied, then every `marker` in its text replaced by `raw`
// (for what a JSON document made in code cannot hold: 1e999, a field given twice).
std::string RefusalOf(void (*change)(json&), const std::string& marker = "",
                      const std::string& raw = "") {
  json plan = DemoJson();
  change(plan);
  std::string text = plan.dump();
  for (size_t at = marker.empty() ? std::string::npos : text.find(marker); at != std::string::npos;
       at = text.find(marker, at + raw.size()))
    text.replace(at, marker.size(), raw);
  return RefusalOfText(text);
}

class TestPlanRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override { ParamDatabase::Reset(); }
  void TearDown() override { ParamDatabase::Reset(); }
};

}  // namespace

TEST_F(TestPlanRefusalTest, WhatTheJsonParserRejectsIsRefusedWithItsPlace) {
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][0]["limit"]["max"] = 123456.5; }, "123456.5",
                      "1e999"),
            "Test plan 'bad.json', at /quantities/0/limit/max: expected a number within the range "
            "of a double\n");
  EXPECT_EQ(
      RefusalOf([](json& p) { p["polygons"][1]["points"][1][0] = 123456.5; }, "123456.5", "-1e400"),
      "Test plan 'bad.json', at /polygons/1/points/1/0: expected a number within the range "
      "of a double\n");
  EXPECT_EQ(
      RefusalOf([](json& p) { p["modes"][3]["marker"] = 1; }, "\"marker\":1", "\"name\":\"again\""),
      "Test plan 'bad.json', at /modes/3/name: expected a field name not given before in "
      "this object (\"name\" is given twice)\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["parameters"][12]["calc"]["marker"] = 1; }, "\"marker\":1",
                      "\"8\":7"),
            "Test plan 'bad.json', at /parameters/12/calc/8: expected a field name not given "
            "before in this object (\"8\" is given twice)\n");
  EXPECT_EQ(RefusalOfText("{\"kelvaTestPlan\": 1, \"modes\": [{\"id\": 1}, {\"id\": 2,"),
            "Test plan 'bad.json', at /modes/1: expected valid JSON (byte 52: "
            "[json.exception.parse_error.101] parse error at line 1, column 52: syntax error while "
            "parsing object key - unexpected end of input; expected string literal)\n");
  EXPECT_EQ(RefusalOfText("{\"name\": \"\xff\"}"),
            "Test plan 'bad.json', at /name: expected valid JSON (byte 11: "
            "[json.exception.parse_error.101] parse error at line 1, column 11: syntax error while "
            "parsing value - invalid string: ill-formed UTF-8 byte; last read: '\"<FF>')\n");
}

TEST_F(TestPlanRefusalTest, NumbersThatDoNotFitTheirFieldAreRefused) {
  // Float fields: beyond the range of a float would become infinite.
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][0]["limit"]["min"] = -3.5e38; }),
            "Test plan 'bad.json', at /quantities/0/limit/min: expected a number within the range "
            "of a float\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["modes"][5]["referenceSpeed"] = 1e300; }),
            "Test plan 'bad.json', at /modes/5/referenceSpeed: expected a number within the range "
            "of a float\n");
  // Axis positions are floats too.
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["start"] = 1e39; }),
            "Test plan 'bad.json', at /triggers/0/axes/0/start: expected a number within the "
            "range of a float\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["step"] = 3e36; }),
            "Test plan 'bad.json', at /triggers/0/axes/0/step: expected a step that keeps the "
            "last cell within the range of a float\n");
  // Integer fields: no fraction, no silent narrowing.
  EXPECT_EQ(RefusalOf([](json& p) { p["modes"][0]["id"] = 1.5; }),
            "Test plan 'bad.json', at /modes/0/id: expected an integer, found a number with a "
            "fraction\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["errorCodes"][0]["priority"] = 2147483648LL; }),
            "Test plan 'bad.json', at /errorCodes/0/priority: expected an integer of 32 bits\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["errorCodes"][0]["priority"] = 18446744073709551615ULL; }),
            "Test plan 'bad.json', at /errorCodes/0/priority: expected an integer of 32 bits\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["learnProcedures"][0]["baseLearns"] = -1; }),
            "Test plan 'bad.json', at /learnProcedures/0/baseLearns: expected a number of parts "
            "from 0 to 4,294,967,295\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["learnProcedures"][0]["baseLearns"] = 4294967296LL; }),
            "Test plan 'bad.json', at /learnProcedures/0/baseLearns: expected a number of parts "
            "from 0 to 4,294,967,295\n");
}

TEST_F(TestPlanRefusalTest, SizesBeyondTheMaximaAreRefused) {
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["count"] = 4294967295LL; }),
            "Test plan 'bad.json', at /triggers/0/axes/0/count: expected a count from 1 to "
            "100,000\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["count"] = 100001; }),
            "Test plan 'bad.json', at /triggers/0/axes/0/count: expected a count from 1 to "
            "100,000\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["count"] = 0; }),
            "Test plan 'bad.json', at /triggers/0/axes/0/count: expected a count from 1 to "
            "100,000\n");
  EXPECT_EQ(RefusalOf([](json& p) {
              json points = json::array();
              for (int i = 0; i < 10001; ++i) points.push_back({i, 1.0});
              p["polygons"][2]["points"] = points;
            }),
            "Test plan 'bad.json', at /polygons/2/points: expected at most 10,000 points, found "
            "10001\n");
  // The maxima themselves are allowed.
  EXPECT_EQ(RefusalOf([](json& p) {
              p["triggers"][0]["axes"][0]["count"] = 100000;
              json points = json::array();
              for (int i = 0; i < 10000; ++i) points.push_back({i, 1.0});
              p["polygons"][2]["points"] = points;
            }),
            "");
  EXPECT_EQ(CDtParamInstance().TriggerParam().at(QIdx3(1, 1, 1)).count, 100000u);
}

TEST_F(TestPlanRefusalTest, ContradictionsInsideThePlanAreRefusedAtTheirEntry) {
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][0]["limit"]["max"] = 69.5; }),
            "Test plan 'bad.json', at /quantities/0/limit/max: expected max not below min\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][52]["area"]["upper"] = 29; }),
            "Test plan 'bad.json', at /quantities/52/area/upper: expected upper not below lower\n");
  // A track needs a trigger and an axis of it in the quantity's mode.
  EXPECT_EQ(RefusalOf([](json& p) { p["parameters"][8].erase("trigger"); }),
            "Test plan 'bad.json', at /quantities/7/key: quantity [1, 2001, 1, 1, 400, 2]: "
            "expected a parameter with a trigger (parameter 400 of a track instrument has none, "
            "so the track has no axis)\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"].erase(0); }),
            "Test plan 'bad.json', at /quantities/7/key: quantity [1, 2001, 1, 1, 400, 2]: "
            "expected an axis of trigger 1 in mode 1 (the track is recorded over it)\n");
  // ... and exactly one tracked axis there: none or two leave no definite axis.
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][0]["tracked"] = false; }),
            "Test plan 'bad.json', at /quantities/7/key: quantity [1, 2001, 1, 1, 400, 2]: "
            "expected exactly one tracked axis of trigger 1 in mode 1, not 0 (the track is "
            "recorded over it)\n");
  EXPECT_EQ(RefusalOf([](json& p) {
              json second = p["triggers"][0]["axes"][0];
              second["dimension"] = 2;
              p["triggers"][0]["axes"].push_back(second);
            }),
            "Test plan 'bad.json', at /quantities/7/key: quantity [1, 2001, 1, 1, 400, 2]: "
            "expected exactly one tracked axis of trigger 1 in mode 1, not 2 (the track is "
            "recorded over it)\n");
  // The largest code leaves no room for the code of the upper limit (the oil temperature,
  // parameter 110, checked within a window).
  EXPECT_EQ(RefusalOf([](json& p) {
              p["errorCodes"].push_back(
                  {{"code", 2147483647}, {"text", "last"}, {"priority", 1}, {"severity", 1}});
              p["quantities"][56]["store"]["errorCode"] = 2147483647;
              p["parameters"][2]["evalMode"] = 3;
            }),
            "Test plan 'bad.json', at /quantities/56/store/errorCode: quantity [7, 2, 3, 3, 110, "
            "4]: expected an error code below 2147483647 (an interval quantity reports its upper "
            "limit with code + 1)\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][8]["curveLimit"]["upperPolygon"] = 99; }),
            "Test plan 'bad.json', at /quantities/8/curveLimit/upperPolygon: curve limit of [1, "
            "2001, 1, 1, 401, 2]: expected polygon -1 (none) or a defined polygon, not 99\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["quantities"][0]["learn"] = 9; }),
            "Test plan 'bad.json', at /quantities/0/learn: learn parameter of [1, 1, 1, 1, 100, "
            "2]: expected -1 (none) or a defined learn procedure, not 9\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["parameters"][8]["instrument"] = 4711; }),
            "Test plan 'bad.json', at /parameters/8/instrument: parameter 400: expected a defined "
            "instrument, not 4711\n");
  EXPECT_EQ(RefusalOf([](json& p) { p["triggers"][0]["axes"][1]["signal"] = 77; }),
            "Test plan 'bad.json', at /triggers/0/axes/1/signal: trigger 1 axis of mode 2 "
            "dimension 1: expected a defined signal, not 77\n");
}
