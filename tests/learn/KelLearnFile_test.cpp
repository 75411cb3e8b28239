#include "learn/KelLearnFile.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/Crc32.h"
#include "host/Output.h"
#include "learn/LearnStoreFixture.h"

namespace {

class LearnFileWholeTest : public LearnStoreTest {
 protected:
  std::vector<uint8_t> Learned() {
    CKelLearnStore store(values, -1);
    store.LearnSpectrograms(true);
    for (float x : {1.0f, 3.0f}) {
      Scalar(rms, x);
      TrackPoint(track, 2, x);
      Spectrum(spectrum, {x, x});
      SpectrogramCurve(spectrogram, 1, {x});
      LearnPart(store);
    }
    CMemFile file;
    EXPECT_TRUE(KelLearnFile::Write(store, file));
    return file.Bytes();
  }
  static bool ReadBytes(const std::vector<uint8_t>& bytes, std::string& why) {
    CKelValueStore otherValues;
    CKelLearnStore reader(otherValues, -1);
    CMemFile file(bytes);
    return KelLearnFile::Read(reader, file, why);
  }
};

}  // namespace

TEST_F(LearnFileWholeTest, RoundTripIsByteIdenticalAndEndsWithItsChecksum) {
  const std::vector<uint8_t> bytes = Learned();
  const size_t content = bytes.size() - 4;
  const uint32_t checksum = Crc32::Of(bytes.data(), content);
  EXPECT_EQ(bytes[content], checksum & 0xFFu);
  EXPECT_EQ(bytes[content + 3], checksum >> 24);
  // The identifier tables come first (magic 1953), the learn tables after them.
  EXPECT_EQ(bytes[0] | bytes[1] << 8, 1953);

  CKelValueStore freshValues;
  CKelLearnStore fresh(freshValues, -1);
  fresh.LearnSpectrograms(true);
  CMemFile file(bytes);
  std::string why;
  ASSERT_TRUE(KelLearnFile::Read(fresh, file, why)) << why;
  EXPECT_EQ(fresh.LearnedSingleValue().at(rms).mean, 2.0f);
  EXPECT_EQ(fresh.NameTable(CDovetarTranslator::tiMode).Rows(), 2u);
  CMemFile again;
  ASSERT_TRUE(KelLearnFile::Write(fresh, again));
  EXPECT_EQ(again.Bytes(), bytes);
}

TEST_F(LearnFileWholeTest, EveryCutAndEveryFlippedByteIsRefused) {
  const std::vector<uint8_t> bytes = Learned();
  PrWin::CaptureSink quiet;
  std::string why;
  for (size_t length = 0; length < bytes.size(); ++length) {
    EXPECT_FALSE(ReadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), why))
        << length;
  }
  EXPECT_EQ(why, "its checksum does not match its content (bytes were changed or lost)");
  ASSERT_FALSE(ReadBytes({1, 2, 3}, why));
  EXPECT_EQ(why, "it is too short to be a learn file");
  for (size_t offset = 0; offset < bytes.size(); ++offset) {
    for (uint8_t flip : {0x01, 0x80}) {
      std::vector<uint8_t> flipped = bytes;
      flipped[offset] ^= flip;
      EXPECT_FALSE(ReadBytes(flipped, why)) << offset;
    }
  }
  // Content that is intact but not a learn file is refused by its blocks, with a reason.
  std::vector<uint8_t> other = {7, 0, 0, 0};
  const uint32_t checksum = Crc32::Of(other.data(), other.size());
  for (int shift = 0; shift < 32; shift += 8)
    other.push_back(static_cast<uint8_t>(checksum >> shift));
  ASSERT_FALSE(ReadBytes(other, why));
  EXPECT_EQ(why.rfind("its identifier tables are damaged: ", 0), 0u) << why;
}
