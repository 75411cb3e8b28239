// The measurement log's lines: what the writer writes the reader reads back, field for field,
// including what the simulation never sends (set points, channels, curves along a run,
// values that are not finite).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MeasurementLogReader.h"
#include "MeasurementLogWriter.h"
#include "ScalarLine.h"
#include "app/KelvaProcess.h"
#include "host/Signal.h"

namespace {

PartRecord SamplePart() {
  PartRecord record;
  record.part.serial = "S-1";
  record.part.kind = DefectKind::bearingTone;
  record.part.defective = true;
  record.part.defectText = "bearing tone +3.0 at order 7.50 in somewhere";
  record.type = "T";
  record.tick = 123456789012;
  record.wallMilliseconds = 1796648045123;
  record.steps.push_back({PartStep::beginMode, 3, {}, {}, false});
  record.steps.push_back({PartStep::beginMeasurement, 3, {}, {}, false});
  auto point = std::make_shared<CMeasuringResultScalar>();
  point->SetClavis(SClavis{3, 2001, 1, 2, 400, 2});
  point->SetTrigger(1, 17);
  point->SetTimeslice(99, SignalBase::expire_mode);
  point->set_point().Set(4, 1, 1234.5f);
  point->value = -std::numeric_limits<float>::infinity();
  point->unit = CMeasuringUnit(CMeasuringUnit::cuMetrePerSecond2, -3, 2.5f, 3);
  CDescription description(3, 0.25f, CMeasuringUnit(CMeasuringUnit::cuRpm), CMeasuringUnit());
  description.X(0).start = 800.0f;
  description.SetYDims(2);
  description.Y(1).flags = 8;
  description.Y(1).signal = 7;
  auto curve = std::make_shared<CSignalieee32>(
      description, std::vector<float>{1.0f, -2.0f, 3.5f, std::nanf(""), 0.0f, 1e30f});
  curve->SetClavis(SClavis{3, 2100, 1, 1, 410, 2});
  curve->SetTrigger(1, 4);
  record.steps.push_back({PartStep::deliver, 3, "TriggeredInput", {point, curve}, true});
  record.steps.push_back({PartStep::endMeasurement, 3, {}, {}, false});
  record.steps.push_back({PartStep::endMode, 3, {}, {}, false});
  return record;
}

}  // namespace

TEST(MeasurementLogTest, WhatIsWrittenIsReadBackFieldForField) {
  TempFolder folder;
  const PartRecord written = SamplePart();
  const std::string lines = CMeasurementLogWriter::PartLines(written, -1, 0);
  // A result that is not known is not claimed.
  EXPECT_EQ(lines.substr(lines.rfind('{')), "{\"event\":\"remove\"}\n");
  EXPECT_NE(
      CMeasurementLogWriter::PartLines(written, 0, 0).find("{\"event\":\"remove\",\"result\":0}"),
      std::string::npos);
  WriteText(folder / "one.log",
            "{\"log\":\"kelva measurement log\",\"version\":1,\"platform\":\"P 1\"}\n" + lines);
  CMeasurementLogReader reader({folder / "one.log"});
  PartRecord read;
  std::string error;
  ASSERT_TRUE(reader.Next(read, error)) << error;
  EXPECT_EQ(reader.Platform(), "P 1");
  EXPECT_EQ(read.part.serial, "S-1");
  EXPECT_EQ(read.type, "T");
  EXPECT_EQ(read.tick, 123456789012u);
  EXPECT_EQ(read.wallMilliseconds, 1796648045123u);
  EXPECT_EQ(read.recordedResult, -1);
  EXPECT_EQ(read.part.kind, DefectKind::bearingTone);
  EXPECT_TRUE(read.part.defective);
  EXPECT_EQ(read.part.defectText, written.part.defectText);
  ASSERT_EQ(read.steps.size(), 5u);
  EXPECT_EQ(read.steps[0].kind, PartStep::beginMode);
  EXPECT_EQ(read.steps[0].mode, 3);
  const PartStep& train = read.steps[2];
  EXPECT_EQ(train.kind, PartStep::deliver);
  EXPECT_EQ(train.input, "TriggeredInput");
  EXPECT_TRUE(train.synch);
  ASSERT_EQ(train.values.size(), 2u);
  const auto* point = dynamic_cast<const CMeasuringResultScalar*>(train.values[0].get());
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->clavis().parameter, 400);
  EXPECT_EQ(point->clavis().location, 2);
  EXPECT_EQ(point->trigger(), 1);
  EXPECT_EQ(point->cell(), 17);
  EXPECT_EQ(point->context(), 99u);
  EXPECT_EQ(point->expire(), SignalBase::expire_mode);
  EXPECT_TRUE(point->set_point().Defined(4));
  EXPECT_EQ(point->set_point().Id(4), 1);
  EXPECT_EQ(point->set_point().Value(4), 1234.5f);
  EXPECT_EQ(point->set_point().DefinedCount(), 1);
  EXPECT_EQ(point->value, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(point->unit.Exponent(), -3);
  EXPECT_EQ(point->unit.Factor(), 2.5f);
  EXPECT_EQ(point->unit.Flags(), 3u);
  const auto* curve = dynamic_cast<const CSignalieee32*>(train.values[1].get());
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->Description(),
            dynamic_cast<const CSignalieee32&>(*written.steps[2].values[1]).Description());
  ASSERT_EQ(curve->NumberOfElements(), 6u);
  EXPECT_EQ(curve->Data()[2], 3.5f);
  EXPECT_TRUE(std::isnan(curve->Data()[3]));
  EXPECT_EQ(curve->Data()[5], 1e30f);
  EXPECT_EQ(curve->cell(), 4);
  EXPECT_FALSE(reader.Next(read, error));
  EXPECT_EQ(error, "");
}

TEST(MeasurementLogTest, StepsOutOfTheirOrderAreRefused) {
  TempFolder folder;
  const std::string header =
      "{\"log\":\"kelva measurement log\",\"version\":1,\"platform\":\"\"}\n";
  const std::string insert =
      "{\"event\":\"insert\",\"serial\":\"S\",\"type\":\"T\",\"tick\":1,\"time\":2}\n";
  const std::string scalar =
      "{\"measured\":\"scalar\",\"key\":[1,1,1,1,1,2],\"slice\":22,\"expiry\":1,\"unit\":[0,0,1,0],"
      "\"y\":1}\n";
  const auto refusal = [&](const std::string& body) {
    WriteText(folder / "x.log", header + insert + body);
    CMeasurementLogReader reader({folder / "x.log"});
    PartRecord part;
    std::string error;
    EXPECT_FALSE(reader.Next(part, error));
    return error.substr(error.find(".log:") + 5);
  };
  EXPECT_EQ(refusal(scalar), "3: measured: a value outside a measurement");
  EXPECT_EQ(refusal("{\"event\":\"beginMode\",\"mode\":1}\n{\"event\":\"beginMode\",\"mode\":2}\n"),
            "4: event: \"beginMode\" before \"endMode\"");
  EXPECT_EQ(
      refusal(
          "{\"event\":\"beginMode\",\"mode\":1}\n{\"event\":\"beginMeasurement\",\"mode\":1}\n" +
          scalar + "{\"event\":\"endMeasurement\",\"mode\":1}\n"),
      "6: event: measured values were not delivered");
  EXPECT_EQ(refusal("{\"event\":\"beginMode\",\"mode\":1}\n{\"event\":\"remove\"}\n"),
            "4: event: \"remove\" before \"endMode\"");
  EXPECT_EQ(refusal("{\"event\":\"beginMode\",\"mode\":1}\n{\"event\":\"endMode\",\"mode\":2}\n"),
            "4: event: \"endMode\" without its \"beginMode\" or in a measurement");
  EXPECT_EQ(refusal(insert), "3: event: a part begins before the part S was removed");
  EXPECT_EQ(refusal("{\"event\":\"pause\"}\n"), "3: event: unknown event \"pause\"");
}

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

// What reading one scalar line within a part gives: the error, or the marshalled value.
std::string ReadOneScalar(const std::string& file, const std::string& line,
                          CMeasurementLogReader::ScalarLines scalarLines) {
  WriteText(file,
            "{\"log\":\"kelva measurement log\",\"version\":1,\"platform\":\"\"}\n"
            "{\"event\":\"insert\",\"serial\":\"S\",\"type\":\"T\",\"tick\":1,\"time\":2}\n"
            "{\"event\":\"beginMode\",\"mode\":1}\n{\"event\":\"beginMeasurement\",\"mode\":1}\n" +
                line +
                "\n{\"event\":\"deliver\",\"input\":\"In\"}\n"
                "{\"event\":\"endMeasurement\",\"mode\":1}\n{\"event\":\"endMode\",\"mode\":1}\n"
                "{\"event\":\"remove\"}\n");
  CMeasurementLogReader reader({file}, scalarLines);
  PartRecord part;
  std::string error;
  if (!reader.Next(part, error)) return "error " + error;
  if (part.steps.size() != 5 || part.steps[2].values.size() != 1) return "not one value";
  std::vector<uint8_t> bytes;
  part.steps[2].values[0]->Marshal(bytes);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

// Scalar lines are read in one pass when they are plainly valid and through the JSON tree
// otherwise: for every line, the two ways must give the same value or the same error. The
// lines are the writer's own, hand-made odd ones, and every one-character change of a track
// point line.
TEST(MeasurementLogTest, ScalarLinesReadDirectlyGiveWhatTheGeneralReaderGives) {
  TempFolder folder;
  const std::string file = folder / "one.log";
  std::vector<std::string> lines;
  const std::string point =
      "{\"expiry\":1,\"key\":[1,2001,1,1,400,2],\"measured\":\"scalar\",\"slice\":22,"
      "\"trigger\":[1,17],\"unit\":[4,0,1.0,1],\"y\":71.25}";
  lines.push_back(point);
  for (const std::string& line : SplitLines(CMeasurementLogWriter::PartLines(SamplePart(), 0, 0)))
    if (line.find("\"scalar\"") != std::string::npos) lines.push_back(line);
  for (const char* y : {"-0", "-0.0", "0", "1e30", "1e39", "-3.5e-3", "123456789012345678901",
                        "9007199254740993", "0.1", "1E2", "2e+1", "\"nan\"", "\"-inf\"", "\"x\""})
    lines.push_back(
        "{\"measured\":\"scalar\",\"key\":[1,1,1,1,1,2],\"slice\":22,\"expiry\":2,"
        "\"unit\":[0,0,1,0],\"y\":" +
        std::string(y) + "}");
  lines.push_back(
      " { \"y\" : 1 , \"unit\" : [ 0 , 0 , 0.5 , 0 ] , \"expiry\" : 4 , \"slice\" : 0 ,"
      " \"measured\" : \"scalar\" , \"key\" : [ -1 , 0 , 0 , 0 , 0 , 2147483647 ] } ");
  lines.push_back(point.substr(0, point.size() - 1) + ",\"y\":2}");  // twice: the last counts
  lines.push_back(point.substr(0, point.size() - 1) + ",\"note\":\"n\"}");  // unknown: ignored
  lines.push_back(point.substr(0, point.size() - 1) + ",\"setPoints\":[[0,1,2.5]]}");
  lines.push_back("{\"measured\":\"sc\\u0061lar\"," + point.substr(point.find("\"slice\"")));
  lines.push_back(
      "{\"measured\":\"scalar\",\"key\":[1,1,1,1,1,2],\"slice\":18446744073709551615,"
      "\"expiry\":1,\"unit\":[0,0,1,0],\"y\":1}");
  for (size_t at = 0; at < point.size(); ++at) {
    lines.push_back(point.substr(0, at) + point.substr(at + 1));
    for (const char c : {'0', '9', '-', ' ', '"', ',', '.', 'e', '}', '\\'}) {
      std::string changed = point;
      changed[at] = c;
      lines.push_back(changed);
    }
  }

  int takenDirectly = 0, accepted = 0;
  for (const std::string& line : lines) {
    const std::string direct =
        ReadOneScalar(file, line, CMeasurementLogReader::ScalarLines::direct);
    const std::string general =
        ReadOneScalar(file, line, CMeasurementLogReader::ScalarLines::general);
    ASSERT_EQ(direct, general) << line;
    CMeasuringResultScalar value;
    takenDirectly += ReadScalarLine(line, value) ? 1 : 0;
    accepted += direct.rfind("error ", 0) == 0 ? 0 : 1;
  }
  // Both kinds of line are there, and the direct reader takes more than half of the good ones
  // (the others have unknown, repeated or misspelt members, set points, or numbers it leaves
  // to a full conversion).
  EXPECT_GT(accepted, 100);
  EXPECT_LT(accepted, static_cast<int>(lines.size()) - 300);
  EXPECT_GT(takenDirectly, accepted / 2);
  EXPECT_LT(takenDirectly, accepted);
}
