// The base64 form of float32 samples in the measurement log.
#include "Base64.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Base64Test, FloatsRoundTripInLittleEndianWithPadding) {
  const float one = 1.0f;  // bytes 00 00 80 3F
  EXPECT_EQ(Base64::EncodeFloats(&one, 1), "AACAPw==");
  const float two[] = {1.0f, -2.0f};  // 00 00 80 3F 00 00 00 C0
  EXPECT_EQ(Base64::EncodeFloats(two, 2), "AACAPwAAAMA=");
  const float three[] = {1.0f, -2.0f, 0.5f};  // ... 00 00 00 3F
  EXPECT_EQ(Base64::EncodeFloats(three, 3), "AACAPwAAAMAAAAA/");
  EXPECT_EQ(Base64::EncodeFloats(nullptr, 0), "");

  const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                       -std::numeric_limits<float>::infinity(), 1e-45f, 3.4028235e38f, -0.0f};
  std::vector<float> back;
  ASSERT_TRUE(Base64::DecodeFloats(Base64::EncodeFloats(odd, 5), back));
  ASSERT_EQ(back.size(), 5u);
  EXPECT_TRUE(std::isnan(back[0]));
  EXPECT_EQ(back[1], -std::numeric_limits<float>::infinity());
  EXPECT_EQ(back[2], 1e-45f);
  EXPECT_EQ(back[3], 3.4028235e38f);
  EXPECT_TRUE(std::signbit(back[4]));
  ASSERT_TRUE(Base64::DecodeFloats("AACAPwAAAMA=", back));
  EXPECT_EQ(back, (std::vector<float>{1.0f, -2.0f}));
  ASSERT_TRUE(Base64::DecodeFloats("", back));
  EXPECT_TRUE(back.empty());
}

TEST(Base64Test, TextThatIsNotWholeFloatsIsRefused) {
  std::vector<float> samples;
  EXPECT_FALSE(Base64::DecodeFloats("AACAP", samples));         // not a multiple of 4 characters
  EXPECT_FALSE(Base64::DecodeFloats("AACA", samples));          // 3 bytes: not a whole float
  EXPECT_FALSE(Base64::DecodeFloats("AAC*Pw==", samples));      // outside the alphabet
  EXPECT_FALSE(Base64::DecodeFloats("AA==AACAPw==", samples));  // padding inside
  EXPECT_FALSE(Base64::DecodeFloats("AACAPw=A", samples));
}
