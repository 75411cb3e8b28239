#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "frame/FileDescriber.h"
#include "learn/KelLearnFile.h"
#include "learn/LearnStoreFixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Two run-up parts learned with the values 1 and 3 (learn procedure 1: three values, plain
// averages), saved as a learn file with all four chunks: every learned item has mean 2 and
// mean square 5, so standard deviation 1; the curves average to 2 in every point. Items
// started for three values keep active 3 (the number they were started with). The peak's
// procedure learns nothing: its item stays inactive with nothing learned.
class LearnFileDescriberTest : public LearnStoreTest {
 protected:
  void SetUp() override {
    LearnStoreTest::SetUp();
    folder = fs::temp_directory_path() / ("kelva-describe-learn-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    path = (folder / "T1.learn").string();
    CKelLearnStore store(values, -1);
    store.LearnSpectrograms(true);
    for (float x : {1.0f, 3.0f}) {
      Scalar(rms, x);
      Scalar(peak, x);
      TrackPoint(track, 2, x);
      TrackPoint(track, 5, x + 1.0f);
      Spectrum(spectrum, {x, x, x});
      SpectrogramCurve(spectrogram, 1, {x});
      LearnPart(store);
    }
    std::string error;
    ASSERT_TRUE(KelLearnFile::Save(store, path, error)) << error;
  }
  void TearDown() override {
    fs::remove_all(folder);
    LearnStoreTest::TearDown();
  }

  std::string Describe(bool json) const {
    std::string out;
    return FileDescriber::Describe(FileDescriber::kindLearn, path, json, out) ? out
                                                                              : "refused: " + out;
  }

  fs::path folder;
  std::string path;
};

const char* const kIdentifierTables =
    "identifier tables: 2 modes, 5 instruments, 1 channel, 1 location, 8 instrument parameters\n"
    "  mode 1: Run-up\n"
    "  mode 2: Coast-down\n"
    "  instrument 1: Level\n"
    "  instrument 30: Order spectrum\n"
    "  instrument 2001: Order track\n"
    "  instrument 2100: Spectrogram\n"
    "  instrument 5000: Extreme track\n"
    "  channel 1: Gearbox acceleration\n"
    "  location 1: Housing\n"
    "  parameter 100 (instrument 1): RMS\n"
    "  parameter 101 (instrument 1): Peak\n"
    "  parameter 102 (instrument 1): Kurtosis\n"
    "  parameter 210 (instrument 2100): Spectrogram\n"
    "  parameter 300 (instrument 30): Order spectrum\n"
    "  parameter 400 (instrument 2001): Order 23\n"
    "  parameter 500 (instrument 5000): Lowest level\n"
    "  parameter 501 (instrument 5000): Highest level\n";

}  // namespace

TEST_F(LearnFileDescriberTest, LearnFileAsTextWithNamesOfThePlanOrIdsOnly) {
  const std::string items =
      "chunk 2000 final scalars: 2 rows\n"
      "chunk 2001 scalar tracks: 1 tracks, 2 rows\n"
      "chunk 2002 final curves: 1 rows\n"
      "chunk 2003 curve tracks: 1 tracks, 1 rows\n";
  EXPECT_EQ(Describe(false),
            "Learn file " + path + "\n" + kIdentifierTables + items +
                "final scalar mode 1 \"Run-up\", instrument 1 \"Level\", channel 1 \"Gearbox "
                "acceleration\", location 1 \"Housing\", parameter 100 \"RMS\", sensor 0: count "
                "2, remaining 1, active 3, mean 2, standard deviation 1\n"
                "final scalar mode 1 \"Run-up\", instrument 1 \"Level\", channel 1 \"Gearbox "
                "acceleration\", location 1 \"Housing\", parameter 101 \"Peak\", sensor 0: count "
                "0, remaining 0, active 0, mean 0, standard deviation 0\n"
                "scalar track 0 (mode 1 \"Run-up\", instrument 2001 \"Order track\", channel 1 "
                "\"Gearbox acceleration\", location 1 \"Housing\", parameter 400 \"Order 23\", "
                "sensor 0): 2 points\n"
                "  position 2: count 2, remaining 1, active 3, mean 2, standard deviation 1\n"
                "  position 5: count 2, remaining 1, active 3, mean 3, standard deviation 1\n"
                "final curve mode 1 \"Run-up\", instrument 30 \"Order spectrum\", channel 1 "
                "\"Gearbox acceleration\", location 1 \"Housing\", parameter 300 \"Order "
                "spectrum\", sensor 0: count 2, remaining 1, active 3, 3 points, mean of average "
                "2\n"
                "curve track 0 (mode 1 \"Run-up\", instrument 2100 \"Spectrogram\", channel 1 "
                "\"Gearbox acceleration\", location 1 \"Housing\", parameter 210 \"Spectrogram\", "
                "sensor 0): 1 point\n"
                "  position 1: count 2, remaining 1, active 3, 1 points, mean of average 2\n");

  // Without a plan the keys are ids; the identifier tables still come from the file.
  ParamDatabase::Reset();
  const std::string text = Describe(false);
  EXPECT_NE(text.find(kIdentifierTables), std::string::npos) << text;
  EXPECT_NE(text.find("\nfinal scalar mode 1, instrument 1, channel 1, location 1, parameter 100, "
                      "sensor 0: count 2,"),
            std::string::npos)
      << text;
}

TEST_F(LearnFileDescriberTest, LearnFileAsOneJsonObject) {
  ParamDatabase::Reset();
  const std::string kernel = "\"count\":2,\"remaining\":1,\"active\":3,";
  EXPECT_EQ(Describe(true),
            "{\"file\":\"" + path +
                "\",\"kind\":\"learn\",\"identifierTables\":{"
                "\"modes\":[{\"id\":1,\"name\":\"Run-up\"},{\"id\":2,\"name\":\"Coast-down\"}],"
                "\"instruments\":[{\"id\":1,\"name\":\"Level\"},{\"id\":30,\"name\":\"Order "
                "spectrum\"},{\"id\":2001,\"name\":\"Order track\"},{\"id\":2100,\"name\":"
                "\"Spectrogram\"},{\"id\":5000,\"name\":\"Extreme track\"}],"
                "\"channels\":[{\"id\":1,\"name\":\"Gearbox acceleration\"}],"
                "\"locations\":[{\"id\":1,\"name\":\"Housing\"}],"
                "\"instrumentParameters\":[{\"id\":100,\"instrument\":1,\"name\":\"RMS\"},"
                "{\"id\":101,\"instrument\":1,\"name\":\"Peak\"},"
                "{\"id\":102,\"instrument\":1,\"name\":\"Kurtosis\"},"
                "{\"id\":210,\"instrument\":2100,\"name\":\"Spectrogram\"},"
                "{\"id\":300,\"instrument\":30,\"name\":\"Order spectrum\"},"
                "{\"id\":400,\"instrument\":2001,\"name\":\"Order 23\"},"
                "{\"id\":500,\"instrument\":5000,\"name\":\"Lowest level\"},"
                "{\"id\":501,\"instrument\":5000,\"name\":\"Highest level\"}]},"
                "\"chunks\":[{\"id\":2000,\"kind\":\"final scalars\",\"rows\":2},"
                "{\"id\":2001,\"kind\":\"scalar tracks\",\"rows\":2,\"tracks\":1},"
                "{\"id\":2002,\"kind\":\"final curves\",\"rows\":1},"
                "{\"id\":2003,\"kind\":\"curve tracks\",\"rows\":1,\"tracks\":1}],"
                "\"finalScalars\":[{\"key\":[1,1,1,1,100,0]," +
                kernel +
                "\"mean\":2,\"standardDeviation\":1},{\"key\":[1,1,1,1,101,0],\"count\":0,"
                "\"remaining\":0,\"active\":0,\"mean\":0,\"standardDeviation\":0}],"
                "\"scalarTracks\":[{\"trackKey\":0,\"key\":[1,2001,1,1,400,0],\"points\":["
                "{\"position\":2," +
                kernel +
                "\"mean\":2,\"standardDeviation\":1},"
                "{\"position\":5," +
                kernel +
                "\"mean\":3,\"standardDeviation\":1}]}],"
                "\"finalCurves\":[{\"key\":[1,30,1,1,300,0]," +
                kernel +
                "\"points\":3,\"averageMean\":2}],"
                "\"curveTracks\":[{\"trackKey\":0,\"key\":[1,2100,1,1,210,0],\"points\":["
                "{\"position\":1," +
                kernel + "\"points\":1,\"averageMean\":2}]}]}\n");
}

// A changed or cut learn file is refused by its checksum and stays as it is.
TEST_F(LearnFileDescriberTest, DamagedLearnFilesAreRefusedAndLeftAlone) {
  const std::string bytes = ReadBytes(path);
  const std::string refused = "refused: the learn file " + path + " cannot be read: ";
  for (const size_t offset : {size_t{0}, bytes.size() / 2, bytes.size() - 1}) {
    std::string flipped = bytes;
    flipped[offset] = static_cast<char>(flipped[offset] ^ 0x10);
    WriteBytes(path, flipped);
    EXPECT_EQ(Describe(false), refused +
                                   "its checksum does not match its content (bytes were changed "
                                   "or lost)")
        << offset;
    EXPECT_EQ(ReadBytes(path), flipped);
  }
  WriteBytes(path, bytes.substr(0, bytes.size() - 7));
  EXPECT_EQ(Describe(true),
            refused + "its checksum does not match its content (bytes were changed or lost)");
  WriteBytes(path, "abc");
  EXPECT_EQ(Describe(false), refused + "it is too short to be a learn file");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  fs::remove(path);
  EXPECT_EQ(Describe(false), "refused: the learn file " + path + " does not exist");
  fs::create_directory(path);
  EXPECT_EQ(Describe(false), refused + "it is not a regular file");
}
