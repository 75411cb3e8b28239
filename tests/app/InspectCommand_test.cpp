// `kelva inspect history` end to end: the history file a run leaves, described as text and as
// JSON, with and without the names of a plan; damaged and unusable files refused with their
// reason and left as they are.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <sstream>

#include "app/FileBytes.h"
#include "app/KelvaProcess.h"
#include "app/QuietRun.h"

namespace {

const char* const kHistoryName = "work/History/EOL-3_GT2-A.dhf";

// The sequencer copies the pending values into a new history section at every evaluation:
// at the end of each measurement and each mode (6 modes) and when the part leaves, 13 per
// part. A single value is copied at the end of its mode's measurement: section 13·part + 2·k
// for the k-th mode of the sequence.
constexpr int kSectionsPerPart = 13;
int SectionOf(int part, int modeIndex) {
  return kSectionsPerPart * part + 2 * modeIndex;
}

// One row of a history file: the key's six ids and section, then the stored record.
struct Row {
  int32_t key[7];
  float value, position;
  int32_t evalMode, aux;
  float limit, mean;
};

// A history file as docs/file-formats.md lays it out: the count, a DYNT header of 2 records in
// version 1, then per row a key record of 7 int32 and a value record of (f, f, i, i, f, f).
std::string HistoryFile(uint32_t historyCount, const std::vector<Row>& rows) {
  std::string bytes;
  PutLE(bytes, historyCount);
  bytes += "DYNT";
  for (const uint32_t field : {2u, 1u, 1u, static_cast<uint32_t>(rows.size())}) PutLE(bytes, field);
  for (const Row& row : rows) {
    bytes += '\x07';
    for (int i = 0; i < 7; ++i) bytes += "i\x04";
    for (const int32_t id : row.key) PutLE(bytes, id);
    bytes += std::string("\x06") + "f\x04" + "f\x04" + "i\x04" + "i\x04" + "f\x04" + "f\x04";
    PutLE(bytes, row.value);
    PutLE(bytes, row.position);
    PutLE(bytes, row.evalMode);
    PutLE(bytes, row.aux);
    PutLE(bytes, row.limit);
    PutLE(bytes, row.mean);
  }
  return bytes;
}

// The limit each demo single value carries (index in DemoSingleValues order). Three parts
// reach none of the 20 base learns of the plan's learn procedure, so each value is limited by
// the largest allowed limit of the plan: body sound RMS 108 (104 in mode 6), peak 118, drag
// torque 4.5, oil temperature 90.
struct DemoLimit {
  int evalMode;
  std::string evalText;
  float limit;
};
DemoLimit DemoLimitOf(size_t index) {
  if (index == 13) return {2, "upper", 90.0f};
  if (index == 14) return {2, "upper", 4.5f};
  if (index == 12) return {2, "upper", 104.0f};
  return {2, "upper", index % 3 == 1 ? 118.0f : 108.0f};
}
// The mean a value's limit was made from: what was learned before its part (nothing before the
// first part; the quiet simulation repeats the nominal value).
double DemoMean(const SingleValue& value, int part) {
  return part == 0 ? 0.0 : value.nominal;
}
std::string Number(double x) {
  std::ostringstream text;
  text << x;
  return text.str();
}

}  // namespace

// Three parts of the demo simulation: 15 single values per part (body sound RMS in modes 1, 2,
// 3, 4 and 6, peak and output-bearing RMS in modes 1 to 4, oil temperature and drag torque in
// mode 7), each in three sections, 18 distinct sections in all.
TEST(InspectCommandTest, HistoryOfARunAsTextWithIdsOrNames) {
  TempFolder folder;
  RunThreeParts(folder);
  const ProcessResult ids = RunKelva({"inspect", "history", folder / kHistoryName});
  ASSERT_EQ(ids.exitCode, 0) << ids.err;
  EXPECT_EQ(ids.err, "");
  const std::string head = "History file " + folder / kHistoryName +
                           "\n"
                           "history count: 39\n"
                           "quantities: 15\n"
                           "entries: 45\n"
                           "sections: 18 (0 to 36)\n"
                           "quantity 1: ";
  EXPECT_EQ(ids.out.substr(0, head.size()), head);
  std::vector<std::string> keys;
  std::vector<std::string> sections;
  std::vector<std::string> endings;
  std::vector<double> means;
  int number = 0;
  for (const SingleValue& value : DemoSingleValues()) {
    const DemoLimit limit = DemoLimitOf(static_cast<size_t>(number));
    keys.push_back(std::to_string(++number) + ": " + value.key + "; 3 sections");
    for (int part = 0; part < 3; ++part) {
      sections.push_back(std::to_string(SectionOf(part, value.modeIndex)));
      endings.push_back(", position 0, eval mode " + std::to_string(limit.evalMode) + " (" +
                        limit.evalText + "), aux 0, limit " + Number(limit.limit) + ", mean ");
      means.push_back(DemoMean(value, part));
    }
  }
  EXPECT_EQ(Lines(ids.out, "quantity ", "\n"), keys);
  EXPECT_EQ(Lines(ids.out, "  section ", ":"), sections);
  const std::vector<std::string> rests = Lines(ids.out, "  section ", "\n");
  ASSERT_EQ(rests.size(), endings.size());
  for (size_t i = 0; i < rests.size(); ++i) {
    // The learned mean is the simulation's value, which scatters by 1e-6 around the nominal.
    const size_t meanAt = rests[i].rfind(", mean ") + 7;
    EXPECT_TRUE(rests[i].substr(0, meanAt).ends_with(endings[i])) << rests[i];
    const std::string mean = rests[i].substr(meanAt);
    if (means[i] == 0.0)
      EXPECT_EQ(mean, "0") << rests[i];
    else
      EXPECT_NEAR(std::stod(mean), means[i], 1e-4) << rests[i];
  }

  const ProcessResult named =
      RunKelva({"inspect", "history", folder / kHistoryName, "--plan", folder / "plan.json"});
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(named.out.substr(0, head.size()), head);
  const std::vector<std::string> namedKeys = Lines(named.out, "quantity ", "\n");
  ASSERT_EQ(namedKeys.size(), 15u);
  EXPECT_EQ(namedKeys[0],
            "1: mode 1 \"Run-up 1st gear drive\", instrument 1 \"Body sound level\", channel 1 "
            "\"Accelerometer input bearing\", location 1 \"Input bearing\", parameter 100 \"RMS "
            "level 1-10 kHz\", sensor 2 \"Accelerometer A1\"; 3 sections");
  EXPECT_EQ(namedKeys[14],
            "15: mode 7 \"Function check\", instrument 3 \"Drag torque\", channel 4 \"Drive "
            "torque\", location 1 \"Input bearing\", parameter 120 \"Drag torque\", sensor 5 "
            "\"Torque shaft\"; 3 sections");
}

TEST(InspectCommandTest, HistoryOfARunAsJson) {
  TempFolder folder;
  RunThreeParts(folder);
  const ProcessResult run = RunKelva(
      {"inspect", "history", folder / kHistoryName, "--json", "--plan", folder / "plan.json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  ASSERT_TRUE(nlohmann::json::accept(run.out)) << run.out;
  const nlohmann::json history = nlohmann::json::parse(run.out);
  EXPECT_EQ(history["file"], folder / kHistoryName);
  EXPECT_EQ(history["kind"], "history");
  EXPECT_EQ(history["historyCount"], 3 * kSectionsPerPart);
  EXPECT_EQ(history["quantities"], 15);
  EXPECT_EQ(history["entries"], 45);
  EXPECT_EQ(history["sections"], 18);
  EXPECT_EQ(history["firstSection"], 0);
  EXPECT_EQ(history["lastSection"], SectionOf(2, 5));
  const std::vector<SingleValue> expected = DemoSingleValues();
  ASSERT_EQ(history["keys"].size(), expected.size());
  EXPECT_EQ(history["keys"][0]["key"], nlohmann::json({1, 1, 1, 1, 100, 2}));
  EXPECT_EQ(history["keys"][0]["names"], nlohmann::json({{"mode", "Run-up 1st gear drive"},
                                                         {"instrument", "Body sound level"},
                                                         {"channel", "Accelerometer input bearing"},
                                                         {"location", "Input bearing"},
                                                         {"parameter", "RMS level 1-10 kHz"},
                                                         {"sensor", "Accelerometer A1"}}));
  EXPECT_EQ(history["keys"][14]["key"], nlohmann::json({7, 3, 4, 1, 120, 5}));
  for (size_t i = 0; i < expected.size(); ++i) {
    const nlohmann::json& sections = history["keys"][i]["sections"];
    ASSERT_EQ(sections.size(), 3u) << i;
    for (int part = 0; part < 3; ++part) {
      nlohmann::json entry = sections[part];
      // The simulation's scatter of a quantity without noise is a normal of 1e-6.
      EXPECT_NEAR(entry["value"].get<double>(), expected[i].nominal, 1e-4) << i;
      const DemoLimit limit = DemoLimitOf(i);
      const double mean = DemoMean(expected[i], part);
      if (mean == 0.0)
        EXPECT_EQ(entry["mean"].get<double>(), 0.0) << i;
      else
        EXPECT_NEAR(entry["mean"].get<double>(), mean, 1e-4) << i;
      entry.erase("value");
      entry.erase("mean");
      EXPECT_EQ(entry, nlohmann::json({{"section", SectionOf(part, expected[i].modeIndex)},
                                       {"position", 0},
                                       {"evalMode", limit.evalMode},
                                       {"aux", 0},
                                       {"limit", limit.limit}}))
          << i;
    }
  }
}

// Exact values through the whole path: a file made byte by byte after the documented layout.
TEST(InspectCommandTest, EveryFieldOfAHandMadeFileAsTextAndJson) {
  TempFolder folder;
  WriteText(folder / "plan.json", QuietPlan().dump());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  WriteText(folder / "h.dhf",
            HistoryFile(8, {{{3, 1, 1, 1, 100, 2, 4}, 93.25f, 1500.0f, 2, -1, 95.5f, 91.125f},
                            {{3, 1, 1, 1, 100, 2, 7}, -0.5f, 0.0f, 1, 0, 1e-5f, nan},
                            {{7, 3, 4, 1, 120, 9, 7}, 2.1f, 0.0f, 3, 0, 3.0f, 2.0f}}));
  const ProcessResult text =
      RunKelva({"inspect", "history", folder / "h.dhf", "--plan", folder / "plan.json"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out,
            "History file " + folder / "h.dhf" +
                "\n"
                "history count: 8\n"
                "quantities: 2\n"
                "entries: 3\n"
                "sections: 2 (4 to 7)\n"
                "quantity 1: mode 3 \"Run-up 2nd gear drive\", instrument 1 \"Body sound level\", "
                "channel 1 \"Accelerometer input bearing\", location 1 \"Input bearing\", "
                "parameter 100 \"RMS level 1-10 kHz\", sensor 2 \"Accelerometer A1\"; 2 sections\n"
                "  section 4: value 93.25, position 1500, eval mode 2 (upper), aux -1, limit 95.5, "
                "mean 91.125\n"
                "  section 7: value -0.5, position 0, eval mode 1 (lower), aux 0, limit 1e-05, "
                "mean nan\n"
                "quantity 2: mode 7 \"Function check\", instrument 3 \"Drag torque\", channel "
                "4 \"Drive torque\", location 1 \"Input bearing\", parameter 120 \"Drag torque\", "
                "sensor 9; 1 section\n"
                "  section 7: value 2.1, position 0, eval mode 3 (interval), aux 0, limit 3, mean "
                "2\n");
  const ProcessResult json = RunKelva({"inspect", "history", folder / "h.dhf", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out,
            "{\"file\":\"" + folder / "h.dhf" +
                "\",\"kind\":\"history\",\"historyCount\":8,\"quantities\":2,\"entries\":3,"
                "\"sections\":2,\"firstSection\":4,\"lastSection\":7,\"keys\":["
                "{\"key\":[3,1,1,1,100,2],\"sections\":["
                "{\"section\":4,\"value\":93.25,\"position\":1500,\"evalMode\":2,\"aux\":-1,"
                "\"limit\":95.5,\"mean\":91.125},"
                "{\"section\":7,\"value\":-0.5,\"position\":0,\"evalMode\":1,\"aux\":0,"
                "\"limit\":1e-05,\"mean\":null}]},"
                "{\"key\":[7,3,4,1,120,9],\"sections\":["
                "{\"section\":7,\"value\":2.1,\"position\":0,\"evalMode\":3,\"aux\":0,\"limit\":3,"
                "\"mean\":2}]}]}\n");
}

// Damaged files name the file and what is wrong, exit 2 and stay exactly where and as they
// are; a run afterwards still finds them (and keeps them aside then).
TEST(InspectCommandTest, DamagedAndUnusableFilesAreRefusedAndLeftAlone) {
  TempFolder folder;
  RunThreeParts(folder);
  const std::string path = folder / kHistoryName;
  const std::string bytes = ReadText(path);
  ASSERT_EQ(bytes.size(), 24u + 45u * 80u);
  const std::string refused = "kelva: the history file " + path + " cannot be read: ";
  const auto expectRefused = [&](const std::string& content, const std::string& reason) {
    WriteText(path, content);
    const ProcessResult run = RunKelva({"inspect", "history", path});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, refused + reason + "\n");
    EXPECT_EQ(ReadText(path), content);
    EXPECT_EQ(NamesStartingWith(folder / "work/History", "EOL-3_GT2-A.dhf"),
              std::vector<std::string>{"EOL-3_GT2-A.dhf"});
  };
  expectRefused(bytes.substr(0, bytes.size() - 1),
                "its history table is damaged: row 45 of 45 is cut short or has another layout");
  expectRefused(bytes + "!", "1 bytes follow the end of its content");
  std::string flipped = bytes;
  flipped[4] ^= 0x01;  // "DYNT" becomes "EYNT"
  expectRefused(flipped, "its history table is damaged: it does not start with a table header");
  flipped = bytes;
  flipped[24 + 80 + 1] = 'u';  // row 2's mode written as unsigned
  expectRefused(flipped,
                "its history table is damaged: row 2 of 45 is cut short or has another layout");
  expectRefused("", "it ends before the history count");

  const ProcessResult missing = RunKelva({"inspect", "history", folder / "none.dhf"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(missing.err, "kelva: the history file " + folder / "none.dhf" + " does not exist\n");
  const ProcessResult directory = RunKelva({"inspect", "history", folder / "work/History"});
  EXPECT_EQ(directory.exitCode, 2);
  EXPECT_EQ(directory.err, "kelva: the history file " + folder / "work/History" +
                               " cannot be read: it is not a regular file\n");
  ASSERT_EQ(::mkfifo((folder / "fifo.dhf").c_str(), 0600), 0);
  const ProcessResult fifo = RunKelva({"inspect", "history", folder / "fifo.dhf"});
  EXPECT_EQ(fifo.exitCode, 2);
  EXPECT_EQ(fifo.err, "kelva: the history file " + folder / "fifo.dhf" +
                          " cannot be read: it is not a regular file\n");
}

TEST(InspectCommandTest, BadPlanAndUsageErrorsExitTwo) {
  TempFolder folder;
  RunThreeParts(folder);
  WriteText(folder / "bad.json", "{\"kelvaTestPlan\": ");
  const ProcessResult plan =
      RunKelva({"inspect", "history", folder / kHistoryName, "--plan", folder / "bad.json"});
  EXPECT_EQ(plan.exitCode, 2);
  EXPECT_EQ(plan.out, "");
  EXPECT_TRUE(plan.err.starts_with("Test plan '" + folder / "bad.json" + "'")) << plan.err;

  EXPECT_EQ(RunKelva({"inspect"}).exitCode, 2);
  EXPECT_EQ(RunKelva({"inspect", "history"}).exitCode, 2);
  EXPECT_EQ(RunKelva({"inspect", "nonsense", folder / kHistoryName}).exitCode, 2);
}
