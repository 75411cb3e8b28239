// The sequencer's files driven through every fault the file layer injects: the history file
// (".dhf"), the moving-average history file (".ma"), the learn file the keeper saves, the
// history copied to a project folder, and a damaged history file that cannot be moved aside.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SequencerFixture.h"
#include "host/CommandDispatcher.h"
#include "host/FaultSweep.h"
#include "host/LearnFileDlg.h"
#include "host/WholeFile.h"
#include "learn/KelLearnFile.h"
#include "learn/KelLearnFileKeeper.h"
#include "learn/KelLearnStore.h"

using namespace FaultSweep;

namespace {

class SaveFaultsTest : public SequencerTest {
 protected:
  void TearDown() override {
    FileFaults::Disarm();
    SequencerTest::TearDown();
  }
  void KeepHistory() {
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 0, 0);   // keep history
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 50, 4);  // scalar depth 50
    sequencer_->LoadSettings();
    sequencer_->ApplySettings();
  }
  // A part of the current type with both levels measured.
  void Part(const std::string& serial, float value) {
    Send(insert_candidate, serial);
    for (int mode : {1, 2}) {
      Send(begin_mode, mode);
      Send(begin_measurement, mode);
      Level(mode == 1 ? kLevel : kLevel2, value);
      Send(end_measurement, mode);
    }
    Send(remove_candidate);
  }
  // "" when the history is saved without a word, otherwise what the save said.
  std::string SaveHistory() {
    PrWin::CaptureSink capture;
    const bool saved = sequencer_->SaveHistory();
    if (saved && capture.Text().empty()) return "";
    return capture.Text() + (saved ? "(reported as saved)" : "");
  }
  static std::string HistoryReport(const std::string& path, const Point& point) {
    return "CKelSequencer::SaveHistory(): Error writing history file " + path + ": " +
           ReplacingFileReason(point) + "\n";
  }
  // The history reader, into a store of its own; the file stays where it is.
  static std::string ReadHistory(const std::string& path) {
    CKelValueStore store;
    const WholeFileRead read = ReadWholeFileInPlace(
        path, [&store](CFile& file, std::string& why) { return store.ReadHistory(file, &why); });
    return read.status == WholeFileRead::read ? "" : "refused: " + read.reason;
  }
  // The moving-average history reader, into stores of its own made as the sequencer makes its.
  std::string ReadMovingAverages(const std::string& path) {
    CKelValueStore values;
    std::vector<std::unique_ptr<CKelLearnStore>> stores;
    for (const auto& entry : sequencer_->MALearnStores())
      stores.push_back(std::make_unique<CKelLearnStore>(values, entry.procedure));
    const WholeFileRead read = ReadWholeFileInPlace(path, [&stores](CFile& file, std::string& why) {
      for (const auto& store : stores)
        if (!store->ReadAndTranslateLearnTables(file)) {
          why = "its learn tables cannot be read";
          return false;
        }
      return true;
    });
    return read.status == WholeFileRead::read ? "" : "refused: " + read.reason;
  }
};

}  // namespace

TEST_F(SaveFaultsTest, TheHistoryFileKeepsItsPreviousVersionAtEveryFault) {
  KeepHistory();
  Part("A1", 80.0f);
  ASSERT_EQ(SaveHistory(), "");
  Part("A2", 81.0f);
  const std::string path = HistoryFile("P1_T1");
  SweepReplacedFile({path, [this] { return SaveHistory(); },
                     [&path](const Point& point) { return HistoryReport(path, point); },
                     ReadHistory});
  // Every failure was counted, and the last one kept for the bench's summary.
  EXPECT_GT(sequencer_->HistorySaveFailures(), 2);
  EXPECT_EQ(sequencer_->LastHistorySaveError(),
            path + ": cannot rename its temporary file into place: " + std::strerror(EIO));
}

TEST_F(SaveFaultsTest, TheMovingAverageHistoryKeepsItsPreviousVersionAtEveryFault) {
  CResourceList lines(CSeaBase::ApplicationSea(), "Sequencer-MA-Params");
  for (auto [name, procedure] : {std::pair<const char*, int>{"Trend", 2}, {"Slow", 1}}) {
    CResourceLine line = lines.AddLineTail();
    line.SetString(0, name);
    line.SetInt(1, procedure);
  }
  Start();
  ASSERT_EQ(sequencer_->MALearnStores().size(), 2u);
  Part("A1", 80.0f);
  ASSERT_EQ(SaveHistory(), "");
  const std::string path = folder_ + "History/P1_T1.ma";
  ASSERT_FALSE(fs::exists(HistoryFile("P1_T1")));  // only the ".ma" is kept
  Part("A2", 84.0f);
  SweepReplacedFile({path, [this] { return SaveHistory(); },
                     [&path](const Point& point) { return HistoryReport(path, point); },
                     [this](const std::string& file) { return ReadMovingAverages(file); }});
}

namespace {

// The sequencer with the host's learn-file module, as the bench runs it.
class LearnFileFaultsTest : public SaveFaultsTest {
 protected:
  void SetUp() override {
    SaveFaultsTest::SetUp();
    ASSERT_TRUE(learnFile_.Create("LearnFile", nullptr));
    Start();
  }
  void TearDown() override {
    sequencer_.reset();  // before the module it talks to
    SaveFaultsTest::TearDown();
  }

  CQLearnFileDlg learnFile_;
};

}  // namespace

// The keeper's learn file: a save that fails is said and counted, the previous file stays, and
// the learned data is saved by the next save without a fault.
TEST_F(LearnFileFaultsTest, TheLearnFileKeepsItsPreviousVersionAndIsSavedByTheNextSave) {
  CKelLearnFileKeeper& keeper = sequencer_->LearnFileKeeper();
  const std::string path = folder_ + "Learn/P1_T1.learn";
  // "" when the file holds what the keeper learned: the level's count.
  const auto read = [](const std::string& file, uint32_t count) -> std::string {
    CKelValueStore values;
    CKelLearnStore store(values, -1);
    const WholeFileRead read = ReadWholeFileInPlace(
        file, [&store](CFile& in, std::string& why) { return KelLearnFile::Read(store, in, why); });
    if (read.status != WholeFileRead::read) return "refused: " + read.reason;
    const auto level = store.LearnedSingleValue().find(kLevel);
    if (level == store.LearnedSingleValue().end()) return "no level learned";
    return level->second.count == count ? "" : std::to_string(level->second.count) + " learned";
  };
  Part("A1", 10.0f);
  ASSERT_TRUE(keeper.Save());
  const std::string before = Bytes(path);
  ASSERT_EQ(read(path, 1), "");

  Part("A2", 11.0f);
  const FileFaults::Counts calls = CallsOf([&] { keeper.Save(); });
  ASSERT_EQ(read(path, 2), "");
  WriteBytes(path, before);
  uint32_t learned = 2;
  int failures = 0;
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    Part("B" + std::to_string(learned), 12.0f);
    ++learned;
    PrWin::CaptureSink capture;
    {
      const Armed armed(point);
      EXPECT_FALSE(keeper.Save());
    }
    EXPECT_EQ(capture.Text(), "CQLearnFileDlg: the learn file " + path +
                                  " could not be saved: " + ReplacingFileReason(point) + "\n");
    EXPECT_EQ(keeper.SaveFailures(), ++failures);
    EXPECT_EQ(Bytes(path), before);
    EXPECT_EQ(read(path, 1), "");
    EXPECT_EQ(Names(folder_ + "Learn"), std::vector<std::string>{"P1_T1.learn"});
    EXPECT_TRUE(keeper.Save());
    EXPECT_EQ(read(path, learned), "");
    WriteBytes(path, before);
  }
  EXPECT_EQ(failures, 7);  // two writes (content, checksum), a sync and a rename
}

// The project command copies the history: a copy that fails is said, and the project's copy
// keeps its previous version.
TEST_F(SaveFaultsTest, AFailedCopyToTheProjectKeepsTheProjectsPreviousCopy) {
  KeepHistory();
  const std::string project = folder_ + "project/";
  const std::string copy = project + "History/P1_T1.dhf";
  const auto command = [&project](long flags) {
    return CModule::CommandDispatcher().ProcessCommand(mcProject, 0, project.c_str(), flags);
  };
  Part("A1", 80.0f);
  ASSERT_EQ(command(2), 1);
  const std::string before = Bytes(copy);
  ASSERT_EQ(before, Bytes(HistoryFile("P1_T1")));
  Part("A2", 81.0f);
  ASSERT_EQ(SaveHistory(), "");
  const std::string local = Bytes(HistoryFile("P1_T1"));

  const FileFaults::Counts calls = CallsOf([&] { command(4); });
  ASSERT_EQ(Bytes(copy), local);
  WriteBytes(copy, before);
  for (const Point& point : PointsOf(calls)) {
    SCOPED_TRACE(Describe(point));
    PrWin::CaptureSink capture;
    {
      const Armed armed(point);
      EXPECT_EQ(command(4), 0);
    }
    EXPECT_EQ(capture.Text(),
              "CKelSequencer::OnProject(): the history files cannot be copied: "
              "cannot copy " +
                  HistoryFile("P1_T1") + " to " + copy + ": " + ReplacingFileReason(point) + "\n");
    EXPECT_EQ(Bytes(copy), before);
    EXPECT_EQ(Names(project + "History"), std::vector<std::string>{"P1_T1.dhf"});
    EXPECT_EQ(command(4), 1);
    EXPECT_EQ(Bytes(copy), local);
    WriteBytes(copy, before);
  }
}

// A damaged history file that cannot be renamed aside stays where it is, and nothing is saved
// over it.
TEST_F(SaveFaultsTest, ADamagedHistoryThatCannotBeMovedAsideIsNotSavedOver) {
  KeepHistory();
  Part("A1", 80.0f);
  ASSERT_EQ(SaveHistory(), "");
  const std::string path = HistoryFile("P1_T1");
  const std::string damaged = Bytes(path).substr(0, 30);
  WriteBytes(path, damaged);
  Start();
  KeepHistory();
  PrWin::CaptureSink capture;
  {
    const Armed armed({Fault::renameFails, 1, EIO});
    Send(insert_candidate, std::string("A2"));
  }
  EXPECT_NE(capture.Text().find("; it cannot be renamed: " + std::string(std::strerror(EIO)) +
                                ", so it stays where it is, nothing is saved over it"),
            std::string::npos)
      << capture.Text();
  Send(remove_candidate);
  EXPECT_NE(SaveHistory(), "");
  EXPECT_EQ(sequencer_->LastHistorySaveError(),
            path + ": the damaged file under this name could not be moved aside");
  EXPECT_EQ(Bytes(path), damaged);
  EXPECT_EQ(Names(folder_ + "History"), std::vector<std::string>{"P1_T1.dhf"});
}
