// `kelva inspect learn` end to end, on a learn file made byte by byte after its layout: the
// identifier tables of the file, the chunks and every learned item, as text and as JSON.
#include <gtest/gtest.h>

#include "app/FileBytes.h"
#include "app/KelvaProcess.h"
#include "app/QuietRun.h"
#include "host/Crc32.h"

namespace {

void PutInts(std::string& bytes, std::initializer_list<int32_t> values) {
  for (const int32_t value : values) PutLE(bytes, value);
}

// The identifier tables with one table, the modes, holding mode 3 "Run-up 2nd": file header
// (1953, 16, 1, one table), chunk header (12, 1, table 0), table header (12, 1, one row), then
// the id and the name as n UTF-16 code units with the terminating zero.
std::string IdentifierTables() {
  std::string bytes;
  PutInts(bytes, {1953, 16, 1, 1, 12, 1, 0, 12, 1, 1, 3});
  const std::string name = "Run-up 2nd";
  PutLE(bytes, static_cast<int32_t>(name.size() + 1));
  for (const char c : name) PutLE(bytes, static_cast<uint16_t>(c));
  PutLE(bytes, uint16_t{0});
  return bytes;
}

// The learn tables with the chunk of final scalars only: block header (1954, 16, 1, one
// chunk), chunk header (12, 1, 2000), a DYNT table of 2 records (key version 1, item version
// 2) and one row: key (3, 1, 1, 1, 100, 2); item remaining 17, count 3, active 1, two times,
// mean 92.5, mean square 8556.5 (so the standard deviation is sqrt(8556.5 - 92.5²) = 0.5).
std::string LearnTables() {
  std::string bytes;
  PutInts(bytes, {1954, 16, 1, 1, 12, 1, 2000});
  bytes += "DYNT";
  for (const uint32_t field : {2u, 1u, 2u, 1u}) PutLE(bytes, field);
  bytes += '\x06';
  for (int i = 0; i < 6; ++i) bytes += "i\x04";
  PutInts(bytes, {3, 1, 1, 1, 100, 2});
  bytes +=
      std::string("\x07") + "i\x04" + "u\x04" + "i\x04" + "i\x08" + "i\x08" + "f\x04" + "f\x04";
  PutLE(bytes, int32_t{17});
  PutLE(bytes, uint32_t{3});
  PutLE(bytes, int32_t{1});
  PutLE(bytes, int64_t{1765000000});
  PutLE(bytes, int64_t{1765000000});
  PutLE(bytes, 92.5f);
  PutLE(bytes, 8556.5f);
  return bytes;
}

// The whole file: both blocks and the CRC-32 of all their bytes.
std::string LearnFile() {
  std::string bytes = IdentifierTables() + LearnTables();
  PutLE(bytes, Crc32::Of(bytes.data(), bytes.size()));
  return bytes;
}

}  // namespace

TEST(InspectLearnTest, AHandMadeLearnFileAsTextAndJson) {
  TempFolder folder;
  WriteText(folder / "plan.json", DemoPlan().dump());
  WriteText(folder / "T.learn", LearnFile());
  const ProcessResult text =
      RunKelva({"inspect", "learn", folder / "T.learn", "--plan", folder / "plan.json"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out,
            "Learn file " + folder / "T.learn" +
                "\n"
                "identifier tables: 1 mode, 0 instruments, 0 channels, 0 locations, 0 instrument "
                "parameters\n"
                "  mode 3: Run-up 2nd\n"
                "chunk 2000 final scalars: 1 rows\n"
                "chunk 2001 scalar tracks: 0 tracks, 0 rows\n"
                "chunk 2002 final curves: 0 rows\n"
                "chunk 2003 curve tracks: 0 tracks, 0 rows\n"
                "final scalar mode 3 \"Run-up 2nd gear drive\", instrument 1 \"Body sound "
                "level\", channel 1 \"Accelerometer input bearing\", location 1 \"Input "
                "bearing\", parameter 100 \"RMS level 1-10 kHz\", sensor 2 \"Accelerometer A1\": "
                "count 3, remaining 17, active 1, mean 92.5, standard deviation 0.5\n");

  const ProcessResult json = RunKelva({"inspect", "learn", folder / "T.learn", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  ASSERT_TRUE(nlohmann::json::accept(json.out)) << json.out;
  const nlohmann::json learn = nlohmann::json::parse(json.out);
  EXPECT_EQ(learn["kind"], "learn");
  EXPECT_EQ(learn["identifierTables"]["modes"],
            nlohmann::json::parse(R"([{"id":3,"name":"Run-up 2nd"}])"));
  EXPECT_EQ(learn["chunks"][0], nlohmann::json::parse(R"({"id":2000,"kind":"final scalars",
                                                          "rows":1})"));
  EXPECT_EQ(learn["finalScalars"],
            nlohmann::json::parse(R"([{"key":[3,1,1,1,100,2],"count":3,"remaining":17,
                                       "active":1,"mean":92.5,"standardDeviation":0.5}])"));
  EXPECT_EQ(learn["scalarTracks"], nlohmann::json::array());
}

// A changed byte, a cut file and a file of another kind are refused with the reason, exit 2,
// and stay as they are.
TEST(InspectLearnTest, DamagedLearnFilesAreRefusedAndLeftAlone) {
  TempFolder folder;
  const std::string path = folder / "T.learn";
  const std::string refused = "kelva: the learn file " + path + " cannot be read: ";
  const std::string bytes = LearnFile();
  std::string flipped = bytes;
  flipped[40] = static_cast<char>(flipped[40] ^ 0x01);
  for (const std::string& content : {flipped, bytes.substr(0, bytes.size() - 1)}) {
    WriteText(path, content);
    const ProcessResult run = RunKelva({"inspect", "learn", path});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              refused + "its checksum does not match its content (bytes were changed or lost)\n");
    EXPECT_EQ(ReadText(path), content);
    EXPECT_EQ(NamesStartingWith(folder.Path(), "T.learn"), std::vector<std::string>{"T.learn"});
  }
  // A learn block announcing a chunk id the store does not have, with a valid checksum.
  std::string foreign = IdentifierTables() + LearnTables();
  const size_t chunkId = IdentifierTables().size() + 24;
  foreign[chunkId] = static_cast<char>(0xD4);  // 2000 (0x07D0) becomes 2004 (0x07D4)
  PutLE(foreign, Crc32::Of(foreign.data(), foreign.size()));
  WriteText(path, foreign);
  const ProcessResult unknown = RunKelva({"inspect", "learn", path});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_EQ(unknown.err, refused + "its learn tables are damaged\n");
}

// The learn file of three quiet good parts of the demo plan. Every single value the simulation
// measures has an item that learned three values near their nominal value. The two order
// tracks of modes 1 to 4, the order spectra of modes 1, 2, 3, 4 and 6 and the order
// spectrogram of mode 1 (the bench has spectrograms learned) are learned too.
TEST(InspectLearnTest, LearnFileOfARun) {
  TempFolder folder;
  RunThreeParts(folder);
  const std::string path = folder / "work/Learn/EOL-3_GT2-A.learn";
  const ProcessResult json = RunKelva({"inspect", "learn", path, "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  ASSERT_TRUE(nlohmann::json::accept(json.out)) << json.out;
  const nlohmann::json learn = nlohmann::json::parse(json.out);
  EXPECT_EQ(learn["identifierTables"]["modes"].size(), 7u);
  EXPECT_EQ(learn["identifierTables"]["modes"][0],
            nlohmann::json::parse(R"({"id":1,"name":"Run-up 1st gear drive"})"));
  ASSERT_EQ(learn["chunks"].size(), 4u);
  EXPECT_EQ(learn["chunks"][0]["rows"], 15);
  EXPECT_EQ(learn["chunks"][1]["tracks"], 8);
  EXPECT_EQ(learn["chunks"][1]["rows"], 8 * 321);  // 800 to 4,000 rpm in steps of 10
  EXPECT_EQ(learn["chunks"][2]["rows"], 5);
  EXPECT_EQ(learn["chunks"][3]["tracks"], 1);
  EXPECT_EQ(learn["chunks"][3]["rows"], 81);  // a row every fourth of the 321 cells

  const std::vector<SingleValue> learned = DemoSingleValues();
  ASSERT_EQ(learn["finalScalars"].size(), learned.size());
  for (size_t i = 0; i < learned.size(); ++i) {
    const nlohmann::json& item = learn["finalScalars"][i];
    EXPECT_EQ(item["count"], 3) << i;
    EXPECT_EQ(item["remaining"], -1) << i;  // the demo's learn forever
    EXPECT_NEAR(item["mean"].get<double>(), learned[i].nominal, 1e-4) << i;
    // sqrt(meanSquare - mean²) in float: what is left of values this close is rounding.
    EXPECT_LT(item["standardDeviation"].get<double>(), 0.1) << i;
  }
  for (const nlohmann::json& curve : learn["finalCurves"]) {
    EXPECT_EQ(curve["points"], 1001);
    EXPECT_EQ(curve["count"], 3);
  }

  const ProcessResult text = RunKelva({"inspect", "learn", path});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  const std::vector<std::string> scalars = Lines(text.out, "final scalar ", ":");
  ASSERT_EQ(scalars.size(), learned.size());
  for (size_t i = 0; i < learned.size(); ++i) EXPECT_EQ(scalars[i], learned[i].key);
  EXPECT_NE(text.out.find("\nchunk 2000 final scalars: 15 rows\n"), std::string::npos) << text.out;
  // Describing changed nothing: a second run goes on learning from the same file.
  EXPECT_EQ(NamesStartingWith(folder / "work/Learn", "EOL-3_GT2-A.learn"),
            std::vector<std::string>{"EOL-3_GT2-A.learn"});
}
