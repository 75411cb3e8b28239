// The measurement log's JSON line parser: exactly JSON, an object at the top, texts decoded.
#include "JsonLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

TEST(JsonLineTest, ValuesMembersAndEscapes) {
  CJsonLine json;
  ASSERT_TRUE(json.Parse(
      R"( {"a": -12, "b": [1, 2.5e3, true, null, {"c": "x\"y\\\/\u00e9\ud83d\ude00\n"}], "d": "plain", "a": 7} )"));
  const CJsonLine::Node& root = json.Root();
  EXPECT_EQ(root.count, 4u);
  int64_t i = 0;
  ASSERT_NE(json.Member(root, "a"), nullptr);
  ASSERT_TRUE(CJsonLine::ToInt64(*json.Member(root, "a"), i));
  EXPECT_EQ(i, 7);  // the last of two members of one name
  const CJsonLine::Node* b = json.Member(root, "b");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->count, 5u);
  double d = 0;
  EXPECT_TRUE(CJsonLine::ToDouble(json.Child(*b, 1), d));
  EXPECT_EQ(d, 2500.0);
  EXPECT_FALSE(CJsonLine::ToInt64(json.Child(*b, 1), i));  // not an integer
  EXPECT_TRUE(json.Child(*b, 2).boolean);
  EXPECT_EQ(json.Child(*b, 3).type, CJsonLine::tNull);
  const CJsonLine::Node* c = json.Member(json.Child(*b, 4), "c");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->text, "x\"y\\/\xC3\xA9\xF0\x9F\x98\x80\n");
  EXPECT_EQ(json.Member(root, "d")->text, "plain");
  EXPECT_EQ(json.Member(root, "e"), nullptr);
  uint64_t u = 0;
  ASSERT_TRUE(json.Parse(R"({"big": 18446744073709551615, "neg": -1})"));
  EXPECT_TRUE(CJsonLine::ToUint64(*json.Member(json.Root(), "big"), u));
  EXPECT_EQ(u, UINT64_MAX);
  EXPECT_FALSE(CJsonLine::ToInt64(*json.Member(json.Root(), "big"), i));
  EXPECT_FALSE(CJsonLine::ToUint64(*json.Member(json.Root(), "neg"), u));
}

// Numbers are converted while they are scanned where that is exact; every number must give the
// double a full conversion of its text gives, sign of zero and rounding included.
TEST(JsonLineTest, NumbersGiveTheDoubleOfTheirText) {
  CJsonLine json;
  for (const char* text :
       {"0", "-0", "-0.0", "0.1", "-3.5e-3", "71.25", "1e22", "1e23", "2E+1", "123.456e-7",
        "9007199254740993", "9007199254740993.0", "9007199254740992.5", "12345678901234567890",
        "4.9e-324", "0.000000000000000000001", "99999999999999999999e-20",
        "1.7976931348623157e308"}) {
    ASSERT_TRUE(json.Parse(std::string("{\"v\": ") + text + "}")) << text;
    double parsed = 0.0;
    ASSERT_TRUE(CJsonLine::ToDouble(*json.Member(json.Root(), "v"), parsed)) << text;
    const double expected = std::strtod(text, nullptr);
    EXPECT_EQ(std::memcmp(&parsed, &expected, sizeof parsed), 0)
        << text << ": " << parsed << " instead of " << expected;
  }
  int64_t i = 0;
  ASSERT_TRUE(json.Parse(R"({"a": -9223372036854775808, "b": 9223372036854775808, "c": 999})"));
  EXPECT_TRUE(CJsonLine::ToInt64(*json.Member(json.Root(), "a"), i));
  EXPECT_EQ(i, INT64_MIN);
  EXPECT_FALSE(CJsonLine::ToInt64(*json.Member(json.Root(), "b"), i));
  EXPECT_TRUE(CJsonLine::ToInt64(*json.Member(json.Root(), "c"), i));
  EXPECT_EQ(i, 999);
}

TEST(JsonLineTest, AnythingButOneJsonObjectIsRefused) {
  CJsonLine json;
  for (const char* line : {"",
                           "[1]",
                           "\"a\"",
                           "{",
                           "{\"a\":1,}",
                           "{\"a\" 1}",
                           "{\"a\":01}",
                           "{\"a\":1.}",
                           "{\"a\":.5}",
                           "{\"a\":1e}",
                           "{\"a\":+1}",
                           "{\"a\":tru}",
                           "{\"a\":\"\\x\"}",
                           "{\"a\":\"\\ud83d\"}",
                           "{\"a\":\"\\ude00\"}",
                           "{\"a\":\"tab\there\"}",
                           "{\"a\":1} x",
                           "{\"a\":[1,2}",
                           "{\"a\":\"open}",
                           "{a:1}"})
    EXPECT_FALSE(json.Parse(line)) << line;
  std::string deep = "{\"a\":";
  for (int i = 0; i < 100; ++i) deep += "[";
  EXPECT_FALSE(json.Parse(deep + std::string(100, ']') + "}"));
  EXPECT_TRUE(json.Parse("{}"));
  EXPECT_EQ(json.Root().count, 0u);
}
