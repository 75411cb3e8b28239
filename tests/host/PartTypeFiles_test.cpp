// File names made from part-type names, and damaged files kept aside.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "host/Clock.h"
#include "host/FileIO.h"

namespace {

using FileIO::partTypeFileName;

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(PartTypeFileName, EncodesEveryByteOutsideLettersDigitsAndDash) {
  EXPECT_EQ(partTypeFileName("P1", "T1"), "P1_T1");
  EXPECT_EQ(partTypeFileName("", "T1"), "T1");
  EXPECT_EQ(partTypeFileName("P1", ""), "P1_");
  EXPECT_EQ(partTypeFileName("", ""), "");
  EXPECT_EQ(partTypeFileName("", "GT2/A"), "GT2%2FA");
  EXPECT_EQ(partTypeFileName("", "GT2_A"), "GT2%5FA");
  EXPECT_EQ(partTypeFileName("", "GT2\\A"), "GT2%5CA");
  EXPECT_EQ(partTypeFileName("EOL-3", "GT2_A"), "EOL-3_GT2%5FA");
  EXPECT_EQ(partTypeFileName("EOL-3_GT2", "A"), "EOL-3%5FGT2_A");
  EXPECT_EQ(partTypeFileName("", "."), "%2E");
  EXPECT_EQ(partTypeFileName("", ".."), "%2E%2E");
  EXPECT_EQ(partTypeFileName("", " . "), "%20%2E%20");
  EXPECT_EQ(partTypeFileName("", "Getriebe-Ä1"), "Getriebe-%C3%841");
  EXPECT_EQ(partTypeFileName("", std::string("a\0b", 3)), "a%00b");
  EXPECT_EQ(partTypeFileName("", "%"), "%25");
  EXPECT_EQ(partTypeFileName("", "\xFF"), "%FF");
}

TEST(PartTypeFileName, DifferentPairsNeverShareAName) {
  std::map<std::string, std::pair<std::string, std::string>> seen;
  const auto expectNew = [&](const std::string& platform, const std::string& type) {
    const std::string name = partTypeFileName(platform, type);
    const auto [it, inserted] = seen.emplace(name, std::make_pair(platform, type));
    EXPECT_TRUE(inserted || it->second == std::make_pair(platform, type))
        << "(" << platform << ", " << type << ") and (" << it->second.first << ", "
        << it->second.second << ") both give " << name;
  };
  for (const char* type : {"GT2/A", "GT2_A", "GT2\\A", "GT2%2FA", "GT2%5FA", ".", "..", " . ", "_",
                           "", "A", "a", "A_", "_A"})
    for (const char* platform : {"", "EOL-3", "EOL-3_GT2", "EOL", "EOL_", "_", "A"})
      expectNew(platform, type);
  // Short random names over an alphabet rich in separators and encoding characters.
  const char alphabet[] = {'A', '_', '%', '2', 'F', '/', '.', ' ', '\xC3'};
  std::mt19937 random(4711);
  for (int round = 0; round < 20000; ++round) {
    std::string platform(random() % 4, '\0');
    std::string type(random() % 4, '\0');
    for (char& c : platform) c = alphabet[random() % sizeof(alphabet)];
    for (char& c : type) c = alphabet[random() % sizeof(alphabet)];
    expectNew(platform, type);
  }
}

class KeepDamagedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kelva-damaged-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
    HostClock::UseManual(0, 1796565901);  // 2026-12-06 14:05:01 UTC
  }
  void TearDown() override {
    HostClock::UseSystem();
    std::filesystem::remove_all(dir_);
  }
  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  std::string dir_;
};

TEST_F(KeepDamagedFileTest, RenamesWithUtcTimestampAndNeverReplaces) {
  const std::string path = dir_ + "P1_T1.dhf";
  const std::string kept = path + ".damaged-20261206T140501Z";
  Write(path, "first");
  std::string keptAs;
  ASSERT_TRUE(FileIO::KeepDamagedFile(path, &keptAs));
  EXPECT_EQ(keptAs, kept);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(Content(kept), "first");

  Write(path, "second");
  ASSERT_TRUE(FileIO::KeepDamagedFile(path, &keptAs));
  EXPECT_EQ(keptAs, kept + "-2");
  Write(path, "third");
  ASSERT_TRUE(FileIO::KeepDamagedFile(path));
  EXPECT_EQ(Content(kept), "first");
  EXPECT_EQ(Content(kept + "-2"), "second");
  EXPECT_EQ(Content(kept + "-3"), "third");

  // A folder under the next name is not replaced either.
  std::filesystem::create_directory(kept + "-4");
  Write(path, "fifth");
  ASSERT_TRUE(FileIO::KeepDamagedFile(path, &keptAs));
  EXPECT_EQ(keptAs, kept + "-5");
  EXPECT_TRUE(std::filesystem::is_directory(kept + "-4"));

  HostClock::Advance(61000);
  Write(path, "later");
  ASSERT_TRUE(FileIO::KeepDamagedFile(path, &keptAs));
  EXPECT_EQ(keptAs, path + ".damaged-20261206T140602Z");
}

TEST_F(KeepDamagedFileTest, MissingFileOrFolderThatCannotBeWrittenFails) {
  std::string keptAs = "unchanged";
  EXPECT_FALSE(FileIO::KeepDamagedFile(dir_ + "missing.dhf", &keptAs));
  EXPECT_FALSE(FileIO::KeepDamagedFile("", &keptAs));
  EXPECT_EQ(keptAs, "unchanged");
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string locked = dir_ + "locked/";
  std::filesystem::create_directory(locked);
  Write(locked + "a.dhf", "x");
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(FileIO::KeepDamagedFile(locked + "a.dhf", &keptAs));
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  EXPECT_EQ(keptAs, "unchanged");
  EXPECT_EQ(Content(locked + "a.dhf"), "x");
}
