// Completeness checks: modes not measured, modes left empty, instruments not requested,
// suspended checks and the not-evaluated modes they excuse.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SequencerFixture.h"

namespace {

const QClavis kModeCheck1(1, CKelSequencer::MODE_CHECK_INSTRUMENT, 0, 0, 0, 0);
const QClavis kModeCheck2(2, CKelSequencer::MODE_CHECK_INSTRUMENT, 0, 0, 0, 0);

class CompletenessTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    CSeaBase* sea = CSeaBase::ApplicationSea();
    sea->LookupSetInt("Terminal-ErrorCode", 901, 0);  // measurement missing
    sea->LookupSetInt("Terminal-ErrorCode", 902, 1);  // mode left empty
    sea->LookupSetInt("Terminal-ErrorCode", 903, 2);  // mode not measured
    sea->LookupSetInt("Terminal-ErrorCode", 904, 3);  // mode not evaluated
    CResourceList modes(sea, "Terminal-Modes");
    CResourceLine line = modes.AddLineTail();  // mode 2 must not stay empty
    line.SetInt(0, 2);
    line.SetInt(1, 1);
  }
  void Apply(int field, int value) {
    CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", value, field);
    sequencer_->LoadSettings();
    sequencer_->ApplySettings();
  }
  // One part: mode 1 begun and ended without a measurement, mode 2 not begun.
  void PartWithAnAppliedMode() {
    Send(insert_candidate, std::string("serial"));
    Send(begin_mode, 1);
    Send(end_mode, 1);
    Send(remove_candidate);
  }
  std::vector<std::pair<QClavis, int>> Errors() {
    std::vector<std::pair<QClavis, int>> errors;
    for (const auto& [key, error] : sequencer_->ResultShop().Errors())
      errors.emplace_back(key, error.code);
    return errors;
  }
};

}  // namespace

TEST_F(CompletenessTest, ModeLevelErrorsOnlyWhileChecking) {
  Apply(14, 1);  // check every selected mode
  // Checks are suspended at the start: no mode-level error.
  PartWithAnAppliedMode();
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{}));

  // Resumed: mode 1 ended without being measured; mode 2 (flag 1, requests a level) stayed
  // empty.
  Send(resume_checks);
  PartWithAnAppliedMode();
  EXPECT_EQ(Errors(),
            (std::vector<std::pair<QClavis, int>>{{kModeCheck1, 903}, {kModeCheck2, 902}}));

  // A measured mode 1 and a level in mode 2: nothing at mode level.
  Send(insert_candidate, std::string("serial"));
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  Send(end_measurement, 1);
  Send(end_mode, 1);
  Level(kLevel2, 1.0f);
  Send(remove_candidate);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{{kLevel, 901}, {kTrack, 901}}));

  // Without "every selected mode" an unmeasured mode is no error; without a begun mode the run
  // is not checked for empty modes unless empty runs are checked too.
  Apply(14, 0);
  PartWithAnAppliedMode();
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{{kModeCheck2, 902}}));
  Send(insert_candidate, std::string("serial"));
  Send(remove_candidate);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{}));
  Apply(15, 1);
  Send(insert_candidate, std::string("serial"));
  Send(remove_candidate);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{{kModeCheck2, 902}}));

  // Suspended again, but checking while suspended.
  Send(suspend_checks);
  Apply(14, 1);
  Apply(13, 1);
  PartWithAnAppliedMode();
  EXPECT_EQ(Errors(),
            (std::vector<std::pair<QClavis, int>>{{kModeCheck1, 903}, {kModeCheck2, 902}}));
}

TEST_F(CompletenessTest, SuspendedChecksExcuseModesNotEvaluated) {
  CSeaBase::ApplicationSea()->LookupSetInt("ResultCodeCompatibilityOptions", 2, 0);
  sequencer_->LoadSettings();
  sequencer_->ApplySettings();
  CResultShop& shop = sequencer_->ResultShop();
  const auto beginMode2 = [&] {
    Send(insert_candidate, std::string("serial"));
    Send(begin_mode, 2);
  };
  // Suspended: a begun, unmeasured mode is excused.
  Send(suspend_checks);
  beginMode2();
  EXPECT_EQ(shop.ResultRequest(2), NorviDefs::result_ok);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{}));
  // Resumed: it gets the not-evaluated error.
  Send(resume_checks);
  EXPECT_EQ(shop.ResultRequest(2), NorviDefs::result_nok);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{{QClavis(2, 0, 0, 0, 0, 0), 904}}));
  // Purging the results empties the list and the mode states and ends the excuse.
  Send(suspend_checks);
  beginMode2();
  shop.MeasuringComplete(true);
  Send(purge_results);
  EXPECT_FALSE(shop.MeasuringComplete());
  EXPECT_EQ(State(2), ms_none);
  EXPECT_EQ(shop.ResultRequest(2), NorviDefs::result_nok);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{}));
  // Checking while suspended: no excuse.
  Apply(13, 1);
  Send(suspend_checks);
  beginMode2();
  EXPECT_EQ(shop.ResultRequest(2), NorviDefs::result_nok);
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{{QClavis(2, 0, 0, 0, 0, 0), 904}}));
}

TEST_F(CompletenessTest, InstrumentsNotRequestedAndModesWithoutState) {
  CResourceList instruments(CSeaBase::ApplicationSea(), "Terminal-Instruments");
  CResourceLine line = instruments.AddLineTail();  // the track instrument is not requested
  line.SetInt(0, 2001);
  line.SetBool(1, false);
  Apply(19, 1);  // verbosity 1
  Send(insert_candidate, std::string("serial"));
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  Level(kLevel, 80.0f);
  Send(end_measurement, 1);
  PrWin::CaptureSink capture;
  Send(remove_candidate);
  // No error for the track, but it is still counted as missing.
  EXPECT_EQ(Errors(), (std::vector<std::pair<QClavis, int>>{}));
  EXPECT_FALSE(sequencer_->ResultShop().MeasuringComplete());
  EXPECT_EQ(capture.Text(),
            "Sequencer: missing measurements:\n"
            "Run-up / Track / Acc / Input / Order 23 / #0\n"
            "Sequencer (remove candidate): 1 measurements missing (see output window 'parameter "
            "data base')\n"
            "CKelSequencer::remove_candidate: 1 measurements missing\n");

  // A mode without a state record is reported once; each of its requested entries is skipped
  // with a line of its own.
  sequencer_->ResultShop().ModeStateMap().erase(1);
  capture.Clear();
  EXPECT_EQ(sequencer_->CheckRequestedMeasuringResults(), 0);
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::get_mode_state(): unknown mode 1\n"
            "CKelSequencer::CheckRequestedMeasuringResults(): measurement 'Run-up / Level / Acc / "
            "Input / RMS / #0' requested, illegal mode\n"
            "CKelSequencer::CheckRequestedMeasuringResults(): measurement 'Run-up / Track / Acc / "
            "Input / Order 23 / #0' requested, illegal mode\n");
}
