#include "frame/FileDescriber.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "host/File.h"
#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"

namespace fs = std::filesystem;

namespace {

const QClavis kA(1, 1, 1, 1, 10, 0);
const QClavis kB(2, 1, 1, 2, 10, 3);

KelStoreSValue Limited(float value) {
  KelStoreSValue record;
  record.value = value;
  record.position = 0.25f;
  record.evalMode = QVInstrumentParam::eval_upper;
  record.aux = 7;
  record.limit = 100.0f;
  record.mean = 80.75f;
  return record;
}

KelStoreSValue Plain(float value) {
  KelStoreSValue record;
  record.value = value;
  return record;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A history of three parts with depth 2: quantity A has sections 1 and 2, quantity B
// (missing on the third part) sections 0 and 1, the second of them not a finite number.
class FileDescriberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kelva-describe-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    path = (folder / "P1_T1.dhf").string();
    CKelValueStore store;
    store.SetFinalScalarHistoryDepth(2);
    const float b[2] = {90.25f, std::numeric_limits<float>::infinity()};
    for (int part = 0; part < 3; ++part) {
      store.InsertSValue(kA, Limited(80.5f + static_cast<float>(part)), CMeasuringUnit(), 1);
      if (part < 2) store.InsertSValue(kB, Plain(b[part]), CMeasuringUnit(), 1);
      store.CopyToHistoryStore();
      store.validated();
    }
    CReplacingFile file;
    ASSERT_TRUE(file.Open(path) && store.WriteHistory(file) && file.Commit());
    bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 24u + 4 * 80u);
  }
  void TearDown() override {
    ASSERT_TRUE(TestPlan::Builder("empty").Install());
    fs::remove_all(folder);
  }

  // The description, or the refusal prefixed by "refused: ".
  std::string Describe(int32_t kind, bool json) const {
    std::string out;
    return FileDescriber::Describe(kind, path, json, out) ? out : "refused: " + out;
  }

  fs::path folder;
  std::string path;
  std::string bytes;
};

TEST_F(FileDescriberTest, HistoryAsTextWithIdsAndWithNamesOfThePlan) {
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false),
            "History file " + path +
                "\n"
                "history count: 3\n"
                "quantities: 2\n"
                "entries: 4\n"
                "sections: 3 (0 to 2)\n"
                "quantity 1: mode 1, instrument 1, channel 1, location 1, parameter 10, sensor 0; "
                "2 sections\n"
                "  section 1: value 81.5, position 0.25, eval mode 2 (upper), aux 7, limit 100, "
                "mean 80.75\n"
                "  section 2: value 82.5, position 0.25, eval mode 2 (upper), aux 7, limit 100, "
                "mean 80.75\n"
                "quantity 2: mode 2, instrument 1, channel 1, location 2, parameter 10, sensor 3; "
                "2 sections\n"
                "  section 0: value 90.25, position 0, eval mode 0 (none), aux 0, limit 0, mean 0\n"
                "  section 1: value inf, position 0, eval mode 0 (none), aux 0, limit 0, mean 0\n");

  // With a plan, every id it names gets its name; location 2, mode 2 and sensor 0 stay ids.
  TestPlan::Builder plan("names");
  plan.Mode(1, "Run-up \"1st\"").Instrument(1, "Level", 1).Channel(1, "Acc").Location(1, "Input");
  plan.Parameter(10, 1, "RMS").Signal(3, "Accel A2", CMeasuringUnit());
  ASSERT_TRUE(plan.Install());
  const std::string text = Describe(FileDescriber::kindHistory, false);
  EXPECT_NE(
      text.find("\nquantity 1: mode 1 \"Run-up \"1st\"\", instrument 1 \"Level\", channel 1 "
                "\"Acc\", location 1 \"Input\", parameter 10 \"RMS\", sensor 0; 2 sections\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("\nquantity 2: mode 2, instrument 1 \"Level\", channel 1 \"Acc\", location "
                      "2, parameter 10 \"RMS\", sensor 3 \"Accel A2\"; 2 sections\n"),
            std::string::npos)
      << text;
}

TEST_F(FileDescriberTest, HistoryAsOneJsonObject) {
  TestPlan::Builder plan("names");
  plan.Mode(1, "Run-up \"1st\"").Instrument(1, "Level", 1).Channel(1, "Acc").Location(1, "Input");
  plan.Parameter(10, 1, "RMS").Signal(3, "Accel A2", CMeasuringUnit());
  ASSERT_TRUE(plan.Install());
  const std::string a = "{\"value\":81.5,\"position\":0.25,\"evalMode\":2,\"aux\":7,";
  EXPECT_EQ(
      Describe(FileDescriber::kindHistory, true),
      "{\"file\":\"" + path +
          "\",\"kind\":\"history\",\"historyCount\":3,\"quantities\":2,\"entries\":4,"
          "\"sections\":3,\"firstSection\":0,\"lastSection\":2,\"keys\":["
          "{\"key\":[1,1,1,1,10,0],\"names\":{\"mode\":\"Run-up \\\"1st\\\"\",\"instrument\":"
          "\"Level\",\"channel\":\"Acc\",\"location\":\"Input\",\"parameter\":\"RMS\"},"
          "\"sections\":["
          "{\"section\":1,\"value\":81.5,\"position\":0.25,\"evalMode\":2,\"aux\":7,\"limit\":100,"
          "\"mean\":80.75},"
          "{\"section\":2,\"value\":82.5,\"position\":0.25,\"evalMode\":2,\"aux\":7,\"limit\":100,"
          "\"mean\":80.75}]},"
          "{\"key\":[2,1,1,2,10,3],\"names\":{\"instrument\":\"Level\",\"channel\":\"Acc\","
          "\"parameter\":\"RMS\",\"sensor\":\"Accel A2\"},\"sections\":["
          "{\"section\":0,\"value\":90.25,\"position\":0,\"evalMode\":0,\"aux\":0,\"limit\":0,"
          "\"mean\":0},"
          "{\"section\":1,\"value\":null,\"position\":0,\"evalMode\":0,\"aux\":0,\"limit\":0,"
          "\"mean\":0}]}]}\n");

  // An empty history: no sections, so no first and last section.
  CKelValueStore empty;
  empty.CopyToHistoryStore();
  CReplacingFile file;
  ASSERT_TRUE(file.Open(path) && empty.WriteHistory(file) && file.Commit());
  EXPECT_EQ(Describe(FileDescriber::kindHistory, true),
            "{\"file\":\"" + path +
                "\",\"kind\":\"history\",\"historyCount\":1,\"quantities\":0,\"entries\":0,"
                "\"sections\":0,\"keys\":[]}\n");
  EXPECT_EQ(
      Describe(FileDescriber::kindHistory, false),
      "History file " + path + "\nhistory count: 1\nquantities: 0\nentries: 0\nsections: 0\n");
}

// A file that cannot be described is named with the reason, and it stays exactly as it was:
// describing only looks.
TEST_F(FileDescriberTest, DamagedMissingAndOtherFilesAreRefusedAndLeftAlone) {
  const std::string refused = "refused: the history file " + path + " cannot be read: ";
  WriteBytes(path, bytes.substr(0, bytes.size() - 1));
  EXPECT_EQ(
      Describe(FileDescriber::kindHistory, false),
      refused + "its history table is damaged: row 4 of 4 is cut short or has another layout");
  EXPECT_EQ(ReadBytes(path), bytes.substr(0, bytes.size() - 1));

  WriteBytes(path, bytes + "xy");
  EXPECT_EQ(Describe(FileDescriber::kindHistory, true),
            refused + "2 bytes follow the end of its content");

  std::string countTooSmall = bytes;
  countTooSmall[0] = 2;  // section 2 is saved, so the next section cannot be number 2
  WriteBytes(path, countTooSmall);
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false),
            refused + "section index 2 is not below the history count 2");
  EXPECT_EQ(ReadBytes(path), countTooSmall);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

  WriteBytes(path, "");
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false),
            refused + "it ends before the history count");

  fs::remove(path);
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false),
            "refused: the history file " + path + " does not exist");
  fs::create_directory(path);
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false), refused + "it is not a regular file");
  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(Describe(FileDescriber::kindHistory, false), refused + "it is not a regular file");
  EXPECT_TRUE(fs::is_fifo(path));

  EXPECT_EQ(Describe(9, false), "refused: files of kind 9 cannot be described");
}

}  // namespace
