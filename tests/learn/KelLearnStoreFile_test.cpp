#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/DynTables.h"
#include "host/Output.h"
#include "learn/LearnStoreFixture.h"

namespace {

int32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
  std::memcpy(bytes.data() + offset, &value, sizeof(value));
  return bytes;
}

}  // namespace

class LearnFileTest : public LearnStoreTest {
 protected:
  // A store that learned two parts of everything, spectrograms included.
  void LearnEverything(CKelLearnStore& store) {
    store.LearnSpectrograms(true);
    for (float x : {2.0f, 4.0f}) {
      Scalar(rms, x);
      Scalar(peak, x);
      TrackPoint(track, 0, x);
      TrackPoint(track, 3, x + 1);
      TrackPoint(lowest, 1, x);
      Spectrum(spectrum, {x, x + 1, x + 2});
      SpectrogramCurve(spectrogram, 4, {x, 2 * x});
      LearnPart(store);
    }
  }
  static std::vector<uint8_t> Written(const CKelLearnStore& store) {
    CMemFile file;
    EXPECT_TRUE(store.WriteLearnTables(file));
    return file.Bytes();
  }
  bool ReadInto(CKelLearnStore& store, const std::vector<uint8_t>& bytes) {
    CMemFile file(bytes);
    return store.ReadAndTranslateLearnTables(file);
  }
  // The offset of the chunk header of each chunk, found by reading the block chunk by chunk.
  std::vector<size_t> ChunkOffsets(const std::vector<uint8_t>& bytes) {
    std::vector<size_t> offsets;
    for (size_t chunks = 1; chunks <= 4; ++chunks) {
      std::vector<uint8_t> cut = Patched(bytes, 12, static_cast<int32_t>(chunks));
      CKelLearnStore probe(values, -1);
      CMemFile file(cut);
      if (!probe.ReadAndTranslateLearnTables(file)) break;
      offsets.push_back(static_cast<size_t>(file.GetPosition()));
    }
    offsets.insert(offsets.begin(), 16);
    offsets.pop_back();
    return offsets;
  }
};

TEST_F(LearnFileTest, HeaderAndChunksFollowTheMask) {
  CKelLearnStore store(values, -1);
  LearnEverything(store);
  store.LearnSpectrograms(false);
  std::vector<uint8_t> bytes = Written(store);
  EXPECT_EQ(WordAt(bytes, 0), 1954);
  EXPECT_EQ(WordAt(bytes, 4), 16);
  EXPECT_EQ(WordAt(bytes, 8), 1);
  EXPECT_EQ(WordAt(bytes, 12), 3);
  std::vector<size_t> offsets = ChunkOffsets(bytes);
  ASSERT_EQ(offsets.size(), 3u);
  for (size_t chunk = 0; chunk < offsets.size(); ++chunk) {
    EXPECT_EQ(WordAt(bytes, offsets[chunk]), 12);
    EXPECT_EQ(WordAt(bytes, offsets[chunk] + 4), 1);
    EXPECT_EQ(WordAt(bytes, offsets[chunk] + 8), static_cast<int32_t>(2000 + chunk));
  }
  // The scalar table: DynTables header (2 records, key group 1, value group 2, 2 rows).
  CMemFile table(std::vector<uint8_t>(bytes.begin() + 28, bytes.end()));
  DynTables::Header header;
  ASSERT_TRUE(DynTables::ReadFromFile(table, header));
  EXPECT_EQ(header.parts, 2u);
  EXPECT_EQ(header.keyVersion, 1u);
  EXPECT_EQ(header.valueVersion, 2u);
  EXPECT_EQ(header.rows, 2u);

  store.LearnSpectrograms(true);
  bytes = Written(store);
  EXPECT_EQ(WordAt(bytes, 12), 4);
  offsets = ChunkOffsets(bytes);
  ASSERT_EQ(offsets.size(), 4u);
  EXPECT_EQ(WordAt(bytes, offsets[3] + 8), 2003);
}

TEST_F(LearnFileTest, ReadBackAndWrittenAgainIsByteIdentical) {
  CKelLearnStore store(values, -1);
  LearnEverything(store);
  const std::vector<uint8_t> bytes = Written(store);

  CKelValueStore freshValues;
  CKelLearnStore fresh(freshValues, -1);
  fresh.LearnSpectrograms(true);
  CMemFile file(bytes);
  ASSERT_TRUE(fresh.ReadAndTranslateLearnTables(file));
  EXPECT_EQ(file.GetPosition(), bytes.size());
  EXPECT_EQ(Written(fresh), bytes);
  // The learned data arrived under the same quantities.
  const KelLearnSValue& rmsItem = fresh.LearnedSingleValue().at(rms);
  EXPECT_EQ(rmsItem.count, 2u);
  EXPECT_FLOAT_EQ(rmsItem.mean, 3.0f);
  EXPECT_EQ(freshValues.TrackScalarStore().DovetarOfKey(
                freshValues.TrackScalarStore().KeyOfDovetar(track)),
            track);
  EXPECT_EQ(fresh.LearnedCurveTrack()
                .at(freshValues.TrackCurveStore().KeyOfDovetar(spectrogram))
                .at(4)
                .Average()
                .size(),
            2u);
  // Chunks whose mask bit is clear are read all the same.
  CKelLearnStore defaultMask(freshValues, -1);
  ASSERT_TRUE(ReadInto(defaultMask, bytes));
  EXPECT_EQ(defaultMask.LearnedCurveTrack().size(), 1u);
}

TEST_F(LearnFileTest, MalformedHeadersGiveTheirMessages) {
  CKelLearnStore store(values, -1);
  LearnEverything(store);
  const std::vector<uint8_t> bytes = Written(store);
  struct Case {
    size_t offset;
    int32_t value;
    std::string message;
  };
  const size_t chunk = 16;
  const std::vector<Case> cases = {
      {0, 1953, "Learnfile has no Learndata chunk, read magic 1953 not equal magic 1954\n"},
      {8, 2, "Read learnfile version 2, doesn't match expected version 1\n"},
      {4, 20, ""},
      {chunk + 4, 2, "Read learnfile table version 2 newer then expected version 1\n"},
      {chunk, 16, ""},
      {chunk + 8, 2004, ""},
      {chunk + 8, 1999, ""},
      {12, 5, ""},  // one chunk more than there are
  };
  for (const Case& c : cases) {
    PrWin::CaptureSink sink;
    CKelValueStore otherValues;
    CKelLearnStore reader(otherValues, -1);
    EXPECT_FALSE(ReadInto(reader, Patched(bytes, c.offset, c.value))) << c.offset;
    EXPECT_EQ(sink.Text(), c.message) << c.offset;
    if (!c.message.empty()) {
      ASSERT_EQ(sink.Lines().size(), 1u);
      EXPECT_EQ(sink.Lines()[0].category, 1);
      EXPECT_EQ(sink.Lines()[0].style, 3);
    }
    // A refused file header reads nothing.
    if (c.offset < 12) {
      EXPECT_TRUE(reader.LearnedSingleValue().empty()) << c.offset;
    }
  }
}

TEST_F(LearnFileTest, CurveItemWithoutPointsHasFlagZero) {
  CKelLearnStore store(values, -1);
  KelLearnCurve empty;
  empty.InitNewLearn(5);
  store.LearnedSigCurveMap().emplace(spectrum, empty);
  const std::vector<uint8_t> bytes = Written(store);
  CKelLearnStore reader(values, -1);
  ASSERT_TRUE(ReadInto(reader, bytes));
  const KelLearnCurve& read = reader.LearnedSigCurveMap().at(spectrum);
  EXPECT_EQ(read.remaining, 5);
  EXPECT_EQ(read.Average().size(), 0u);
  EXPECT_EQ(Written(reader), bytes);
  // The flag is the last word of the only curve row, which ends the chunk and the third
  // chunk ends the block (an empty curve track is not written with the default mask).
  EXPECT_EQ(WordAt(bytes, bytes.size() - 4), 0);
}

TEST_F(LearnFileTest, OlderScalarRowsAreRead) {
  // A block with one scalar chunk of value-group version 1: five raw words per row.
  CMemFile file;
  for (int32_t word : {1954, 16, 1, 1, 12, 1, 2000}) WriteLE(file, word);
  DynTables::Header header;
  DynTables::FillHeader(header, 2, 1, 1, 1);
  DynTables::WriteToFile(file, header);
  DynTables::WriteTuple(file, rms.tuple());
  WriteLE(file, int32_t{7});
  WriteLE(file, uint32_t{3});
  WriteLE(file, int32_t{1});
  WriteLE(file, 2.5f);
  WriteLE(file, 6.25f);
  CKelLearnStore reader(values, -1);
  file.Seek(0);
  ASSERT_TRUE(reader.ReadAndTranslateLearnTables(file));
  const KelLearnSValue& item = reader.LearnedSingleValue().at(rms);
  EXPECT_EQ(item.remaining, 7);
  EXPECT_EQ(item.count, 3u);
  EXPECT_EQ(item.mean, 2.5f);
  EXPECT_EQ(item.meanSquare, 6.25f);
  EXPECT_GT(item.initTime, 0);
}

TEST_F(LearnFileTest, CutOrFlippedBlocksNeverCrash) {
  CKelLearnStore store(values, -1);
  LearnEverything(store);
  const std::vector<uint8_t> bytes = Written(store);
  PrWin::CaptureSink quiet;
  for (size_t length = 0; length < bytes.size(); ++length) {
    CKelValueStore otherValues;
    CKelLearnStore reader(otherValues, -1);
    EXPECT_FALSE(ReadInto(reader, std::vector<uint8_t>(bytes.begin(), bytes.begin() + length)))
        << length;
  }
  for (size_t offset = 0; offset < bytes.size(); ++offset) {
    std::vector<uint8_t> flipped = bytes;
    flipped[offset] ^= 0x5A;
    CKelValueStore otherValues;
    CKelLearnStore reader(otherValues, -1);
    CMemFile file(flipped);
    // A damaged file header is always refused; elsewhere a flipped byte may give other
    // learned numbers, which the whole-file checksum of the learn file catches.
    const bool read = reader.ReadAndTranslateLearnTables(file);
    if (offset < 12) {
      EXPECT_FALSE(read) << offset;
    }
  }
}
