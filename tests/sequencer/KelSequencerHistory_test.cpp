// The sequencer's history files: names per part type, damaged files, failed saves and paths.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "SequencerFixture.h"
#include "host/FileIO.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Every regular file below `folder`, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), folder).string());
  std::sort(files.begin(), files.end());
  return files;
}

class HistoryFileTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 0, 0);   // keep history
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 50, 4);  // scalar depth 50
    sequencer_->LoadSettings();
    sequencer_->ApplySettings();
  }
  // One part of the current type: both levels measured, one history section each.
  void Part(float value) {
    Send(insert_candidate, std::string("serial"));
    for (int mode : {1, 2}) {
      Send(begin_mode, mode);
      Send(begin_measurement, mode);
      Level(mode == 1 ? kLevel : kLevel2, value);
      Send(end_measurement, mode);
    }
    Send(remove_candidate);
  }
  // Switches to another part type (saving the current one's history, loading the other's).
  void SwitchTo(const std::string& platform, const std::string& type) {
    McSetPlatformName(platform);
    InstallPlan(type);
    Send(insert_candidate, std::string("serial"));
  }
  size_t HistoryRows() { return sequencer_->ValueStore().SingleValueMapSectionHistory().size(); }
  float NewestLevel() {
    return sequencer_->ValueStore().FinalScalarStore().AncientValue(kLevel, -1).value;
  }
};

const char* const kStamp = ".damaged-20251206T054640Z";

}  // namespace

// A damaged history file is reported, moved aside before the next save under its name and
// never used in part: the history of the type starts empty.
TEST_F(HistoryFileTest, DamagedFilesAreKeptAsideAndTheHistoryStartsEmpty) {
  for (int part = 0; part < 5; ++part) Part(80.0f + part);
  SwitchTo("P1", "T2");
  const std::string path = HistoryFile("P1_T1");
  const std::vector<uint8_t> saved = Bytes(path);
  ASSERT_EQ(saved.size(), 4u + 20u + 10u * 80u);  // 2 quantities x 5 sections
  ASSERT_EQ(saved[0], 15);  // three sections per part: two measurements and the removal

  const auto loadDamaged = [&](const std::vector<uint8_t>& damaged, const std::string& reason,
                               const std::string& kept) {
    Write(path, damaged);
    PrWin::CaptureSink capture;
    SwitchTo("P1", "T1");
    EXPECT_EQ(capture.Text(), "CKelSequencer::LoadHistory() :Error reading history file " + path +
                                  "\nCKelSequencer::LoadHistory(): " + reason +
                                  "; the file is kept as " + kept +
                                  " and the history of this part type starts empty\n");
    EXPECT_EQ(capture.Lines().at(0).category, 1);
    EXPECT_EQ(capture.Lines().at(1).style, 3);
    EXPECT_EQ(Bytes(kept), damaged);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(HistoryRows(), 0u);
    EXPECT_EQ(sequencer_->ValueStore().HistoryCount(), 0u);
    // The next save writes the new history only; the kept file stays as it was.
    Part(99.0f);
    SwitchTo("P1", "T2");
    EXPECT_EQ(Bytes(path).size(), 4u + 20u + 2u * 80u);
    EXPECT_EQ(Bytes(kept), damaged);
  };
  // Cut inside the 8th row.
  loadDamaged(std::vector<uint8_t>(saved.begin(), saved.begin() + 24 + 7 * 80 + 50),
              "its history table is damaged: row 8 of 10 is cut short or has another layout",
              path + kStamp);
  // The row count changed from 10 to 7: the last three rows are left over.
  std::vector<uint8_t> fewerRows = saved;
  fewerRows[4 + 16] = 7;
  loadDamaged(fewerRows, "240 bytes follow the end of its content", path + kStamp + "-2");
  // Bytes appended.
  std::vector<uint8_t> appended = saved;
  appended.insert(appended.end(), {1, 2, 3});
  loadDamaged(appended, "3 bytes follow the end of its content", path + kStamp + "-3");
  // A history count at or below a saved section: the next part would reuse its number.
  std::vector<uint8_t> lowCount = saved;
  lowCount[0] = 13;  // the newest saved section is 13
  loadDamaged(lowCount, "section index 13 is not below the history count 13", path + kStamp + "-4");

  // An intact file loads.
  Write(path, saved);
  PrWin::CaptureSink capture;
  SwitchTo("P1", "T1");
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(HistoryRows(), 10u);
  EXPECT_EQ(NewestLevel(), 84.0f);
}

// A damaged name that cannot be moved aside (here: a folder) is never saved over.
TEST_F(HistoryFileTest, ADamagedNameThatCannotBeMovedIsNotSavedOver) {
  const std::string path = HistoryFile("P1_T2");
  fs::create_directories(path);
  PrWin::CaptureSink capture;
  SwitchTo("P1", "T2");
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::LoadHistory() :Error reading history file " + path +
                "\nCKelSequencer::LoadHistory(): it is not a regular file; only regular files "
                "are moved aside, so it stays where it is, nothing is saved over it, and the "
                "history of this part type starts empty\n");
  Part(1.0f);
  capture.Clear();
  EXPECT_FALSE(sequencer_->SaveHistory());
  EXPECT_EQ(capture.Text(), "CKelSequencer::SaveHistory(): Error writing history file " + path +
                                ": the damaged file under this name could not be moved aside\n");
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(sequencer_->HistorySaveFailures(), 1);
}

// Every failed save is counted, reported with path and reason, and remembered for the bench.
TEST_F(HistoryFileTest, FailedSavesAreReported) {
  EXPECT_EQ(sequencer_->HistorySaveFailures(), 0);
  EXPECT_EQ(sequencer_->LastHistorySaveError(), "");
  Part(80.0f);
  const std::string path = HistoryFile("P1_T1");

  // "History" is a file.
  Write(folder_ + "History", {'x'});
  PrWin::CaptureSink capture;
  EXPECT_FALSE(sequencer_->SaveHistory());
  const std::string noFolder = path + ": cannot create the folder " + folder_ +
                               "History/: a file of that name is in the way";
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::SaveHistory(): Error writing history file " + noFolder + "\n");
  EXPECT_EQ(capture.Lines().at(0).category, 1);
  EXPECT_EQ(sequencer_->HistorySaveFailures(), 1);
  EXPECT_EQ(sequencer_->LastHistorySaveError(), noFolder);
  EXPECT_EQ(Bytes(folder_ + "History"), std::vector<uint8_t>{'x'});

  // The ".dhf" is a folder: the new file cannot take its name; no temporary file is left.
  fs::remove(folder_ + "History");
  fs::create_directories(path);
  EXPECT_FALSE(sequencer_->SaveHistory());
  EXPECT_EQ(sequencer_->LastHistorySaveError(),
            path + ": cannot rename its temporary file into place: Is a directory");
  EXPECT_EQ(FilesBelow(folder_ + "History"), std::vector<std::string>{});
  // The shutdown save and the save at a type change are counted as well.
  sequencer_->OnSpecialShutdown();
  SwitchTo("P1", "T2");
  EXPECT_EQ(sequencer_->HistorySaveFailures(), 4);

  // A folder that cannot be written (not for root, whom permissions do not stop).
  if (::geteuid() != 0) {
    Part(81.0f);
    ::chmod((folder_ + "History").c_str(), 0555);
    EXPECT_FALSE(sequencer_->SaveHistory());
    EXPECT_EQ(sequencer_->LastHistorySaveError(),
              HistoryFile("P1_T2") + ": cannot create its temporary file: Permission denied");
    ::chmod((folder_ + "History").c_str(), 0755);
  }
  // Saving works again once the way is clear; the last error stays for the summary.
  const int failures = sequencer_->HistorySaveFailures();
  Part(82.0f);
  EXPECT_TRUE(sequencer_->SaveHistory());
  EXPECT_EQ(sequencer_->HistorySaveFailures(), failures);
  EXPECT_NE(sequencer_->LastHistorySaveError(), "");
}

// Every (platform, type) pair has a file of its own, named injectively.
TEST_F(HistoryFileTest, EveryPartTypeHasItsOwnFile) {
  const std::vector<std::pair<std::string, std::string>> types = {
      {"", "GT2/A"},      {"", "GT2_A"}, {"", "GT2\\A"}, {"EOL-3_GT2", "A"},
      {"EOL-3", "GT2_A"}, {"", "."},     {"", ".."},     {"", " . "}};
  const std::vector<std::string> names = {"GT2%2FA.dhf",       "GT2%5CA.dhf",      "GT2%5FA.dhf",
                                          "%20%2E%20.dhf",     "%2E%2E.dhf",       "%2E.dhf",
                                          "EOL-3%5FGT2_A.dhf", "EOL-3_GT2%5FA.dhf"};
  for (size_t i = 0; i < types.size(); ++i) {
    SwitchTo(types[i].first, types[i].second);
    Part(100.0f + static_cast<float>(i));
  }
  SwitchTo("P1", "T1");
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back("History/" + name);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesBelow(folder_), expected);
  for (size_t i = 0; i < types.size(); ++i) {
    SwitchTo(types[i].first, types[i].second);
    EXPECT_EQ(HistoryRows(), 2u) << i;
    EXPECT_EQ(NewestLevel(), 100.0f + static_cast<float>(i)) << i;
  }
  EXPECT_EQ(sequencer_->HistoryName(), "%20%2E%20");
}

// The history folder is exactly "<local data>/History/": a long local path is used as it is,
// and a name or path too long to keep is refused, never shortened to another place.
TEST_F(HistoryFileTest, PathsAreKeptOrRefusedNeverShortened) {
  const std::string deep = folder_ + std::string(200, 'a') + "/" + std::string(100, 'b') + "/";
  CSeaBase::SetDefaultPaths(deep, deep);
  Part(80.0f);
  SwitchTo("P1", "T2");
  EXPECT_EQ(sequencer_->HistoryFolder(), deep + "History/");
  EXPECT_EQ(FilesBelow(folder_),
            std::vector<std::string>{fs::relative(deep, folder_).string() + "/History/P1_T1.dhf"});

  // A type whose file name would be too long: refused at load and at every save.
  const std::string longType(250, 'x');
  PrWin::CaptureSink capture;
  SwitchTo("P1", longType);
  const std::string longPath = deep + "History/P1_" + longType + ".dhf";
  const std::string nameTooLong =
      "the file name of the part type is 253 bytes long, at most 200 fit";
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::LoadHistory(): no history is kept for this part type: " + longPath +
                ": " + nameTooLong + "\n");
  EXPECT_EQ(sequencer_->HistoryPath(".dhf"), "");
  Part(81.0f);
  capture.Clear();
  EXPECT_FALSE(sequencer_->SaveHistory());
  EXPECT_EQ(capture.Text(), "CKelSequencer::SaveHistory(): Error writing history file " + longPath +
                                ": " + nameTooLong + "\n");
  EXPECT_EQ(sequencer_->LastHistorySaveError(), longPath + ": " + nameTooLong);

  // A local path so long that the whole path would not fit.
  std::string tooDeep = folder_;
  while (tooDeep.size() < FileIO::kMaxFilePathBytes) tooDeep += std::string(199, 'c') + "/";
  CSeaBase::SetDefaultPaths(tooDeep, tooDeep);
  SwitchTo("P1", "T1");
  const size_t length = tooDeep.size() + std::string("History/P1_T1.dhf").size();
  EXPECT_EQ(sequencer_->HistoryPath(".dhf"), "");
  Part(82.0f);
  EXPECT_FALSE(sequencer_->SaveHistory());
  EXPECT_EQ(sequencer_->LastHistorySaveError(), tooDeep + "History/P1_T1.dhf: the path is " +
                                                    std::to_string(length) +
                                                    " bytes long, at most 4000 fit");
  EXPECT_FALSE(fs::exists(folder_ + std::string(199, 'c')));
  const std::string history = fs::relative(deep, folder_).string() + "/History/";
  EXPECT_EQ(FilesBelow(folder_),
            (std::vector<std::string>{history + "P1_T1.dhf", history + "P1_T2.dhf"}));
}
