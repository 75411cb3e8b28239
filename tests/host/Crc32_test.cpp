#include "host/Crc32.h"

#include <gtest/gtest.h>

TEST(Crc32, KnownValues) {
  EXPECT_EQ(Crc32::Of("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32::Of("", 0), 0u);
  // In pieces as in one.
  EXPECT_EQ(Crc32::Of("6789", 4, Crc32::Of("12345", 5)), 0xCBF43926u);
}
