// What the sequencer's settings change: the stores they are applied to, history averaging, the
// history saved at shutdown and the project command.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SequencerFixture.h"
#include "host/CommandDispatcher.h"

namespace {

std::vector<char> Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SettingsTest : public SequencerTest {
 protected:
  void Set(int field, int value) {
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", value, field);
  }
  void Apply() {
    sequencer_->LoadSettings();
    sequencer_->ApplySettings();
  }
  void KeepHistory() {
    Set(0, 0);  // the history is not dismissed at each part
    Set(4, 5);  // five sections of final scalars
    Apply();
  }
  void Insert() { Send(insert_candidate, std::string("serial")); }
  void Measure(float level) {
    Send(begin_mode, 1);
    Send(begin_measurement, 1);
    Level(kLevel, level);
    Send(end_measurement, 1);
  }
  float StoredLevel() { return sequencer_->ValueStore().SingleValueMap().at(kLevel).value; }
  size_t LevelSections() {
    auto [first, last] = sequencer_->ValueStore().FinalScalarStore().AncientValues(kLevel);
    return static_cast<size_t>(std::distance(first, last));
  }
  int Project(long flags, const std::string& path) {
    return CModule::CommandDispatcher().ProcessCommand(mcProject, 0, path.c_str(), flags);
  }
};

}  // namespace

TEST_F(SettingsTest, ApplySettingsReachesTheStores) {
  Set(4, 2);
  Set(5, 3);
  Set(6, 4);
  Set(7, 5);
  Set(9, 6);   // moving-average depth
  Set(11, 3);  // at most three errors ...
  Set(12, 2);  // ... two of them kept per mode
  Set(16, 0);
  Set(17, 1);
  Set(18, 0);
  CSeaBase::ApplicationSea()->LookupSetInt("ResultCodeCompatibilityOptions", 1, 0);
  CSeaBase::ApplicationSea()->LookupSetBool("ResultCodeCompatibilityOptions", false, 1);
  CSeaBase::ApplicationSea()->LookupSetInt("Terminal-ErrorCode", 904, 3);
  Apply();
  CKelValueStore& values = sequencer_->ValueStore();
  EXPECT_EQ(values.FinalScalarStore().HistoryDepth(), 2u);
  EXPECT_EQ(values.FinalCurveStore().HistoryDepth(), 3u);
  EXPECT_EQ(values.TrackScalarStore().HistoryDepth(), 4u);
  EXPECT_EQ(values.TrackCurveStore().HistoryDepth(), 5u);
  EXPECT_EQ(values.FinalScalarStore().MAHistoryDepth(), 6u);
  EXPECT_EQ(values.TrackCurveStore().MAHistoryDepth(), 6u);
  CResultShop& shop = sequencer_->ResultShop();
  EXPECT_FALSE(shop.FunctionModesFirst());
  EXPECT_TRUE(shop.ResultRequestEndsMode());
  EXPECT_FALSE(shop.MeasurementRepetitionClearsErrors());

  // Three errors in mode 1 and two in mode 2 with a maximum of three, two kept per mode: only
  // the third of mode 1 may go.
  Insert();
  for (int parameter : {1, 2, 3})
    shop.AddErrorEntry(QClavis(1, 1, 1, 1, parameter, 0), 901, 0, 0, 0, 0);
  for (int parameter : {1, 2})
    shop.AddErrorEntry(QClavis(2, 1, 1, 1, parameter, 0), 901, 0, 0, 0, 0);
  EXPECT_EQ(shop.KickOutErrors(), 1u);

  // Severity 10 is not in the severity table: a system error, not read as n.O.K.
  EXPECT_EQ(shop.ResultRequest(1), NorviDefs::result_syserror);
  // A begun mode without result counts as O.K.
  Send(begin_mode, 3);
  EXPECT_EQ(shop.ResultRequest(3), NorviDefs::result_ok);
  // Read as an error, it gets the not-evaluated code.
  CSeaBase::ApplicationSea()->LookupSetInt("ResultCodeCompatibilityOptions", 2, 0);
  Apply();
  EXPECT_EQ(shop.ResultRequest(3), NorviDefs::result_nok);
  ASSERT_NE(shop.FindErrorEntry(904), nullptr);
  EXPECT_EQ(shop.FindErrorEntry(904)->first, QClavis(3, 0, 0, 0, 0, 0));
}

TEST_F(SettingsTest, AveragingSwitchAndParameter) {
  KeepHistory();
  Set(8, 1);  // mean of the history
  Set(10, 0);
  Apply();
  // Switch 0: every evaluation averages the values it validates.
  Insert();
  Measure(80.0f);
  Send(remove_candidate);
  Insert();
  Measure(90.0f);
  EXPECT_EQ(StoredLevel(), 85.0f);
  Send(remove_candidate);

  // Any other switch: only the evaluation of the part's removal averages, then all values.
  Set(10, 1);
  Apply();
  Insert();
  Measure(100.0f);
  EXPECT_EQ(StoredLevel(), 100.0f);
  Send(remove_candidate);
  EXPECT_EQ(StoredLevel(), 90.0f);  // (80 + 90 + 100) / 3

  // The parameter chooses how: the maximum.
  Set(8, 4);
  Apply();
  Insert();
  Measure(70.0f);
  Send(remove_candidate);
  EXPECT_EQ(StoredLevel(), 100.0f);
}

TEST_F(SettingsTest, ShutdownSavesTheHistory) {
  KeepHistory();
  Insert();
  Measure(80.0f);
  Send(remove_candidate);
  Insert();
  Measure(81.0f);
  Send(remove_candidate);
  ASSERT_FALSE(fs::exists(HistoryFile("P1_T1")));
  sequencer_->OnSpecialShutdown();
  ASSERT_TRUE(fs::exists(HistoryFile("P1_T1")));

  // The next run starts with the saved history of the part type.
  sequencer_.reset();
  Start();
  KeepHistory();
  Insert();
  EXPECT_EQ(LevelSections(), 2u);
  EXPECT_EQ(sequencer_->ValueStore().FinalScalarStore().AncientValue(kLevel, -1).value, 81.0f);
}

TEST_F(SettingsTest, ProjectCommandCopiesTheHistory) {
  KeepHistory();
  const std::string project = folder_ + "project/";
  const std::string local = HistoryFile("P1_T1");
  const std::string copy = project + "History/P1_T1.dhf";
  EXPECT_EQ(Project(4, project), 1);  // nothing to copy yet
  EXPECT_FALSE(fs::exists(project));

  // 4: the saved history files go to the project.
  Insert();
  Measure(80.0f);
  Send(remove_candidate);
  ASSERT_TRUE(sequencer_->SaveHistory());
  EXPECT_EQ(Project(4, project), 1);
  const std::vector<char> first = Bytes(local);
  EXPECT_EQ(Bytes(copy), first);

  // 2: the current history is saved first, then copied.
  Insert();
  Measure(81.0f);
  Send(remove_candidate);
  EXPECT_EQ(Project(2, project), 1);
  EXPECT_NE(Bytes(local), first);
  EXPECT_EQ(Bytes(copy), Bytes(local));

  // 8: as 2, then the project's files are taken over and the history of the type reloaded.
  {
    std::ofstream(project + "History/P1_T9.dhf", std::ios::binary)
        .write(first.data(), static_cast<std::streamsize>(first.size()));
  }
  Insert();
  Measure(82.0f);
  Send(remove_candidate);
  ASSERT_FALSE(sequencer_->ValueStore().SingleValueMap().empty());
  EXPECT_EQ(Project(8, project), 1);
  // The history of the type is read anew: the store starts from the file alone.
  EXPECT_TRUE(sequencer_->ValueStore().SingleValueMap().empty());
  EXPECT_EQ(Bytes(HistoryFile("P1_T9")), first);
  EXPECT_EQ(Bytes(copy), Bytes(local));
  EXPECT_EQ(LevelSections(), 3u);
  EXPECT_EQ(sequencer_->ValueStore().FinalScalarStore().AncientValue(kLevel, -1).value, 82.0f);

  // Without a project path the command is not handled.
  EXPECT_EQ(CModule::CommandDispatcher().ProcessCommand(mcProject, 0, nullptr, 4), 0);
}
