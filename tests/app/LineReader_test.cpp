// Reading a log line by line through one buffer: lines longer than the buffer's chunk, a last
// line without "\n", and a file that is not there.
#include "LineReader.h"

#include <gtest/gtest.h>

#include "app/KelvaProcess.h"

TEST(LineReaderTest, LinesOfAnyLengthAndTheLastOneWithoutNewline) {
  TempFolder folder;
  const std::string longLine(2'500'000, 'x');  // more than two chunks of the buffer
  WriteText(folder / "a.log", "first\r\n\n" + longLine + "\nshort\n" + longLine + "y\nlast");
  CLineReader reader;
  std::string error;
  ASSERT_TRUE(reader.Open(folder / "a.log", error)) << error;
  std::vector<std::string> lines;
  std::vector<bool> ended;
  for (std::string_view line; reader.Next(line, error);) {
    lines.emplace_back(line);
    ended.push_back(reader.LineEnded());
  }
  EXPECT_EQ(error, "");
  EXPECT_EQ(ended, (std::vector<bool>{true, true, true, true, true, false}));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "first\r");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], longLine);
  EXPECT_EQ(lines[3], "short");
  EXPECT_EQ(lines[4], longLine + "y");
  EXPECT_EQ(lines[5], "last");

  WriteText(folder / "b.log", "one\n");
  ASSERT_TRUE(reader.Open(folder / "b.log", error));
  std::string_view line;
  ASSERT_TRUE(reader.Next(line, error));
  EXPECT_EQ(line, "one");
  EXPECT_TRUE(reader.LineEnded());
  EXPECT_FALSE(reader.Next(line, error));
  EXPECT_EQ(error, "");

  EXPECT_FALSE(reader.Open(folder / "missing.log", error));
  EXPECT_EQ(error, (folder / "missing.log") + ": cannot be read: No such file or directory");
}
