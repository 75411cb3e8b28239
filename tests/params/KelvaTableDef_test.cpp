#include "params/KelvaTableDef.h"

#include <gtest/gtest.h>

#include "host/Output.h"

using namespace KelvaTableDef;

TEST(TextFields, ReadsFieldsInOrder) {
  PrWin::CaptureSink capture;
  std::string text = "12 3.5 7";
  int a = 0;
  float b = 0.0f;
  int c = 0;
  EXPECT_TRUE(ReadTuple(text, std::tie(a, b, c)));
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 3.5f);
  EXPECT_EQ(c, 7);
  EXPECT_EQ(text, "");

  // The learned single value's tuple: int, unsigned, int, 64-bit, 64-bit, float, float.
  std::string learned = "4 17 -2 9000000000 -9000000000 1.25 -3e2";
  int i1 = 0, i2 = 0;
  unsigned u = 0;
  long long l1 = 0;
  long l2 = 0;
  float f1 = 0, f2 = 0;
  EXPECT_TRUE(ReadTuple(learned, std::tie(i1, u, i2, l1, l2, f1, f2)));
  EXPECT_EQ(std::tie(i1, u, i2, l1, l2, f1, f2),
            std::make_tuple(4, 17u, -2, 9000000000LL, -9000000000L, 1.25f, -300.0f));
  EXPECT_TRUE(capture.Lines().empty());

  // An empty text leaves every field as it was.
  std::string empty;
  int keep = 5;
  float keepF = 2.5f;
  EXPECT_TRUE(ReadTuple(empty, std::tie(keep, keepF)));
  EXPECT_EQ(keep, 5);
  EXPECT_EQ(keepF, 2.5f);

  // A text that runs out early leaves the remaining fields unchanged.
  std::string partial = "8";
  int first = 0, second = 9;
  EXPECT_TRUE(ReadTuple(partial, std::tie(first, second)));
  EXPECT_EQ(first, 8);
  EXPECT_EQ(second, 9);
}

TEST(TextFields, FailuresAreReported) {
  PrWin::CaptureSink capture;
  std::string letters = "abc 12";
  int value = 3;
  EXPECT_FALSE(ReadField(letters, value));
  EXPECT_EQ(value, 3);
  EXPECT_EQ(letters, "abc 12");
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].category, 8);
  EXPECT_EQ(capture.Lines()[0].text,
            "Error converting parameter sea to parameter tables: 'stoi' for substring 'abc 12'\n");

  capture.Clear();
  std::string tooLarge = "1 99999999999 4";
  int a = 0, b = 0, c = 0;
  EXPECT_FALSE(ReadTuple(tooLarge, std::tie(a, b, c)));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(c, 0);  // reading stopped at the failing field
  EXPECT_EQ(capture.Text(),
            "Error converting parameter sea to parameter tables: 'stoi' for substring ' "
            "99999999999 4'\n");

  capture.Clear();
  std::string unsignedTooLarge = "4294967296";
  unsigned u = 1;
  EXPECT_FALSE(ReadField(unsignedTooLarge, u));
  EXPECT_EQ(capture.Text(),
            "Error converting parameter sea to parameter tables: 'stoul' for substring "
            "'4294967296'\n");

  capture.Clear();
  std::string hugeFloat = "1e60";
  float f = 0;
  EXPECT_FALSE(ReadField(hugeFloat, f));
  EXPECT_EQ(capture.Text(),
            "Error converting parameter sea to parameter tables: 'stof' for substring '1e60'\n");
}

TEST(TextFields, WritesFieldsSeparatedByBlanks) {
  int a = -12;
  float b = 3.5f;
  unsigned c = 7;
  long long d = -9000000000LL;
  EXPECT_EQ(WriteTuple(std::tie(a, b, c, d)), "-12 3.5 7 -9000000000");
  float third = 0.1f;
  std::string text = WriteTuple(std::tie(third));
  float back = 0;
  EXPECT_TRUE(ReadField(text, back));
  EXPECT_EQ(back, 0.1f);  // the text form reads back to the same float
}
