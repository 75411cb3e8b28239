#include "host/Candidate.h"

#include <gtest/gtest.h>

#include "host/Clock.h"

TEST(Candidate, IdentityAndTestProperties) {
  HostClock::UseManual(1000, 1765000000);
  McClearCandidate();
  EXPECT_EQ(McGetSerial(), mcNeutralSerialIdent);
  EXPECT_STREQ(mcNeutralSerialIdent, "NEUTRAL");

  McSetPlatformName("Bench 3");
  McSetCandidate("GT2-000123", "GT2-A 4x2", "GT2-A");
  EXPECT_EQ(McGetSerial(), "GT2-000123");
  EXPECT_EQ(McGetType(), "GT2-A 4x2");
  EXPECT_EQ(McGetBaseType(), "GT2-A");
  EXPECT_EQ(McGetInsertCandidateTime(), 1765000000);
  EXPECT_EQ(McOverridenPlatformName(), "Bench 3");
  McSetOverridenPlatformName("Line 1");
  EXPECT_EQ(McOverridenPlatformName(), "Line 1");
  EXPECT_EQ(McGetPlatformName(), "Bench 3");
  McSetOverridenPlatformName("");
  EXPECT_EQ(McOverridenPlatformName(), "Bench 3");

  EXPECT_EQ(McTestPropertyFlagsText(), "none");
  McAddTestPropertyFlags(tpOkWithErrors);
  McAddTestPropertyFlags(64 | 1);
  EXPECT_EQ(McGetTestPropertyFlags(), 81);
  EXPECT_EQ(McTestPropertyFlagsText(), "1|16|64");
  McRemoveTestPropertyFlags(16);
  EXPECT_EQ(McTestPropertyFlagsText(), "1|64");
  // A new part starts with no flags.
  McSetCandidate("GT2-000124", "GT2-A 4x2", "GT2-A");
  EXPECT_EQ(McGetTestPropertyFlags(), 0);
  McClearCandidate();
  McSetPlatformName("");
  HostClock::UseSystem();
}
