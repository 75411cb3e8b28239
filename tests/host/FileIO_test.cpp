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

namespace {

// Reference FNV-1a 32-bit, checked against a published test vector below.
uint32_t Fnv1a(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string HashSuffix(const std::string& text) {
  char suffix[10];
  std::snprintf(suffix, sizeof(suffix), "~%08x", static_cast<unsigned>(Fnv1a(text)));
  return suffix;
}

void ExpectSafeFileName(const std::string& input) {
  const std::string name = FileIO::sanitizeFileName(input);
  SCOPED_TRACE("input of " + std::to_string(input.size()) + " bytes");
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 120u);
  EXPECT_NE(name, ".");
  EXPECT_NE(name, "..");
  EXPECT_NE(name.front(), '.');
  EXPECT_NE(name.back(), ' ');
  EXPECT_EQ(name.find_first_of("/\\<>:\"|?*\x7F"), std::string::npos);
  EXPECT_TRUE(std::none_of(name.begin(), name.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
  EXPECT_EQ(FileIO::sanitizeFileName(name), name);  // also means: well-formed UTF-8
}

}  // namespace

TEST(FileIO, SanitizeFileNameRulesAndAdversarialInputs) {
  EXPECT_EQ(FileIO::sanitizeFileName("../../etc/x"), "_.._etc_x");
  EXPECT_EQ(FileIO::sanitizeFileName("Getriebe-Ä1"), "Getriebe-Ä1");
  EXPECT_EQ(FileIO::sanitizeFileName("Motor 😀 7"), "Motor 😀 7");
  EXPECT_EQ(FileIO::sanitizeFileName("a/../b"), "a_.._b");
  EXPECT_EQ(FileIO::sanitizeFileName("a<b>c:d\"e|f?g*h\\i"), "a_b_c_d_e_f_g_h_i");
  EXPECT_EQ(FileIO::sanitizeFileName("  .Typ 5.  "), "Typ 5");
  EXPECT_EQ(FileIO::sanitizeFileName("tab\there"), "tab_here");
  for (const char* dots : {"", ".", "..", "....", " . . ", "/"})
    EXPECT_EQ(FileIO::sanitizeFileName(dots), "_") << dots;
  EXPECT_EQ(FileIO::sanitizeFileName("\x01"), "_");
  // Bytes outside well-formed UTF-8: lone lead, overlong '/', surrogate, stray continuation.
  EXPECT_EQ(FileIO::sanitizeFileName("A\xC3"), "A_");
  EXPECT_EQ(FileIO::sanitizeFileName("\xC0\xAF"), "__");
  EXPECT_EQ(FileIO::sanitizeFileName("x\xED\xA0\x80"), "x___");
  EXPECT_EQ(FileIO::sanitizeFileName("\x80y\xFF"), "_y_");

  // The 120-byte cut keeps whole characters and drops a dot it exposes at the end.
  EXPECT_EQ(FileIO::sanitizeFileName(std::string(200, 'a')), std::string(120, 'a'));
  EXPECT_EQ(FileIO::sanitizeFileName(std::string(118, 'a') + "Ä"), std::string(118, 'a') + "Ä");
  EXPECT_EQ(FileIO::sanitizeFileName(std::string(119, 'a') + "Ä"), std::string(119, 'a'));
  EXPECT_EQ(FileIO::sanitizeFileName(std::string(119, 'a') + ".bbbb"), std::string(119, 'a'));
  EXPECT_EQ(FileIO::sanitizeFileName(std::string(300, '.') + "z"), "z");

  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    ExpectSafeFileName(one);
    ExpectSafeFileName("." + one + ".");
    ExpectSafeFileName("a" + one + one + "b");
  }
  for (const char* text :
       {"....", "/", "a/../b", "\x01", "./.", "../", "..\\..", ". .", "\xE2\x82"})
    ExpectSafeFileName(text);
  // Random bytes, and random mixes of dots, slashes, blanks, 'a' and the two bytes of "Ä".
  const char pieces[] = {'.', '/', ' ', '\xC3', '\x84', 'a'};
  std::mt19937 random(20240611);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 300, '\0');
    for (char& c : text)
      c = round % 2 ? static_cast<char>(random() % 256) : pieces[random() % sizeof(pieces)];
    ExpectSafeFileName(text);
  }
}

TEST(FileIO, EnsureLimitedPathShortensStablyAtCharacterBoundaries) {
  ASSERT_EQ(Fnv1a("foobar"), 0xbf9cf968u);
  const std::string folder = "/data/kelva/History/";
  EXPECT_EQ(FileIO::ensureLimitedPath(folder), folder);
  const std::string exact(240, 'p');
  EXPECT_EQ(FileIO::ensureLimitedPath(exact), exact);

  const std::string longFile = folder + std::string(300, 'x') + ".hst";
  const std::string limited = FileIO::ensureLimitedPath(longFile);
  EXPECT_EQ(limited, longFile.substr(0, 231) + HashSuffix(longFile));
  EXPECT_EQ(limited.size(), 240u);
  EXPECT_EQ(FileIO::ensureLimitedPath(longFile), limited);  // stable
  EXPECT_EQ(FileIO::ensureLimitedPath(limited), limited);   // already short enough
  std::string other = longFile;
  other[250] = 'y';  // differs only in the part that is cut away
  EXPECT_NE(FileIO::ensureLimitedPath(other), limited);
  EXPECT_EQ(FileIO::ensureLimitedPath(other).substr(0, 231), limited.substr(0, 231));

  const std::string longFolder = folder + std::string(100, 'f') + "/";
  EXPECT_EQ(FileIO::ensureLimitedPath(longFolder, 50),
            longFolder.substr(0, 40) + HashSuffix(longFolder) + "/");

  // "/" then two-byte characters: a cut is on a boundary when it keeps an odd number of bytes.
  std::string umlauts = "/";
  for (int i = 0; i < 40; ++i) umlauts += "Ä";
  for (size_t max = 9; max < umlauts.size(); ++max) {
    const std::string result = FileIO::ensureLimitedPath(umlauts, max);
    ASSERT_LE(result.size(), max);
    const std::string kept = result.substr(0, result.size() - 9);
    EXPECT_EQ(result.substr(kept.size()), HashSuffix(umlauts));
    EXPECT_EQ(umlauts.compare(0, kept.size(), kept), 0);
    EXPECT_TRUE(kept.size() % 2 == 1 || kept.empty()) << max;
    EXPECT_GE(kept.size() + 1, max - 9) << "kept part is as long as the boundary allows";
  }
  EXPECT_EQ(FileIO::ensureLimitedPath(longFile, 8), "");
  EXPECT_EQ(FileIO::ensureLimitedPath(longFolder, 9), "");
  EXPECT_EQ(FileIO::ensureLimitedPath(longFolder, 10), HashSuffix(longFolder) + "/");
}

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
