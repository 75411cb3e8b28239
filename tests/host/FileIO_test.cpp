#include "host/FileIO.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

TEST(FileIO, RelativeAndAbsolutePathsAreLexical) {
  using FileIO::makePathAbsolute;
  using FileIO::makePathRelative;
  EXPECT_EQ(makePathRelative("/data/kelva/History/", "/data/kelva/"), "History/");
  EXPECT_EQ(makePathRelative("/data//kelva/./History/", "/data/kelva"), "History/");
  EXPECT_EQ(makePathRelative("/data/kelva/History/Typ.hst", "/data/./kelva//"), "History/Typ.hst");
  EXPECT_EQ(makePathRelative("/data/kelva/x/../History/", "/data/kelva/"), "History/");
  EXPECT_EQ(makePathRelative("/data/kelva/", "/data/kelva"), "");
  EXPECT_EQ(makePathRelative("work/a/b/", "work/"), "a/b/");
  for (const char* outside :
       {"/data/kelvax/a", "/data/kelva/../other/x", "/other/x", "data/kelva/x", "/data/"})
    EXPECT_EQ(makePathRelative(outside, "/data/kelva/"), outside);
  EXPECT_EQ(makePathRelative("/data/kelva/x", "data/kelva"), "/data/kelva/x");

  EXPECT_EQ(makePathAbsolute("History/", "/data/kelva/"), "/data/kelva/History/");
  EXPECT_EQ(makePathAbsolute("History/", "/data/kelva"), "/data/kelva/History/");
  EXPECT_EQ(makePathAbsolute("a/../b", "/data/"), "/data/a/../b");
  EXPECT_EQ(makePathAbsolute("", "/data/kelva"), "/data/kelva/");
  EXPECT_EQ(makePathAbsolute("/abs/x", "/data"), "/abs/x");
  EXPECT_EQ(makePathAbsolute("x", ""), "x");
  for (const char* climbing : {"..", "../x", "a/../../x", "./../x", "a/b/../../../x"})
    EXPECT_EQ(makePathAbsolute(climbing, "/data/kelva/"), "") << climbing;

  const std::string base = "/data/kelva/";
  for (const char* path : {"/data/kelva/History/", "/data/kelva/History/Typ 1.hst", "/data/kelva/"})
    EXPECT_EQ(makePathAbsolute(makePathRelative(path, base), base), path);
}

class FileIOFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kelva-fileio-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

TEST_F(FileIOFolderTest, PatternsFoldersAndContent) {
  using FileIO::matchesPattern;
  EXPECT_TRUE(matchesPattern(".hidden", "*"));
  EXPECT_TRUE(matchesPattern("a.hst", "*.hst"));
  EXPECT_FALSE(matchesPattern("a.hst.bak", "*.hst"));
  EXPECT_TRUE(matchesPattern("Ä.hst", "?.hst"));
  EXPECT_FALSE(matchesPattern("ÄÖ.hst", "?.hst"));
  EXPECT_TRUE(matchesPattern("mississippi", "m*iss*ppi"));
  EXPECT_FALSE(matchesPattern("mississippi", "m*iss*x"));
  EXPECT_TRUE(matchesPattern("Typ1.hst", "Typ1.*"));
  EXPECT_FALSE(matchesPattern("abc", ""));

  const std::string history = dir_ + "kelva/History/";
  EXPECT_FALSE(FileIO::isContent(history));
  EXPECT_FALSE(FileIO::CreateFolder(""));
  ASSERT_TRUE(FileIO::CreateFolder(history));
  EXPECT_TRUE(std::filesystem::is_directory(history));
  EXPECT_TRUE(FileIO::CreateFolder(history));  // exists already
  EXPECT_FALSE(FileIO::isContent(history));
  ASSERT_TRUE(FileIO::CreateFolder(history + "sub"));
  Write(history + "sub/inner.hst", "x");
  EXPECT_FALSE(FileIO::isContent(history));  // a subfolder and its files do not count

  Write(history + "Typ1.hst", "history");
  EXPECT_TRUE(FileIO::isContent(history));
  EXPECT_TRUE(FileIO::isContent(history, "*.hst"));
  EXPECT_TRUE(FileIO::isContent(history, "Typ?.hst"));
  EXPECT_FALSE(FileIO::isContent(history, "Typ??.hst"));
  EXPECT_FALSE(FileIO::isContent(history, "*.lrn"));
  EXPECT_FALSE(FileIO::isContent(history + "Typ1.hst"));  // a file is not a folder
  EXPECT_FALSE(FileIO::CreateFolder(history + "Typ1.hst/x/"));
}

TEST_F(FileIOFolderTest, CopyFilesReplacesAndStopsAtTheFirstFailure) {
  const std::string from = dir_ + "local/";
  const std::string to = dir_ + "project/History/";
  ASSERT_TRUE(FileIO::CreateFolder(from + "sub"));
  Write(from + "a.hst", "alpha");
  Write(from + "b.hst", "beta");
  Write(from + "c.hst", "gamma");
  Write(from + "notes.txt", "n");
  Write(from + "sub/d.hst", "d");

  EXPECT_EQ(FileIO::CopyFiles(dir_ + "missing/", "*", to), -1);
  EXPECT_FALSE(std::filesystem::exists(to));
  EXPECT_EQ(FileIO::CopyFiles(from, "*.lrn", to), 0);
  EXPECT_EQ(FileIO::CopyFiles(from, "*.hst", to), 3);
  EXPECT_EQ(Names(to), (std::vector<std::string>{"a.hst", "b.hst", "c.hst"}));
  EXPECT_EQ(Content(to + "b.hst"), "beta");

  Write(from + "b.hst", "beta, second version");
  EXPECT_EQ(FileIO::CopyFiles(from, "b.*", to), 1);
  EXPECT_EQ(Content(to + "b.hst"), "beta, second version");
  EXPECT_EQ(Names(to).size(), 3u);  // no temporary file left behind

  // A folder in the way of b.hst: a.hst is copied, the run stops, c.hst is not reached.
  const std::string blocked = dir_ + "blocked/";
  ASSERT_TRUE(FileIO::CreateFolder(blocked + "b.hst"));
  EXPECT_EQ(FileIO::CopyFiles(from, "*.hst", blocked), -1);
  EXPECT_EQ(Names(blocked), (std::vector<std::string>{"a.hst", "b.hst"}));
  EXPECT_EQ(Content(blocked + "a.hst"), "alpha");
  EXPECT_TRUE(std::filesystem::is_directory(blocked + "b.hst"));

  Write(dir_ + "plain", "file");
  EXPECT_EQ(FileIO::CopyFiles(from, "*", dir_ + "plain/"), -1);  // target is a file
}
