// Milestones, the end of a part and what the learn-file module hears of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SequencerFixture.h"

namespace {

// The learn-file module as the sequencer finds it by its class name; it keeps the codes it
// is sent.
class CLearnFileRecorder : public CModule {
 public:
  const char* RuntimeClassName() const override { return "CQLearnFileDlg"; }
  void OnUserIfCommand(int command) override { codes.push_back(command); }
  std::vector<int> codes;
};

class MilestoneTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    ASSERT_TRUE(learnFile_.Create("LearnFile", nullptr));
    CSeaBase* sea = CSeaBase::ApplicationSea();
    sea->LookupSetInt("Sequencer-Params", 1, 1);   // serial check on
    sea->LookupSetInt("Sequencer-Params", 1, 11);  // at most one error ...
    sea->LookupSetInt("Sequencer-Params", 1, 12);  // ... and one kept per mode
    sea->LookupSetInt("Terminal-ErrorCode", 901, 0);
    sequencer_->PostCreate();  // finds the learn-file module and applies the settings
  }
  void TearDown() override {
    McClearCandidate();
    SequencerTest::TearDown();
  }
  void Insert(const std::string& serial) {
    if (serial.empty())
      McClearCandidate();
    else
      McSetCandidate(serial, "GT2", "T1");
    Send(insert_candidate, serial);
  }
  uint32_t Sections() { return sequencer_->ValueStore().HistoryCount(); }
  size_t Waiting() { return sequencer_->ValueStore().FinalScalarStore().ToValidateMap().size(); }

  CLearnFileRecorder learnFile_;
};

}  // namespace

TEST_F(MilestoneTest, MilestonesCloseTheCurrentModeAndTheLearnFileHearsOfIt) {
  Insert("A1");
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1}));
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  Level(kLevel, 80.0f);
  Send(end_measurement, 1);
  Level(kLevel, 81.0f);  // measured again after the measurement ended: waits for validation
  ASSERT_EQ(Sections(), 1u);
  ASSERT_EQ(Waiting(), 1u);

  // The end of the measurement found no error: the main learn store learned, the learn file
  // heard 3. A milestone without a mode number: the current mode's values go into a history
  // section and are validated, the completeness check finds the track of mode 1 missing (so the
  // main learn store does not learn: no 3), the learn file hears 2.
  Send(begin_milestone);
  EXPECT_EQ(Sections(), 2u);
  EXPECT_EQ(Waiting(), 0u);
  const auto& errors = sequencer_->ResultShop().Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.begin()->first, kTrack);
  EXPECT_EQ(errors.begin()->second.code, 901);
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 3, 2}));

  // The end of a milestone dismisses the values and trims the errors to the maximum (1).
  sequencer_->ResultShop().AddErrorEntry(kLevel, 901, 0, 0, 0, 0);
  Send(end_milestone);
  EXPECT_TRUE(sequencer_->ValueStore().SingleValueMap().empty());
  EXPECT_EQ(errors.size(), 1u);

  // Dropping the part evaluates nothing and sends no 2. A milestone after it has no current
  // mode: whatever mode number it carries, it evaluates nothing, and the learn file hears 2.
  Send(drop_candidate);
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 3, 2}));
  Level(kLevel, 82.0f);
  Send(begin_milestone, 1);
  EXPECT_EQ(Sections(), 2u);
  EXPECT_EQ(Waiting(), 1u);
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 3, 2, 2}));

  // A new serial: 1, then 4 for the changed serial; the milestone and the evaluating removal
  // each learn without errors (3) and send 2. A milestone whose argument is a text works on the
  // current mode as well.
  learnFile_.codes.clear();
  Insert("A2");
  Send(begin_mode, 1);
  Level(kLevel, 83.0f);
  Send(begin_milestone, std::string("M1"));
  EXPECT_EQ(Sections(), 1u);  // the history was dismissed at the insertion
  Send(remove_candidate);
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 4, 3, 2, 3, 2}));

  // The neutral serial of an empty bench neither counts as a change nor is remembered; the same
  // serial again is no change either.
  learnFile_.codes.clear();
  Insert("");
  Insert("A2");
  Insert("A3");
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 1, 1, 4}));
}

TEST_F(MilestoneTest, DroppingAPartStillDecidesWhetherItIsComplete) {
  // Everything requested in mode 1 is there, modes 2 and 4 were never used, mode 3 is a
  // function mode: nothing is missing, although the part is dropped.
  Insert("A1");
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  Level(kLevel, 80.0f);
  TrackPoint(kTrack, 3, 70.0f);
  Send(end_measurement, 1);
  PrWin::CaptureSink capture;
  Send(drop_candidate);
  EXPECT_TRUE(sequencer_->ResultShop().MeasuringComplete());
  EXPECT_EQ(capture.Text(), "");
  // The end of the measurement learned (3); the drop sends nothing.
  EXPECT_EQ(learnFile_.codes, (std::vector<int>{1, 3}));
}
