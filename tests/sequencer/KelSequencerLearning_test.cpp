// Learning in the evaluation cycle: the main learn store, the moving-average learn stores and
// their history file ".ma".
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SequencerFixture.h"
#include "frame/EvStoreServer.h"
#include "host/LearnFileDlg.h"

namespace {

class SequencerLearningTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    CSeaBase* sea = CSeaBase::ApplicationSea();
    CResourceList lines(sea, "Sequencer-MA-Params");
    for (auto [name, procedure] : {std::pair<const char*, int>{"Trend", 2}, {"Slow", 1}}) {
      CResourceLine line = lines.AddLineTail();
      line.SetString(0, name);
      line.SetInt(1, procedure);
    }
    sea->LookupSetInt("Terminal-ErrorCode", 901, 0);  // a missing track is an error
    sea->LookupSetInt("Sequencer-Params", 1, 3);      // spectrograms are learned
    Start();
  }
  // Mode 1 of a part: the level measured and its measurement ended.
  void Measure(float value) {
    Send(begin_mode, 1);
    Send(begin_measurement, 1);
    Level(kLevel, value);
    Send(end_measurement, 1);
  }
  const KelLearnSValue* Learned(const CKelLearnStore& store) {
    auto it = store.LearnedSingleValue().find(kLevel);
    return it == store.LearnedSingleValue().end() ? nullptr : &it->second;
  }
  const CKelLearnStore& MA(size_t index) { return *sequencer_->MALearnStores().at(index).store; }
};

}  // namespace

TEST_F(SequencerLearningTest, MovingAverageStoresAreMadeAndRegisteredByName) {
  const auto& entries = sequencer_->MALearnStores();
  ASSERT_EQ(entries.size(), 2u);
  auto& server = CEvStoreServer<CKelLearnStore>::Object();
  EXPECT_EQ(server.Store(0), &sequencer_->LearnStore());
  for (const auto& entry : entries) {
    ASSERT_GE(entry.serverIndex, 1);
    EXPECT_EQ(server.Store(entry.serverIndex), entry.store.get());
    EXPECT_EQ(server.StoreName(entry.serverIndex), entry.name);
    EXPECT_TRUE(entry.store->LearnsSpectrograms());
  }
  EXPECT_EQ(entries[0].name, "Trend");
  EXPECT_EQ(entries[0].store->DefaultLearnProcedure(), 2);
  EXPECT_EQ(entries[1].store->DefaultLearnProcedure(), 1);
  EXPECT_TRUE(sequencer_->LearnStore().LearnsSpectrograms());
  EXPECT_EQ(sequencer_->LearnStore().DefaultLearnProcedure(), -1);

  // Saved back line by line; a line without a name or procedure is left out with a message.
  sequencer_->SaveSettings();
  CResourceList lines(CSeaBase::ApplicationSea(), "Sequencer-MA-Params");
  ASSERT_EQ(lines.Count(), 2u);
  lines.GotoHead();
  EXPECT_EQ(lines.GetCurrentLine().GetStringFb(0, ""), "Trend");
  EXPECT_EQ(lines.GetCurrentLine().GetIntFb(1, 0), 2);
  lines.AddLineTail().SetString(0, "Nameless");
  PrWin::CaptureSink capture;
  sequencer_->LoadSettings();
  EXPECT_EQ(capture.Text(),
            "CKelSequencer: the moving-average line 3 of Sequencer-MA-Params needs a name and a "
            "learn procedure id; it is left out\n");
  EXPECT_EQ(sequencer_->MALearnStores().size(), 2u);
}

TEST_F(SequencerLearningTest, MainStoreLearnsGoodModesAndStartsEveryPartEmpty) {
  Send(insert_candidate, std::string("A1"));
  Measure(80.0f);
  ASSERT_NE(Learned(sequencer_->LearnStore()), nullptr);
  EXPECT_EQ(Learned(sequencer_->LearnStore())->count, 1u);
  EXPECT_EQ(Learned(sequencer_->LearnStore())->mean, 80.0f);
  ASSERT_NE(Learned(MA(0)), nullptr);
  ASSERT_NE(Learned(MA(1)), nullptr);
  EXPECT_EQ(Learned(MA(0))->count, 1u);
  EXPECT_EQ(Learned(MA(0))->remaining, 4);  // procedure 2 of the store, whatever the key says
  EXPECT_EQ(Learned(MA(1))->remaining, -1);

  // A new part: the main learn store starts empty (the learn-file module gives it the learned
  // data); the moving-average stores keep learning.
  Send(remove_candidate);
  Send(insert_candidate, std::string("A2"));
  EXPECT_TRUE(sequencer_->LearnStore().LearnedSingleValue().empty());
  Measure(90.0f);
  EXPECT_EQ(Learned(sequencer_->LearnStore())->count, 1u);
  // The removal learned nothing more: the level left the evaluation list at the end of its
  // measurement.
  EXPECT_EQ(Learned(MA(0))->count, 2u);
  EXPECT_FLOAT_EQ(Learned(MA(1))->mean, 85.0f);
}

TEST_F(SequencerLearningTest, ErrorsStopOnlyTheMainStoreAndPlaybackStopsAll) {
  Send(insert_candidate, std::string("A1"));
  Measure(70.0f);
  EXPECT_EQ(Learned(sequencer_->LearnStore())->count, 1u);
  // Measured again after its measurement ended; the milestone finds the track of the measured
  // mode 1 missing: the mode is not O.K., so only the moving-average stores learn the value.
  Level(kLevel, 76.0f, 22, SignalBase::expire_candidate);
  Send(begin_milestone);
  ASSERT_FALSE(sequencer_->ResultShop().Errors().empty());
  EXPECT_NE(sequencer_->ResultShop().GetResultForMode(1), NorviDefs::result_ok);
  EXPECT_EQ(Learned(sequencer_->LearnStore())->count, 1u);
  EXPECT_EQ(Learned(MA(0))->count, 2u);
  EXPECT_FLOAT_EQ(Learned(MA(0))->mean, 73.0f);

  CSeaBase::MessagesSea()->LookupSetBool(wpWavPlaybackNoLearning, true, 0);
  Send(insert_candidate, std::string("A2"));
  Measure(60.0f);
  EXPECT_EQ(Learned(sequencer_->LearnStore()), nullptr);
  EXPECT_EQ(Learned(MA(0))->count, 2u);
  CSeaBase::MessagesSea()->LookupSetBool(wpWavPlaybackNoLearning, false, 0);
}

TEST_F(SequencerLearningTest, MovingAverageTablesAreKeptInTheirHistoryFile) {
  Send(insert_candidate, std::string("A1"));
  Measure(80.0f);
  Send(remove_candidate);
  // Every history depth is 0: no ".dhf", but the ".ma" with both stores' tables.
  ASSERT_TRUE(sequencer_->SaveHistory());
  const std::string ma = folder_ + "History/P1_T1.ma";
  EXPECT_FALSE(fs::exists(HistoryFile("P1_T1")));
  ASSERT_TRUE(fs::exists(ma));

  // A new sequencer for the same type reads them back and cleans them up.
  Start();
  Send(insert_candidate, std::string("A2"));
  ASSERT_NE(Learned(MA(0)), nullptr);
  EXPECT_EQ(Learned(MA(0))->count, 1u);
  EXPECT_EQ(Learned(MA(1))->mean, 80.0f);

  // Read under a plan that no longer asks for the level: the learned level is cleaned up.
  TestPlan::Builder reduced("sequence");
  reduced.Set() = ParamDatabase::Current();
  reduced.Set().ipParamAndStore.erase(kLevel);
  ASSERT_TRUE(reduced.Install());
  Start();
  Send(insert_candidate, std::string("A2"));
  EXPECT_EQ(Learned(MA(0)), nullptr);
  InstallPlan("T1");

  // A damaged file (the second store's tables cut short): reported, kept aside, and both
  // moving-average stores start empty.
  std::ifstream in(ma, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  bytes.resize(bytes.size() - 3);
  std::ofstream(ma, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<long>(bytes.size()));
  Start();
  PrWin::CaptureSink capture;
  Send(insert_candidate, std::string("A3"));
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::LoadHistory() :Error reading history file " + ma +
                "\nCKelSequencer::LoadHistory(): the learn tables of the moving-average learn "
                "store 'Slow' cannot be read; the file is kept as " +
                ma + ".damaged-20251206T054640Z and the history of this part type starts empty\n");
  EXPECT_TRUE(MA(0).LearnedSingleValue().empty());
  EXPECT_TRUE(MA(1).LearnedSingleValue().empty());
  EXPECT_TRUE(fs::exists(ma + ".damaged-20251206T054640Z"));
}

namespace {

// The sequencer with the host's learn-file module, as the bench runs it.
class LearnFileKeeperTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    ASSERT_TRUE(learnFile_.Create("LearnFile", nullptr));
    Start();
  }
  void TearDown() override {
    sequencer_.reset();
    SequencerTest::TearDown();
  }
  void Part(const std::string& serial, float value, bool dropped = false) {
    Send(insert_candidate, serial);
    Send(begin_mode, 1);
    Send(begin_measurement, 1);
    Level(kLevel, value);
    Send(end_measurement, 1);
    Send(dropped ? drop_candidate : remove_candidate);
  }
  const KelLearnSValue& LearnedLevel() {
    return sequencer_->LearnStore().LearnedSingleValue().at(kLevel);
  }
  std::string LearnFile() { return folder_ + "Learn/P1_T1.learn"; }

  CQLearnFileDlg learnFile_;
};

}  // namespace

TEST_F(LearnFileKeeperTest, LearnedDataOutlivesPartsAndRuns) {
  Part("A1", 10.0f);
  Part("A2", 20.0f);
  EXPECT_EQ(LearnedLevel().count, 2u);
  EXPECT_FLOAT_EQ(LearnedLevel().mean, 15.0f);
  EXPECT_EQ(learnFile_.Received()[1], 2);
  EXPECT_EQ(learnFile_.Received()[3], 2);

  // A dropped part's learning does not count.
  Part("A3", 90.0f, true);
  Send(insert_candidate, std::string("A4"));
  EXPECT_EQ(LearnedLevel().count, 2u);
  EXPECT_FLOAT_EQ(LearnedLevel().mean, 15.0f);
  Send(remove_candidate);

  // Saved under the part type; a new run goes on from it.
  ASSERT_EQ(sequencer_->LearnFileKeeper().Path(), LearnFile());
  ASSERT_TRUE(sequencer_->LearnFileKeeper().Save());
  ASSERT_TRUE(fs::exists(LearnFile()));
  Start();
  Part("B1", 30.0f);
  EXPECT_EQ(LearnedLevel().count, 3u);
  EXPECT_FLOAT_EQ(LearnedLevel().mean, 20.0f);
  // Shutting down saves too.
  sequencer_->OnSpecialShutdown();
  Start();
  Send(insert_candidate, std::string("B2"));
  EXPECT_EQ(LearnedLevel().count, 3u);
}

TEST_F(LearnFileKeeperTest, ADamagedLearnFileIsKeptAsideAndTheTypeLearnsAnew) {
  Part("A1", 10.0f);
  ASSERT_TRUE(sequencer_->LearnFileKeeper().Save());
  {
    std::fstream file(LearnFile(), std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(40);
    file.put('\x7f');
  }
  Start();
  PrWin::CaptureSink capture;
  Send(insert_candidate, std::string("A2"));
  EXPECT_EQ(capture.Text(), "CQLearnFileDlg: the learn file " + LearnFile() +
                                " cannot be read: its checksum does not match its content (bytes "
                                "were changed or lost); the file is kept as " +
                                LearnFile() +
                                ".damaged-20251206T054640Z and this part type learns anew\n");
  EXPECT_TRUE(sequencer_->LearnStore().LearnedSingleValue().empty());
  EXPECT_TRUE(fs::exists(LearnFile() + ".damaged-20251206T054640Z"));
  Send(remove_candidate);

  // A save that fails (a folder where the file belongs) is reported and counted; the next
  // save tries again.
  Part("A3", 12.0f);
  fs::create_directories(LearnFile());
  capture.Clear();
  EXPECT_FALSE(sequencer_->LearnFileKeeper().Save());
  EXPECT_EQ(sequencer_->LearnFileKeeper().SaveFailures(), 1);
  EXPECT_EQ(capture.Text().rfind(
                "CQLearnFileDlg: the learn file " + LearnFile() + " could not be saved: ", 0),
            0u)
      << capture.Text();
  fs::remove(LearnFile());
  EXPECT_TRUE(sequencer_->LearnFileKeeper().Save());
  EXPECT_TRUE(fs::is_regular_file(LearnFile()));
}
