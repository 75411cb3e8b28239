// The pieces of `kelva report`: which parts are detailed, plot scales and limit violations,
// escaping, the detail of a part as table rows and plots, and the report-data files.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "DetailRule.h"
#include "HtmlEscape.h"
#include "JsonLines.h"
#include "PartDetail.h"
#include "SvgPlot.h"
#include "app/KelvaProcess.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(DetailRuleTest, RecordsEveryPartThatFailsAndOkPartsNumberedOneAfterAHundred) {
  EXPECT_TRUE(DetailRule::Records(0, 5));
  EXPECT_TRUE(DetailRule::Records(3, 100));
  EXPECT_TRUE(DetailRule::Records(1, 1));
  EXPECT_FALSE(DetailRule::Records(1, 2));
  EXPECT_FALSE(DetailRule::Records(1, 100));
  EXPECT_TRUE(DetailRule::Records(1, 101));
  EXPECT_TRUE(DetailRule::Records(1, 201));
}

TEST(DetailRuleTest, ShowsTheLatestHundredFailedAndFiftyOkInFileOrder) {
  std::vector<int> codes;
  for (int i = 0; i < 120; ++i) codes.push_back(0);  // 0 … 119
  for (int i = 0; i < 60; ++i) codes.push_back(1);   // 120 … 179
  codes.push_back(3);                                // 180
  const std::vector<size_t> shown = DetailRule::Shown(codes);
  ASSERT_EQ(shown.size(), 150u);
  EXPECT_EQ(shown.front(), 21u);  // the failed parts 21 … 119 and 180 are the latest 100
  EXPECT_EQ(shown[98], 119u);
  EXPECT_EQ(shown[99], 130u);  // the ok parts 130 … 179 are the latest 50
  EXPECT_EQ(shown[148], 179u);
  EXPECT_EQ(shown.back(), 180u);
  EXPECT_EQ(DetailRule::Shown({1, 0, 1}), (std::vector<size_t>{0, 1, 2}));
}

TEST(SvgPlotTest, TicksAreRoundStepsInsideTheRange) {
  EXPECT_EQ(SvgPlot::Ticks(0, 10), (std::vector<double>{0, 2, 4, 6, 8, 10}));
  EXPECT_EQ(SvgPlot::Ticks(800, 4000), (std::vector<double>{1000, 2000, 3000, 4000}));
  EXPECT_EQ(SvgPlot::Ticks(-0.3, 0.25), (std::vector<double>{-0.2, 0, 0.2}));
  EXPECT_TRUE(SvgPlot::Ticks(5, 5).empty());
  EXPECT_TRUE(SvgPlot::Ticks(0, NAN).empty());
}

TEST(SvgPlotTest, ViolationsAreAboveTheUpperOrBelowTheLowerLimit) {
  SvgPlot::Plot plot;
  plot.x = {1, 2, 3, 4, 5};
  plot.value = {1, 5, 3, -2, NAN};
  plot.upper = {4, 4, 3, NAN, 0};
  plot.lower = {0, 0, 0, -1, 0};
  std::vector<bool> violated;
  for (size_t i = 0; i < 5; ++i) violated.push_back(SvgPlot::Violates(plot, i));
  EXPECT_EQ(violated, (std::vector<bool>{false, true, false, true, false}));
}

TEST(SvgPlotTest, RenderDrawsAxesLimitsAndMarksAndEscapesTexts) {
  SvgPlot::Plot plot;
  plot.title = "Run-up <2nd> & \"gear\"";
  plot.xLabel = "Speed [rpm]";
  plot.yLabel = "Level [dB(m/s²)]";
  plot.x = {1000, 2000, 3000};
  plot.value = {50, 62, 55};
  plot.upper = {60, 60, NAN};
  const std::string svg = SvgPlot::Render(plot);
  EXPECT_EQ(svg.rfind("<svg class=\"plot\" viewBox=\"0 0 640.0 300.0\"", 0), 0u);
  EXPECT_NE(svg.find("<title>Run-up &lt;2nd&gt; &amp; &quot;gear&quot;</title>"),
            std::string::npos);
  EXPECT_NE(svg.find(">Speed [rpm]</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Level [dB(m/s²)]</text>"), std::string::npos);
  // x from 1000 (left edge 64) to 3000 (right edge 624); y from 50 (bottom 254) to 62 (top 28).
  EXPECT_NE(svg.find("<path class=\"limit upper\" d=\"M64.0,65.7L344.0,65.7\"/>"),
            std::string::npos)
      << svg;
  EXPECT_NE(svg.find("<path class=\"value\" d=\"M64.0,254.0L344.0,28.0L624.0,159.8\"/>"),
            std::string::npos);
  EXPECT_EQ(Count(svg, "<circle class=\"violation\""), 1u);
  EXPECT_NE(svg.find("<circle class=\"violation\" cx=\"344.0\" cy=\"28.0\" r=\"3\"/>"),
            std::string::npos);
  EXPECT_EQ(Count(svg, "<line class=\"tick\""), 5u + 3u);  // 1000…3000 by 500; 50, 55, 60
  EXPECT_NE(svg.find(">2000</text>"), std::string::npos);

  SvgPlot::Plot empty;
  empty.title = "Nothing";
  EXPECT_NE(SvgPlot::Render(empty).find(">Nothing: no data</text>"), std::string::npos);
}

TEST(HtmlEscapeTest, EscapesTheFiveSpecialCharacters) {
  EXPECT_EQ(HtmlEscape("a<b>&\"c'd é"), "a&lt;b&gt;&amp;&quot;c&#39;d é");
}

nlohmann::json Detail() {
  return nlohmann::json::parse(R"({"serial":"S<1>","resultCode":0,"part":{"quantities":[
    {"key":[1,1,1,1,10,0],"names":{"mode":"Run-up","instrument":"Level","location":"Input",
     "parameter":"RMS"},"kind":"single","unit":"dB","value":61,"position":0,"evalMode":2,
     "limit":58,"mean":52},
    {"key":[1,1,1,1,11,0],"kind":"single","unit":"","value":3,"position":0,"evalMode":1,
     "limit":2,"mean":2.5},
    {"key":[1,2500,1,1,20,0],"kind":"spectrum","unit":"dB","x0":0.5,"dx":0.5,"xUnit":"ord",
     "evalMode":1,"samples":[1,2,0.5],"limit":[0.75,0.75,0.75]},
    {"key":[1,2001,1,1,30,0],"kind":"track","unit":"dB","xUnit":"rpm",
     "points":[[800,44,3,43,30,36],[810,40,0,0,0,0],[820,"bad"]]}]}})");
}

TEST(PartDetailTest, SingleValuesBecomeRowsWithTheirLimitStatus) {
  const std::string rows = PartDetail::ValueRows(Detail(), "detail-1");
  EXPECT_EQ(rows,
            "<tr class=\"violated\"><td><a href=\"#detail-1\">S&lt;1&gt;</a></td><td>Run-up / "
            "Level / Input / RMS</td><td>[1,1,1,1,10,0]</td><td class=\"num\">61</td><td "
            "class=\"num\">58</td><td class=\"num\">52</td><td>dB</td><td>upper</td><td>beyond "
            "limit</td></tr>\n"
            "<tr><td><a href=\"#detail-1\">S&lt;1&gt;</a></td><td>[1,1,1,1,11,0]</td>"
            "<td>[1,1,1,1,11,0]</td><td class=\"num\">3</td><td class=\"num\">2</td><td "
            "class=\"num\">2.5</td><td></td><td>lower</td><td>within limit</td></tr>\n");
}

TEST(PartDetailTest, SpectraAndTracksBecomePlotsOverTheirAxes) {
  const nlohmann::json detail = Detail();
  const nlohmann::json& quantities = detail["part"]["quantities"];
  const SvgPlot::Plot spectrum = PartDetail::SpectrumPlot(quantities[2]);
  EXPECT_EQ(spectrum.x, (std::vector<double>{0.5, 1.0, 1.5}));
  EXPECT_EQ(spectrum.value, (std::vector<double>{1, 2, 0.5}));
  EXPECT_EQ(spectrum.lower, (std::vector<double>{0.75, 0.75, 0.75}));
  EXPECT_TRUE(spectrum.upper.empty());
  EXPECT_EQ(spectrum.xLabel, "Order [ord]");
  EXPECT_EQ(spectrum.yLabel, "Level [dB]");

  const SvgPlot::Plot track = PartDetail::TrackPlot(quantities[3]);
  EXPECT_EQ(track.x, (std::vector<double>{800, 810, 820}));
  EXPECT_EQ(track.value[0], 44);
  EXPECT_TRUE(std::isnan(track.value[2]));  // a broken point is a gap, not a failure
  EXPECT_EQ(track.upper[0], 43);
  EXPECT_EQ(track.lower[0], 30);
  EXPECT_TRUE(std::isnan(track.upper[1]));
  EXPECT_EQ(track.xLabel, "Speed [rpm]");

  const std::string plots = PartDetail::Plots(Detail());
  EXPECT_EQ(Count(plots, "<svg class=\"plot\""), 2u);
  EXPECT_NE(plots.find("<figure class=\"spectrum violated\">"), std::string::npos);
  EXPECT_NE(plots.find("3 points, 1 beyond the limit</figcaption>"), std::string::npos);
}

TEST(JsonLinesTest, TornLastLineIsSkippedWhenReadAndCutBeforeAppending) {
  TempFolder folder;
  const std::string path = folder / "parts.jsonl";
  WriteText(path, "{\"a\":1}\n{\"a\":2}\n{\"a\":");
  std::vector<JsonLines::Line> lines;
  std::string warning, error;
  ASSERT_EQ(JsonLines::Read(path, lines, warning, error), JsonLines::ReadResult::ok);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].value["a"], 2);
  EXPECT_EQ(warning, path + ":3: the last line is cut short (an interrupted run); it is skipped");
  ASSERT_TRUE(JsonLines::CutTornLine(path, error));
  ASSERT_TRUE(JsonLines::Append(path, "{\"a\":3}", error));
  EXPECT_EQ(ReadText(path), "{\"a\":1}\n{\"a\":2}\n{\"a\":3}\n");

  WriteText(path, "{\"a\":1}\n[1]\n");
  EXPECT_EQ(JsonLines::Read(path, lines, warning, error), JsonLines::ReadResult::damaged);
  EXPECT_EQ(error, path + ":2: not a JSON object");
  EXPECT_EQ(JsonLines::Read(folder / "none", lines, warning, error),
            JsonLines::ReadResult::missing);
}

TEST(JsonLinesTest, LinesOneAtATimeAsWrittenOrParsed) {
  TempFolder folder;
  const std::string path = folder / "detail.jsonl";
  WriteText(path, "{ \"a\" : 1 }\n{\"a\":2.50}\n{\"a\":");
  std::vector<std::string> texts;
  std::string warning, error;
  const auto keepText = [&texts](size_t number, std::string_view text, std::string&) {
    texts.push_back(std::to_string(number) + " " + std::string(text));
    return true;
  };
  ASSERT_EQ(JsonLines::ForEachLine(path, keepText, warning, error), JsonLines::ReadResult::ok);
  EXPECT_EQ(texts, (std::vector<std::string>{"1 { \"a\" : 1 }", "2 {\"a\":2.50}"}));
  EXPECT_EQ(warning, path + ":3: the last line is cut short (an interrupted run); it is skipped");

  // A visitor that refuses a line ends the walk with its error.
  texts.clear();
  const auto refuseSecond = [&texts](size_t number, std::string_view text, std::string& why) {
    texts.emplace_back(text);
    if (number == 2) why = "no second line";
    return number != 2;
  };
  EXPECT_EQ(JsonLines::ForEachLine(path, refuseSecond, warning, error),
            JsonLines::ReadResult::damaged);
  EXPECT_EQ(error, "no second line");
  EXPECT_EQ(texts.size(), 2u);

  WriteText(path, "{\"a\":1}\n{\"a\":2}\nnot json\n{\"a\":4}\n");
  std::vector<int> values;
  const auto keepValue = [&values](size_t, nlohmann::json& value) { values.push_back(value["a"]); };
  EXPECT_EQ(JsonLines::ForEach(path, keepValue, warning, error), JsonLines::ReadResult::damaged);
  EXPECT_EQ(error, path + ":3: not a JSON object");
  EXPECT_EQ(values, (std::vector<int>{1, 2}));
}

TEST(JsonLinesTest, RewriteKeepsTheAcceptedLinesAsWrittenAndDropsATornLastLine) {
  TempFolder folder;
  const std::string path = folder / "detail.jsonl";
  WriteText(path, "{ \"a\" : 1 }\n{\"a\":2}\n{\"a\":3.50}\n{\"a\":");
  std::string warning, error;
  const auto oddLines = [](size_t number, std::string_view) { return number % 2 == 1; };
  ASSERT_EQ(JsonLines::Rewrite(path, oddLines, warning, error), JsonLines::ReadResult::ok) << error;
  EXPECT_EQ(ReadText(path), "{ \"a\" : 1 }\n{\"a\":3.50}\n");
  EXPECT_EQ(warning, path + ":4: the last line is cut short (an interrupted run); it is skipped");
  EXPECT_EQ(NamesStartingWith(folder.Path(), "detail.jsonl.tmp"), std::vector<std::string>{});

  // Lines longer than the write buffer, kept and dropped in turn.
  const std::string longLine = "{\"a\":\"" + std::string(3u << 20, 'x') + "\"}";
  WriteText(path, longLine + "\n{\"b\":1}\n" + longLine + "\n");
  ASSERT_EQ(JsonLines::Rewrite(path, oddLines, warning, error), JsonLines::ReadResult::ok);
  EXPECT_EQ(ReadText(path), longLine + "\n" + longLine + "\n");
  EXPECT_EQ(warning, "");

  EXPECT_EQ(JsonLines::Rewrite(folder / "none", oddLines, warning, error),
            JsonLines::ReadResult::missing);
  EXPECT_FALSE(std::filesystem::exists(folder / "none"));
}

}  // namespace
