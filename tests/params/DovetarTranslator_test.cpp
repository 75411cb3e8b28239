#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "host/File.h"
#include "host/Output.h"
#include "host/TestPlanBuilder.h"
#include "params/DovetarTranslator.h"

namespace {

// The expected file, built byte by byte; offsets whose bytes are free content (ids, instrument
// numbers, name characters) are recorded, every other byte is structure a reader must check.
class ExpectedFile {
 public:
  ExpectedFile& I32(int32_t value, bool free = false) {
    for (int shift = 0; shift < 32; shift += 8)
      Byte(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift), free);
    return *this;
  }
  // n, the units and the terminator.
  ExpectedFile& Name(const std::u16string& units) {
    I32(static_cast<int32_t>(units.size() + 1));
    for (char16_t unit : units) Unit(unit, true);
    return Unit(0, false);
  }
  ExpectedFile& Header(int32_t index, int32_t rows) {
    return I32(12).I32(1).I32(index).I32(12).I32(1).I32(rows);
  }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  bool IsFree(size_t offset) const { return free_.count(offset) != 0; }

 private:
  ExpectedFile& Unit(char16_t unit, bool free) {
    Byte(static_cast<uint8_t>(unit & 0xFF), free);
    Byte(static_cast<uint8_t>(unit >> 8), free);
    return *this;
  }
  void Byte(uint8_t byte, bool free) {
    if (free) free_.insert(bytes_.size());
    bytes_.push_back(byte);
  }
  std::vector<uint8_t> bytes_;
  std::set<size_t> free_;
};

class DovetarTranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Modes 1 and 3 (the first a name of 10 characters), one instrument, two channels (a
    // character of two UTF-8 bytes, one outside the BMP), no locations, two parameters.
    TestPlan::Builder plan("identifiers");
    plan.Mode(1, "Run-up 1st")
        .Mode(3, "Coast")
        .Instrument(5, "Level", 1)
        .Channel(7,
                 "\xC3\x84"
                 "cc")
        .Channel(8, "Clef \xF0\x9D\x84\x9E")
        .Parameter(10, 5, "RMS")
        .Parameter(12, 5, "Peak");
    ASSERT_TRUE(plan.Install());
  }
  void TearDown() override { ParamDatabase::Reset(); }

  static ExpectedFile Expected() {
    ExpectedFile file;
    file.I32(1953).I32(16).I32(1).I32(5);
    file.Header(0, 2).I32(1, true).Name(u"Run-up 1st").I32(3, true).Name(u"Coast");
    file.Header(1, 1).I32(5, true).Name(u"Level");
    file.Header(2, 2).I32(7, true).Name(u"\u00C4cc").I32(8, true).Name(u"Clef \xD834\xDD1E");
    file.Header(3, 0);
    file.Header(4, 2).I32(10, true).I32(5, true).Name(u"RMS");
    file.I32(12, true).I32(5, true).Name(u"Peak");
    return file;
  }

  static std::vector<uint8_t> Written() {
    CDovetarTranslator translator;
    CMemFile file;
    EXPECT_TRUE(translator.Write(file));
    return file.Bytes();
  }

  // Reads `bytes` into a fresh translator; `why` gets the refusal.
  static bool ReadBytes(const std::vector<uint8_t>& bytes, CDovetarTranslator& translator,
                        std::string& why) {
    CMemFile file(bytes);
    return translator.Read(file, why);
  }
};

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + static_cast<size_t>(i)] =
        static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  return bytes;
}

}  // namespace

TEST_F(DovetarTranslatorTest, WritesTheExactBytesInIndexAndKeyOrder) {
  const std::vector<uint8_t> written = Written();
  EXPECT_EQ(written, Expected().Bytes());
  // The name of 10 characters: n = 11, then 22 bytes ending in the zero terminator.
  ASSERT_EQ(written.size(), 288u);
  EXPECT_EQ(written[44], 11);
  EXPECT_EQ(written[48], 'R');
  EXPECT_EQ(written[49], 0);
  EXPECT_EQ(written[68], 0);
  EXPECT_EQ(written[69], 0);
  EXPECT_EQ(written[70], 3);  // the next row's id
}

TEST_F(DovetarTranslatorTest, ReadsBackWhatWasWrittenAndWritesItAgainByteIdentical) {
  const std::vector<uint8_t> written = Written();
  CDovetarTranslator reader;
  std::string why;
  ASSERT_TRUE(ReadBytes(written, reader, why)) << why;
  using T = CDovetarTranslator;
  const auto& modes = reader.NameTable(T::tiMode).Table();
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ(modes.at(QIdx1(1)).name, "Run-up 1st");
  EXPECT_EQ(modes.at(QIdx1(3)).name, "Coast");
  ASSERT_EQ(reader.NameTable(T::tiInstrument).Table().size(), 1u);
  EXPECT_EQ(reader.NameTable(T::tiInstrument).Table().at(QIdx1(5)).name, "Level");
  const auto& channels = reader.NameTable(T::tiChannel).Table();
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels.at(QIdx1(7)).name,
            "\xC3\x84"
            "cc");
  EXPECT_EQ(channels.at(QIdx1(8)).name, "Clef \xF0\x9D\x84\x9E");
  EXPECT_EQ(reader.NameTable(T::tiLocation).Table().size(), 0u);
  EXPECT_EQ(reader.NameTable(T::tiLocation).Header().rows, 0);
  const auto& parameters = reader.InstrumentParamTable().Table();
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters.at(QIdx1(10)).instrument, 5);
  EXPECT_EQ(parameters.at(QIdx1(10)).name, "RMS");
  EXPECT_EQ(parameters.at(QIdx1(12)).instrument, 5);
  EXPECT_EQ(parameters.at(QIdx1(12)).name, "Peak");

  // A plan made only of what was read writes the same bytes.
  ParamDatabase::Reset();
  TestPlan::Builder plan("from the file");
  for (const auto& [id, name] : modes) plan.Mode(id.id(), name.name);
  for (const auto& [id, name] : reader.NameTable(T::tiInstrument).Table())
    plan.Instrument(id.id(), name.name, 1);
  for (const auto& [id, name] : channels) plan.Channel(id.id(), name.name);
  for (const auto& [id, parameter] : parameters)
    plan.Parameter(id.id(), parameter.instrument, parameter.name);
  ASSERT_TRUE(plan.Install());
  EXPECT_EQ(Written(), written);

  // Reading again replaces what an earlier read left.
  ParamDatabase::Reset();
  ASSERT_TRUE(TestPlan::Builder("empty").Install());
  ASSERT_TRUE(ReadBytes(Written(), reader, why)) << why;
  for (int32_t index = 0; index < T::kTables; ++index)
    EXPECT_EQ(reader.Translator(index).Rows(), 0u) << index;
}

TEST_F(DovetarTranslatorTest, RefusesAFileCutAtEveryByte) {
  const std::vector<uint8_t> written = Written();
  for (size_t length = 0; length < written.size(); ++length) {
    CDovetarTranslator reader;
    std::string why;
    const std::vector<uint8_t> cut(written.begin(), written.begin() + static_cast<long>(length));
    EXPECT_FALSE(ReadBytes(cut, reader, why)) << length;
    EXPECT_FALSE(why.empty()) << length;
  }
  // Exact messages at a few places.
  CDovetarTranslator reader;
  std::string why;
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 15), reader, why));
  EXPECT_EQ(why, "the file header is cut short");
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 20), reader, why));
  EXPECT_EQ(why, "chunk 1 of 5: its chunk header is cut short");
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 30), reader, why));
  EXPECT_EQ(why, "chunk 1 of 5 (table 0): its table header is cut short");
  // The header announces 2 rows of at least 10 bytes; 19 follow.
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 59), reader, why));
  EXPECT_EQ(why,
            "chunk 1 of 5 (table 0): its table header announces 2 rows, more than the file holds");
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 72), reader, why));
  EXPECT_EQ(why, "chunk 1 of 5 (table 0): row 2 of 2 is cut short");
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 76), reader, why));
  EXPECT_EQ(why, "chunk 1 of 5 (table 0): row 2 of 2: its name length is cut short");
  EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(written.begin(), written.begin() + 80), reader, why));
  EXPECT_EQ(why, "chunk 1 of 5 (table 0): row 2 of 2: its name is cut short");
}

TEST_F(DovetarTranslatorTest, EveryFlippedStructureByteIsRefusedAndNoCountChangesSilently) {
  const ExpectedFile expected = Expected();
  const std::vector<uint8_t> written = Written();
  ASSERT_EQ(written, expected.Bytes());
  size_t refusedFree = 0;
  for (size_t offset = 0; offset < written.size(); ++offset) {
    std::vector<uint8_t> flipped = written;
    flipped[offset] ^= 0xFF;
    CDovetarTranslator reader;
    std::string why;
    const bool read = ReadBytes(flipped, reader, why);
    if (!expected.IsFree(offset)) {
      EXPECT_FALSE(read) << "structure byte " << offset << " flipped was accepted";
      continue;
    }
    if (!read) {
      ++refusedFree;  // an id out of order or a name that is no longer UTF-16
      continue;
    }
    const size_t rows[] = {2, 1, 2, 0, 2};
    for (int32_t index = 0; index < CDovetarTranslator::kTables; ++index)
      EXPECT_EQ(reader.Translator(index).Rows(), rows[index]) << offset;
  }
  // Flipping the low byte of mode id 1 (to 254) puts it after mode 3.
  EXPECT_GT(refusedFree, 0u);
}

TEST_F(DovetarTranslatorTest, RefusesEveryBrokenConditionWithItsMessage) {
  const std::vector<uint8_t> written = Written();
  struct Case {
    size_t offset;
    int32_t value;
    const char* why;
  };
  const Case cases[] = {
      {0, 1954, "the file header has magic 1954, size 16 and version 1 instead of 1953, 16 and 1"},
      {4, 20, "the file header has magic 1953, size 20 and version 1 instead of 1953, 16 and 1"},
      {8, 2, "the file header has magic 1953, size 16 and version 2 instead of 1953, 16 and 1"},
      {12, -1, "the file header announces -1 tables"},
      {12, 6, "chunk 6 of 6: its chunk header is cut short"},
      {16, 16,
       "chunk 1 of 5: its chunk header has size 16, version 1 and table index 0 instead "
       "of 12, 1 and 0..4"},
      {20, 0,
       "chunk 1 of 5: its chunk header has size 12, version 0 and table index 0 instead "
       "of 12, 1 and 0..4"},
      {24, 5,
       "chunk 1 of 5: its chunk header has size 12, version 1 and table index 5 instead "
       "of 12, 1 and 0..4"},
      {24, -1,
       "chunk 1 of 5: its chunk header has size 12, version 1 and table index -1 "
       "instead of 12, 1 and 0..4"},
      {28, 13,
       "chunk 1 of 5 (table 0): its table header has size 13 and version 1 instead of "
       "12 and 1"},
      {32, 2,
       "chunk 1 of 5 (table 0): its table header has size 12 and version 2 instead of "
       "12 and 1"},
      {36, -2,
       "chunk 1 of 5 (table 0): its table header announces -2 rows, more than the file "
       "holds"},
      {36, 1000,
       "chunk 1 of 5 (table 0): its table header announces 1000 rows, more than the "
       "file holds"},
      {40, 3, "chunk 1 of 5 (table 0): row 2 of 2 repeats an id or is out of id order"},
      {44, 0, "chunk 1 of 5 (table 0): row 1 of 2: its name length 0 is not in 1..200"},
      {44, 201, "chunk 1 of 5 (table 0): row 1 of 2: its name length 201 is not in 1..200"},
      {44, 10,
       "chunk 1 of 5 (table 0): row 1 of 2: its name does not end at its terminating "
       "zero"},
      // 'R' and 'u' become a zero and a lone low surrogate.
      {48, 0,
       "chunk 1 of 5 (table 0): row 1 of 2: its name does not end at its terminating "
       "zero"},
      {48, static_cast<int32_t>(0x0075DC00),
       "chunk 1 of 5 (table 0): row 1 of 2: its name is "
       "not well-formed UTF-16"},
  };
  for (const Case& c : cases) {
    CDovetarTranslator reader;
    std::string why;
    EXPECT_FALSE(ReadBytes(Patched(written, c.offset, c.value), reader, why)) << c.offset;
    EXPECT_EQ(why, c.why) << c.offset;
  }

  // The message of the reading that reports it.
  PrWin::CaptureSink sink;
  CDovetarTranslator reader;
  CMemFile file(Patched(written, 0, 7));
  EXPECT_FALSE(reader.Read(file));
  ASSERT_EQ(sink.Lines().size(), 1u);
  EXPECT_EQ(sink.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(sink.Lines()[0].style, 0);
  EXPECT_EQ(sink.Lines()[0].text,
            "The identifier tables of the learn file are damaged: the file header has magic 7, "
            "size 16 and version 1 instead of 1953, 16 and 1\n");
}

TEST_F(DovetarTranslatorTest, TablesReadBeforeABrokenOneStayFilled) {
  const std::vector<uint8_t> written = Written();
  // The instrument chunk (offset 90) names table 7.
  CDovetarTranslator reader;
  std::string why;
  EXPECT_FALSE(ReadBytes(Patched(written, 90 + 8, 7), reader, why));
  EXPECT_EQ(why,
            "chunk 2 of 5: its chunk header has size 12, version 1 and table index 7 instead "
            "of 12, 1 and 0..4");
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiMode).Table().size(), 2u);
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiInstrument).Rows(), 0u);
}

TEST_F(DovetarTranslatorTest, ChunksInAnotherOrderFillTheSameTablesAndTheCountIsNotFive) {
  const std::vector<uint8_t> written = Written();
  // Chunk 0 spans [16, 90); the rest [92, end). Swap them: the mode table comes last.
  std::vector<uint8_t> swapped(written.begin(), written.begin() + 16);
  swapped.insert(swapped.end(), written.begin() + 90, written.end());
  swapped.insert(swapped.end(), written.begin() + 16, written.begin() + 90);
  CDovetarTranslator reader;
  std::string why;
  ASSERT_TRUE(ReadBytes(swapped, reader, why)) << why;
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiMode).Table().at(QIdx1(3)).name, "Coast");
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiChannel).Rows(), 2u);
  EXPECT_EQ(reader.InstrumentParamTable().Rows(), 2u);

  // A count of 1 reads the first chunk only; 0 reads none.
  ASSERT_TRUE(ReadBytes(Patched(written, 12, 1), reader, why)) << why;
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiMode).Rows(), 2u);
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiInstrument).Rows(), 0u);
  ASSERT_TRUE(ReadBytes(Patched(written, 12, 0), reader, why)) << why;
  EXPECT_EQ(reader.NameTable(CDovetarTranslator::tiMode).Rows(), 0u);
}

TEST_F(DovetarTranslatorTest, DumpsEachTableExactly) {
  CDovetarTranslator reader;
  std::string why;
  ASSERT_TRUE(ReadBytes(Written(), reader, why)) << why;
  PrWin::CaptureSink sink;
  reader.Dump();
  const std::string begin = "\n <<------------ Table ------------->>\n";
  const std::string end = "\n <<------------ End Table ------------->>\n";
  EXPECT_EQ(sink.Text(), begin + "id: 1, Name: Run-up 1st\nid: 3, Name: Coast\n" + end + begin +
                             "id: 5, Name: Level\n" + end + begin +
                             "id: 7, Name: \xC3\x84"
                             "cc\nid: 8, Name: Clef \xF0\x9D\x84\x9E\n" +
                             end + begin + end + begin +
                             "id: 10, Instrument: 5, Name: RMS\nid: 12, Instrument: 5, Name: "
                             "Peak\n" +
                             end);
  for (const auto& line : sink.Lines()) {
    EXPECT_EQ(line.category, PrWin::catDebug);
    EXPECT_EQ(line.style, 0);
  }
}

TEST_F(DovetarTranslatorTest, AFailedWriteReturnsFalse) {
  const size_t size = Written().size();
  for (size_t limit : {size_t{0}, size_t{15}, size_t{40}, size - 1}) {
    CDovetarTranslator translator;
    CMemFile file;
    file.SetWriteLimit(limit);
    EXPECT_FALSE(translator.Write(file)) << limit;
  }
}
