#include "host/File.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> WrittenBytes(auto value) {
  CMemFile file;
  EXPECT_TRUE(WriteLE(file, value));
  return file.Bytes();
}

}  // namespace

TEST(MemFile, ShortReadsSeekAndRemainingBytes) {
  CMemFile file({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  uint8_t buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(file.GetPosition(), 4u);
  EXPECT_EQ(RemainingBytes(file), 6u);
  EXPECT_EQ(file.Read(buffer, 16), 6u);  // only what is left
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[5], 10);
  EXPECT_EQ(file.Read(buffer, 1), 0u);
  EXPECT_EQ(RemainingBytes(file), 0u);

  EXPECT_TRUE(file.Seek(10));  // the end is a valid position
  EXPECT_FALSE(file.Seek(11));
  EXPECT_EQ(file.GetPosition(), 10u);
  EXPECT_TRUE(file.Seek(0));
  file.SetReadLimit(3);  // a truncated file
  EXPECT_EQ(file.Read(buffer, 8), 3u);
  EXPECT_EQ(file.Read(buffer, 8), 0u);
  EXPECT_FALSE(file.Failed());  // reading short is not a write failure
}

TEST(MemFile, WriteLimitFailsWritesForGood) {
  CMemFile file;
  file.SetWriteLimit(5);
  const uint8_t bytes[] = {0xA1, 0xA2, 0xA3};
  EXPECT_TRUE(file.Write(bytes, 3));
  EXPECT_FALSE(file.Failed());
  EXPECT_FALSE(file.Write(bytes, 3));  // would end at 6
  EXPECT_TRUE(file.Failed());
  EXPECT_FALSE(file.Write(bytes, 1));  // would fit, but the file has failed
  EXPECT_TRUE(file.Failed());
  EXPECT_EQ(file.Bytes(), (std::vector<uint8_t>{0xA1, 0xA2, 0xA3}));

  // Writing in the middle overwrites; writing at the end grows.
  CMemFile other({1, 2, 3, 4});
  ASSERT_TRUE(other.Seek(2));
  EXPECT_TRUE(other.Write(bytes, 3));
  EXPECT_EQ(other.Bytes(), (std::vector<uint8_t>{1, 2, 0xA1, 0xA2, 0xA3}));
}

TEST(MemFile, LittleEndianNumbersExactBytes) {
  EXPECT_EQ(WrittenBytes(uint32_t{0x01020304}), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
  EXPECT_EQ(WrittenBytes(int16_t{-2}), (std::vector<uint8_t>{0xFE, 0xFF}));
  EXPECT_EQ(WrittenBytes(1.0f), (std::vector<uint8_t>{0x00, 0x00, 0x80, 0x3F}));
  EXPECT_EQ(WrittenBytes(-2.0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x00, 0xC0}));
  EXPECT_EQ(WrittenBytes(uint64_t{0x0102030405060708}),
            (std::vector<uint8_t>{8, 7, 6, 5, 4, 3, 2, 1}));

  CMemFile in({0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0xC0, 0x3F, 0xFF});
  uint32_t u = 0;
  float f = 0.0f;
  EXPECT_TRUE(ReadLE(in, u));
  EXPECT_EQ(u, 0x01020304u);
  EXPECT_TRUE(ReadLE(in, f));
  EXPECT_EQ(f, 1.5f);
  int16_t s = 77;
  EXPECT_FALSE(ReadLE(in, s));  // one byte left
  EXPECT_EQ(s, 77);

  const float values[] = {1.0f, -0.5f, 3.25f};
  CMemFile floats;
  EXPECT_TRUE(WriteFloatsLE(floats, values, 3));
  EXPECT_EQ(floats.Bytes(),
            (std::vector<uint8_t>{0, 0, 0x80, 0x3F, 0, 0, 0, 0xBF, 0, 0, 0x50, 0x40}));
  float back[4] = {};
  ASSERT_TRUE(floats.Seek(0));
  EXPECT_TRUE(ReadFloatsLE(floats, back, 3));
  EXPECT_EQ(back[2], 3.25f);
  ASSERT_TRUE(floats.Seek(4));
  EXPECT_FALSE(ReadFloatsLE(floats, back, 3));  // only two floats left
}

class DiskFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "kelva-file-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static bool Replace(const std::string& path, const std::string& text) {
    CReplacingFile file;
    return file.Open(path) && file.Write(text.data(), text.size()) && file.Commit();
  }

  std::filesystem::path dir_;
};

TEST_F(DiskFileTest, WriteReadSeekAndLength) {
  const std::string path = PathOf("plain.bin");
  CDiskFile out;
  ASSERT_TRUE(out.Open(path, CDiskFile::modeWrite));
  EXPECT_TRUE(WriteLE(out, uint32_t{0xDEADBEEF}));
  EXPECT_TRUE(WriteLE(out, int16_t{-3}));
  EXPECT_EQ(out.GetLength(), 6u);
  EXPECT_TRUE(out.Close());
  EXPECT_FALSE(out.IsOpen());

  CDiskFile in;
  ASSERT_TRUE(in.Open(path, CDiskFile::modeRead));
  EXPECT_EQ(in.GetLength(), 6u);
  EXPECT_TRUE(in.Seek(4));
  EXPECT_EQ(RemainingBytes(in), 2u);
  int16_t s = 0;
  EXPECT_TRUE(ReadLE(in, s));
  EXPECT_EQ(s, -3);
  uint8_t byte = 0;
  EXPECT_EQ(in.Read(&byte, 1), 0u);
  EXPECT_FALSE(in.Seek(7));
  EXPECT_EQ(in.GetPosition(), 6u);

  CDiskFile missing;
  EXPECT_FALSE(missing.Open(PathOf("none/x.bin"), CDiskFile::modeRead));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.Read(&byte, 1), 0u);
  EXPECT_FALSE(missing.Write(&byte, 1));
  EXPECT_TRUE(missing.Failed());
}

TEST_F(DiskFileTest, ReplacingFileCommitsOrKeepsThePreviousFile) {
  const std::string path = PathOf("table.bin");
  ASSERT_TRUE(Replace(path, "version one"));
  EXPECT_EQ(Content(path), "version one");

  {
    CReplacingFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.Write("new", 3));
    EXPECT_EQ(Content(path), "version one");  // untouched until Commit
    EXPECT_EQ(Names().size(), 2u);            // the target and the temporary file
    file.Abandon();
    EXPECT_FALSE(file.Commit());
  }
  EXPECT_EQ(Content(path), "version one");
  EXPECT_EQ(Names(), std::vector<std::string>{"table.bin"});

  {
    CReplacingFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_TRUE(file.Write("never committed", 15));
  }  // destroyed without Commit
  EXPECT_EQ(Content(path), "version one");
  EXPECT_EQ(Names(), std::vector<std::string>{"table.bin"});

  ASSERT_TRUE(Replace(path, "version two, longer"));
  EXPECT_EQ(Content(path), "version two, longer");
  EXPECT_EQ(Names(), std::vector<std::string>{"table.bin"});

  // A rename that fails (the target is a directory) reports false and leaves no temporary.
  std::filesystem::create_directory(PathOf("sub"));
  EXPECT_FALSE(Replace(PathOf("sub"), "x"));
  EXPECT_EQ(Names(), (std::vector<std::string>{"sub", "table.bin"}));
}

TEST_F(DiskFileTest, ReplacingFileInMissingDirectoryFailsCleanly) {
  CReplacingFile file;
  EXPECT_FALSE(file.Open(PathOf("missing/table.bin")));
  EXPECT_TRUE(file.Failed());
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.Commit());
  EXPECT_TRUE(Names().empty());
}

// A FIFO or a folder under a file's name must be refused at once: a reader that opened a FIFO
// would wait for a writer for good.
TEST_F(DiskFileTest, OnlyRegularFilesAreRead) {
  const std::string fifo = PathOf("queue");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string content = "stale";
  std::string why;
  EXPECT_EQ(ReadRegularFile(fifo, content, why), ReadFileResult::notRegular);
  EXPECT_EQ(why, "is not a regular file");
  EXPECT_TRUE(content.empty());
  CDiskFile file;
  EXPECT_FALSE(file.Open(fifo, CDiskFile::modeRead));
  EXPECT_EQ(ReadRegularFile(dir_.string(), content, why), ReadFileResult::notRegular);
  EXPECT_FALSE(file.Open(dir_.string(), CDiskFile::modeRead));

  EXPECT_EQ(ReadRegularFile(PathOf("none"), content, why), ReadFileResult::missing);
  EXPECT_EQ(why, "does not exist");

  const std::string text = PathOf("plain");
  std::ofstream(text, std::ios::binary) << std::string("a\0b", 3);
  EXPECT_EQ(ReadRegularFile(text, content, why), ReadFileResult::ok);
  EXPECT_EQ(content, std::string("a\0b", 3));
  EXPECT_TRUE(file.Open(text, CDiskFile::modeRead));
}
