#include "sequencer/KelSequencer.h"

#include <gtest/gtest.h>

#include <fstream>

#include "SequencerFixture.h"
#include "frame/EvStoreServer.h"
#include "host/CommandDispatcher.h"
#include "host/MessageService.h"

TEST_F(SequencerTest, DrivesAPartThroughItsModes) {
  EXPECT_EQ(CEvStoreServer<CKelValueStore>::Object().Store(-1), &sequencer_->ValueStore());
  EXPECT_EQ(CEvStoreServer<CResultShop>::Object().Store(-1), &sequencer_->ResultShop());
  Send(insert_candidate, std::string("GT2-0001"));
  EXPECT_TRUE(sequencer_->CandidateInserted());
  Send(begin_mode, 1);
  EXPECT_EQ(State(1), ms_applied);
  EXPECT_EQ(sequencer_->CurrentMode(), 1);
  Send(begin_measurement, 1);
  EXPECT_EQ(State(1), ms_measuring);
  Level(kLevel, 80.0f);
  TrackPoint(kTrack, 3, 70.0f);
  Send(end_measurement, 1);
  EXPECT_EQ(State(1), ms_measured);
  const auto& scalars = sequencer_->ValueStore().FinalScalarStore();
  EXPECT_TRUE(scalars.ToValidateMap().empty());
  EXPECT_TRUE(scalars.ToEvaluateMap().empty());  // evaluated at end_measurement
  EXPECT_EQ(sequencer_->ValueStore().HistoryCount(), 1u);

  // Cancel, then end_measurement: nothing evaluated, the state stays canceled; end_mode clears
  // the measurement's values. A level of the whole mode (context bit 2) stays.
  const QClavis modeLevel(1, 1, 1, 1, 11, 0);
  Level(modeLevel, 60.0f, 0b00100, SignalBase::expire_mode);
  const auto levels = [&] {
    std::vector<QClavis> keys;
    for (const auto& [key, value] : sequencer_->ValueStore().SingleValueMap()) keys.push_back(key);
    return keys;
  };
  Send(begin_measurement, 1);
  EXPECT_EQ(levels(), std::vector<QClavis>{modeLevel});  // the level is cleared for the repeat
  Level(kLevel, 81.0f);
  Send(cancel_measurement, 1);
  EXPECT_EQ(State(1), ms_canceled);
  Send(end_measurement, 1);
  EXPECT_EQ(State(1), ms_canceled);
  EXPECT_EQ(sequencer_->ValueStore().HistoryCount(), 1u);
  EXPECT_EQ(scalars.ToValidateMap().size(), 2u);
  Send(end_mode, 1);
  EXPECT_EQ(levels(), std::vector<QClavis>{modeLevel});
  EXPECT_EQ(State(1), ms_canceled);

  // end_shiftlane reads mode, from, to; it marks the mode measured without promoting tracks.
  Send(begin_mode, 2);
  TrackPoint(QClavis(2, 2001, 1, 1, 20, 0), 1, 70.0f, SignalBase::expire_shiftlane);
  Send(end_shiftlane, std::vector<int32_t>{2, 1, 3, 99});
  EXPECT_EQ(State(2), ms_measured);
  EXPECT_TRUE(sequencer_->ValueStore().TrackScalarStore().ToValidateMap().empty());
  EXPECT_TRUE(sequencer_->ValueStore().TrackScalarStore().ToEvaluateMap().empty());

  // A virtual mode keeps its state under its base mode.
  Send(begin_mode, 4);
  EXPECT_EQ(State(1), ms_applied);

  // Dropping the part evaluates nothing but still counts what is missing.
  const uint32_t sections = sequencer_->ValueStore().HistoryCount();
  PrWin::CaptureSink capture;
  Send(drop_candidate);
  EXPECT_EQ(sequencer_->ValueStore().HistoryCount(), sections);
  EXPECT_FALSE(sequencer_->CandidateInserted());
  EXPECT_EQ(sequencer_->CurrentMode(), -1);
  EXPECT_EQ(capture.Text(),
            "Sequencer (remove candidate): Not all requested measurements are done\n");
  EXPECT_EQ(capture.Lines()[0].category, 4);
}

TEST_F(SequencerTest, RemovingAPartChecksWhatIsMissing) {
  CSeaBase::ApplicationSea()->LookupSetInt("Terminal-ErrorCode", 901, 0);
  sequencer_->LoadSettings();
  CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 1, 19);  // verbosity 1
  Send(insert_candidate, std::string("GT2-0002"));
  Send(begin_mode, 1);
  Send(begin_measurement, 1);
  Level(kLevel, 80.0f);
  Send(end_measurement, 1);
  Send(end_mode, 1);
  PrWin::CaptureSink capture;
  Send(remove_candidate);
  // Mode 1 was measured: its track is missing and becomes an error; mode 2 was never used.
  const auto& errors = sequencer_->ResultShop().Errors();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors.begin()->first, kTrack);
  EXPECT_EQ(errors.begin()->second.code, 901);
  EXPECT_FALSE(sequencer_->ResultShop().MeasuringComplete());
  EXPECT_EQ(capture.Text(),
            "Sequencer (remove candidate): Not all requested measurements are done\n");

  // Bad input: unknown events and arguments that are no mode.
  capture.Clear();
  Send(static_cast<sequencer_events_t>(42));
  Send(begin_mode, std::string("first"));
  Send(end_shiftlane, 3);
  Send(begin_mode, 77);
  EXPECT_EQ(capture.Text(),
            "CKelSequencer::unregistered event\n"
            "CKelSequencer: event begin_mode needs a mode number; the event is ignored\n"
            "CKelSequencer: end_shiftlane needs an array of three int32 (mode, physical mode "
            "before and after); the event is ignored\n"
            "CKelSequencer::get_mode_state(): unknown mode 77\n");
}

TEST_F(SequencerTest, SettingsDefaultsRevertAndRestart) {
  const std::string verbose = "Sequencer-Params";
  // A fresh module writes the defaults back.
  sequencer_->OnSpecialFileSave();
  CSeaBase* sea = CSeaBase::ApplicationSea();
  EXPECT_EQ(sea->LookupGetInt(verbose, 0, -9), 1);
  EXPECT_EQ(sea->LookupGetString(verbose, 2, ""), "NEUTRAL");
  EXPECT_EQ(sea->LookupGetInt(verbose, 11, -9), 50);
  EXPECT_EQ(sea->LookupGetInt(verbose, 19, -9), 0);
  EXPECT_EQ(sea->LookupGetInt("Terminal-ErrorCode", 3, 0), -1);
  EXPECT_TRUE(sea->LookupGetBool("ResultCodeCompatibilityOptions", 1, false));
  EXPECT_EQ(CResourceList(sea, "Terminal-Modes").Count(), 3u);  // modes 1, 2, 3 (4 is virtual)

  // Revert prints exactly the values that change.
  sea->LookupSetInt(verbose, 0, 18);  // repeated measurements do not clear errors
  sea->LookupSetInt(verbose, 2, 19);
  sea->LookupSetInt(verbose, 1, 15);  // already checking empty runs
  sequencer_->LoadSettings();
  PrWin::CaptureSink capture;
  sequencer_->OnSpecialRevertToDefaults();
  EXPECT_EQ(capture.Text(),
            "Sequencer: 'Checking for completed test run on every selected mode' false --> true\n"
            "'Repeated measurements clear errors' false --> true\n"
            "'verbosity' --> off\n");
  capture.Clear();
  sequencer_->OnSpecialRevertToDefaults();
  EXPECT_EQ(capture.Text(), "Sequencer: ");

  // Saved settings survive a restart through the settings file.
  sequencer_->OnSpecialFileSave();
  ASSERT_TRUE(SeaFile::Save(folder_ + "settings.txt"));
  sequencer_.reset();
  sea->Clear();
  ASSERT_TRUE(SeaFile::Load(folder_ + "settings.txt"));
  Start();
  EXPECT_EQ(sea->LookupGetInt(verbose, 14, -9), 1);
  sequencer_->OnSpecialFileSave();
  EXPECT_EQ(sea->LookupGetInt(verbose, 14, -9), 1);
  EXPECT_EQ(sea->LookupGetInt(verbose, 15, -9), 1);
}

TEST_F(SequencerTest, HistoryFilesFollowThePartType) {
  CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 0, 0);  // keep history
  CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 5, 4);  // scalar depth 5
  sequencer_->LoadSettings();
  sequencer_->ApplySettings();
  auto part = [&](float value) {
    Send(insert_candidate, std::string("serial"));
    Send(begin_mode, 1);
    Send(begin_measurement, 1);
    Level(kLevel, value);
    Send(end_measurement, 1);
    Send(remove_candidate);
  };
  part(80.0f);
  part(81.0f);  // same type: nothing saved yet
  auto entries = [&] {
    auto [first, last] = sequencer_->ValueStore().FinalScalarStore().AncientValues(kLevel);
    return std::distance(first, last);
  };
  EXPECT_EQ(sequencer_->HistoryName(), "P1_T1");
  EXPECT_FALSE(fs::exists(HistoryFile("P1_T1")));
  EXPECT_EQ(entries(), 2);

  InstallPlan("T2");  // a type change saves the old history and loads the new one
  part(90.0f);
  EXPECT_TRUE(fs::exists(HistoryFile("P1_T1")));
  EXPECT_EQ(entries(), 1);
  InstallPlan("T1");
  Send(insert_candidate, std::string("serial"));
  EXPECT_TRUE(fs::exists(HistoryFile("P1_T2")));
  EXPECT_EQ(entries(), 2);
  EXPECT_EQ(sequencer_->ValueStore().FinalScalarStore().AncientValue(kLevel, -1).value, 81.0f);

  // A part type can never make the program write outside the history folder.
  InstallPlan("../../etc/x");
  Send(insert_candidate, std::string("serial"));
  InstallPlan("T1");
  Send(insert_candidate, std::string("serial"));
  for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
    if (entry.is_regular_file() && entry.path().extension() == ".dhf") {
      EXPECT_EQ(entry.path().parent_path().string(), folder_ + "History") << entry.path();
    }
  }
  EXPECT_FALSE(fs::exists(folder_ + "../etc"));

  // With every depth 0 no history file is written.
  McSetPlatformName("P9");
  CSeaBase::ApplicationSea()->LookupSetInt("Sequencer-Params", 0, 4);
  sequencer_->LoadSettings();
  sequencer_->ApplySettings();
  Send(insert_candidate, std::string("serial"));
  McSetPlatformName("P8");
  Send(insert_candidate, std::string("serial"));
  EXPECT_FALSE(fs::exists(HistoryFile("P9_T1")));

  // A damaged history file gives the message; the store stays usable.
  { std::ofstream(HistoryFile("P7_T1")) << "not a history"; }
  McSetPlatformName("P7");
  PrWin::CaptureSink capture;
  Send(insert_candidate, std::string("serial"));
  EXPECT_EQ(capture.Text(), "CKelSequencer::LoadHistory() :Error reading history file " +
                                HistoryFile("P7_T1") +
                                "\nCKelSequencer::LoadHistory(): its history table is damaged: "
                                "it does not start with a table header; the file is kept as " +
                                HistoryFile("P7_T1") +
                                ".damaged-20251206T054640Z and the history of this part type "
                                "starts empty\n");
  Level(kLevel, 1.0f);
  EXPECT_FALSE(sequencer_->ValueStore().empty());
}

TEST_F(SequencerTest, RefreshReportOnlyAfterChanges) {
  CObject window;
  int refreshes = 0;
  CModule::CommandDispatcher().AddClient(
      mcRefreshReport, &window,
      [&](long, unsigned long, const void*, const char*, const void*) -> unsigned char {
        ++refreshes;
        return 1;
      });
  auto& service = CCentralMessageService::Service();
  HostClock::Advance(100);
  service.Dispatch();
  EXPECT_EQ(refreshes, 0);
  HostClock::Advance(10);
  sequencer_->ResultShop().AddErrorEntry(kLevel, 901, 0, 0, 0, 0);
  HostClock::Advance(50);
  service.Dispatch();  // not yet 100 ms
  EXPECT_EQ(refreshes, 0);
  HostClock::Advance(40);
  service.Dispatch();
  EXPECT_EQ(refreshes, 1);
  HostClock::Advance(100);
  service.Dispatch();
  EXPECT_EQ(refreshes, 1);

  // The host message mcAddErrorEntry reaches the result shop.
  HostClock::Advance(10);
  const CHostErrorEntry entry{2, 1, 1, 1, 10, 0, 901, 1.0f, 2.0f, 3.0f, 4.0f};
  EXPECT_EQ(CModule::CommandDispatcher().ProcessCommand(mcAddErrorEntry, 0, &entry), 1);
  EXPECT_TRUE(sequencer_->ResultShop().HasErrors(2));
  HostClock::Advance(90);
  service.Dispatch();
  EXPECT_EQ(refreshes, 2);

  sequencer_->OnSpecialShutdown();
  HostClock::Advance(1000);
  EXPECT_EQ(service.Dispatch(), 0);
  CModule::CommandDispatcher().RemoveClients(&window);
}

namespace {
class CTestReceiver : public CCommandReceiver<CRemoteControl<2>> {
 public:
  bool OnRemoteCommand(const std::wstring& text) override {
    last = text;
    return text == L"ok";
  }
  std::wstring last;
};
}  // namespace

TEST(RemoteControl, OneReceiverPerChannel) {
  CTestReceiver first, second;
  auto& channel = CRemoteControl<2>::Channel();
  EXPECT_FALSE(CRemoteControl<2>::Message(L"ok"));  // nobody listens
  channel.Register(&first);
  EXPECT_TRUE(CRemoteControl<2>::Message(L"ok"));
  EXPECT_FALSE(CRemoteControl<2>::Message(L"no"));
  EXPECT_EQ(first.last, L"no");
  channel.Register(&second);  // replaces the first
  channel.Release(&first);    // not the stored one: nothing changes
  EXPECT_TRUE(CRemoteControl<2>::Message(L"ok"));
  EXPECT_EQ(second.last, L"ok");
  EXPECT_FALSE(CRemoteControl<3>::Message(L"ok"));  // channels are independent
  channel.Release(&second);
  EXPECT_FALSE(CRemoteControl<2>::Message(L"ok"));
}
