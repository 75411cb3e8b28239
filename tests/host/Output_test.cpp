#include "host/Output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A sink added and removed by hand; it logs its tag and the text into a shared list.
class TaggedSink : public PrWin::Sink {
 public:
  TaggedSink(std::string tag, std::vector<std::string>& log) : tag_(std::move(tag)), log_(log) {}
  void Write(int category, int style, std::string_view text) override {
    log_.push_back(tag_ + ":" + std::to_string(category) + "/" + std::to_string(style) + ":" +
                   std::string(text));
  }

 private:
  std::string tag_;
  std::vector<std::string>& log_;
};

}  // namespace

TEST(Output, FormatsIntoCaptureSinkWithCategoryAndStyle) {
  PrWin::CaptureSink capture;
  PrWin::Output(PrWin::catDebug, 3, "%s=%d %.2f|%5.1f|%-3s|%x %%\n", "speed", -42, 3.14159, 2.26,
                "a", 255u);
  PrWin::Output(PrWin::catDebug, "two-arg %u", 7u);
  // A ready text: format characters are printed as they stand.
  PrWin::Output(std::string("100% done %d %s"), PrWin::catDebug, 4);
  const std::string longText(5000, 'x');
  PrWin::Output(PrWin::catDebug, 1, "<%s>", longText.c_str());

  const auto& lines = capture.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].category, PrWin::catDebug);
  EXPECT_EQ(lines[0].style, 3);
  EXPECT_EQ(lines[0].text, "speed=-42 3.14|  2.3|a  |ff %\n");
  EXPECT_EQ(lines[1].category, PrWin::catDebug);
  EXPECT_EQ(lines[1].style, 0);
  EXPECT_EQ(lines[1].text, "two-arg 7");
  EXPECT_EQ(lines[2].style, 4);
  EXPECT_EQ(lines[2].text, "100% done %d %s");
  EXPECT_EQ(lines[3].text, "<" + longText + ">");

  capture.Clear();
  PrWin::Output(PrWin::catDebug, "a");
  PrWin::Output(PrWin::catDebug, "b\n");
  EXPECT_EQ(capture.Text(), "ab\n");
}

TEST(Output, SinksInOrderOnceAndNotAfterRemoval) {
  std::vector<std::string> log;
  TaggedSink first("first", log);
  TaggedSink second("second", log);
  PrWin::AddSink(&first);
  PrWin::AddSink(&second);
  PrWin::AddSink(&first);  // already present: still called once
  PrWin::Output(PrWin::catDebug, 2, "one");
  PrWin::RemoveSink(&first);
  PrWin::Output(PrWin::catDebug, "two");
  PrWin::RemoveSink(&second);
  PrWin::Output(PrWin::catDebug, "three");
  EXPECT_EQ(log,
            (std::vector<std::string>{"first:16/2:one", "second:16/2:one", "second:16/0:two"}));

  // A capture sink stops receiving when it dies; an outer one keeps receiving.
  PrWin::CaptureSink outer;
  {
    PrWin::CaptureSink inner;
    PrWin::Output(PrWin::catDebug, "both");
    EXPECT_EQ(inner.Text(), "both");
  }
  PrWin::Output(PrWin::catDebug, "+outer");
  EXPECT_EQ(outer.Text(), "both+outer");
}

TEST(Output, StderrSinkWritesOnlyCategoriesInItsMask) {
  PrWin::StderrSink sink(PrWin::catWarning | PrWin::catOperator);
  testing::internal::CaptureStderr();
  sink.Write(PrWin::catDebug, 0, "debug ");
  sink.Write(PrWin::catWarning, 1, "warning ");
  sink.Write(PrWin::catOperator, 3, "operator ");
  sink.Write(PrWin::catNotice, 0, "notice ");
  sink.SetMask(PrWin::catNotice);
  sink.Write(PrWin::catNotice, 0, "notice2 ");
  sink.Write(PrWin::catWarning, 0, "warning2 ");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "warning operator notice2 ");
  EXPECT_EQ(sink.Mask(), PrWin::catNotice);

  // The process-wide sink starts with operator errors, notices and warnings.
  PrWin::StderrSink& standard = PrWin::DefaultStderrSink();
  EXPECT_EQ(standard.Mask(), PrWin::catOperator | PrWin::catNotice | PrWin::catWarning);
  testing::internal::CaptureStderr();
  PrWin::Output(PrWin::catDebug, "hidden\n");
  PrWin::Output(PrWin::catWarning, "shown %d\n", 1);
  standard.SetMask(standard.Mask() | PrWin::catDebug);
  PrWin::Output(PrWin::catDebug, "traced\n");
  standard.SetMask(PrWin::catOperator | PrWin::catNotice | PrWin::catWarning);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "shown 1\ntraced\n");
}
