#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/File.h"
#include "params/Utf16Name.h"

namespace {

std::vector<uint8_t> WrittenName(const std::string& name) {
  CMemFile file;
  EXPECT_TRUE(Utf16Name::Write(file, name));
  return file.Bytes();
}

}  // namespace

TEST(Utf16Name, WritesLengthWithTerminatorAndLittleEndianUnits) {
  EXPECT_EQ(WrittenName(""), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(WrittenName("Ab"), (std::vector<uint8_t>{3, 0, 0, 0, 'A', 0, 'b', 0, 0, 0}));
  // U+00E9, U+20AC, U+1D11E (a surrogate pair).
  EXPECT_EQ(WrittenName("\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"),
            (std::vector<uint8_t>{5, 0, 0, 0, 0xE9, 0, 0xAC, 0x20, 0x34, 0xD8, 0x1E, 0xDD, 0, 0}));
  // A name ends at its first zero; a stray byte becomes U+FFFD.
  EXPECT_EQ(WrittenName(std::string("A\0B", 3)), (std::vector<uint8_t>{2, 0, 0, 0, 'A', 0, 0, 0}));
  EXPECT_EQ(WrittenName("\x80"
                        "A"),
            (std::vector<uint8_t>{3, 0, 0, 0, 0xFD, 0xFF, 'A', 0, 0, 0}));
}

TEST(Utf16Name, CutsALongNameTo199UnitsWithoutSplittingAPair) {
  EXPECT_EQ(Utf16Name::FromUtf8(std::string(199, 'x')), std::u16string(199, u'x'));
  EXPECT_EQ(Utf16Name::FromUtf8(std::string(250, 'x')), std::u16string(199, u'x'));
  // 198 units, then a pair that would need units 199 and 200: it is left out.
  EXPECT_EQ(Utf16Name::FromUtf8(std::string(198, 'x') + "\xF0\x9D\x84\x9E"),
            std::u16string(198, u'x'));
  EXPECT_EQ(Utf16Name::FromUtf8(std::string(197, 'x') + "\xF0\x9D\x84\x9E").size(), 199u);
  // The longest name is read back.
  CMemFile file;
  ASSERT_TRUE(Utf16Name::Write(file, std::string(300, 'y')));
  EXPECT_EQ(file.Bytes().size(), 4u + 400u);
  ASSERT_TRUE(file.Seek(0));
  std::string name, why;
  ASSERT_TRUE(Utf16Name::Read(file, name, why)) << why;
  EXPECT_EQ(name, std::string(199, 'y'));
}

TEST(Utf16Name, ReadsOnlyWellFormedNames) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* why;
  };
  const Case cases[] = {
      {{2, 0, 0}, "its name length is cut short"},
      {{0, 0, 0, 0}, "its name length 0 is not in 1..200"},
      {{0xFF, 0xFF, 0xFF, 0xFF}, "its name length -1 is not in 1..200"},
      {{201, 0, 0, 0}, "its name length 201 is not in 1..200"},
      {{2, 0, 0, 0, 'A', 0, 0}, "its name is cut short"},
      {{2, 0, 0, 0, 'A', 0, 'B', 0}, "its name does not end at its terminating zero"},
      {{3, 0, 0, 0, 0, 0, 'B', 0, 0, 0}, "its name does not end at its terminating zero"},
      {{2, 0, 0, 0, 0x34, 0xD8, 0, 0}, "its name is not well-formed UTF-16"},
      {{2, 0, 0, 0, 0x1E, 0xDD, 0, 0}, "its name is not well-formed UTF-16"},
      {{3, 0, 0, 0, 0x34, 0xD8, 'A', 0, 0, 0}, "its name is not well-formed UTF-16"},
  };
  for (const Case& c : cases) {
    CMemFile file(c.bytes);
    std::string name = "kept", why;
    EXPECT_FALSE(Utf16Name::Read(file, name, why)) << c.why;
    EXPECT_EQ(why, c.why);
    EXPECT_EQ(name, "kept");
  }
  CMemFile file(std::vector<uint8_t>{4, 0, 0, 0, 0xE9, 0, 0x34, 0xD8, 0x1E, 0xDD, 0, 0});
  std::string name, why;
  ASSERT_TRUE(Utf16Name::Read(file, name, why)) << why;
  EXPECT_EQ(name, "\xC3\xA9\xF0\x9D\x84\x9E");
  // n = 200 is the largest accepted length.
  std::vector<uint8_t> longest{200, 0, 0, 0};
  for (int i = 0; i < 199; ++i) longest.insert(longest.end(), {'z', 0});
  longest.insert(longest.end(), {0, 0});
  CMemFile longestFile(longest);
  ASSERT_TRUE(Utf16Name::Read(longestFile, name, why)) << why;
  EXPECT_EQ(name, std::string(199, 'z'));
}
