#include "windows/AmpelModul.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/EvStoreServer.h"
#include "host/Clock.h"
#include "host/CommandDispatcher.h"
#include "host/Railway.h"
#include "host/Resources.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "host/Timers.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

using namespace NorviDefs;

namespace {

// What the window showed: the last list and how often it was replaced or recoloured.
struct ShownLamp {
  std::vector<CAmpelView::ModeErgebnis_t> modes;
  bool rowWise = false;
  int newLists = 0;
  int refreshes = 0;
};

class RecordingAmpelView : public CAmpelView {
 public:
  explicit RecordingAmpelView(ShownLamp& shown) : shown_(shown) {}
  void Zeilenweise(bool rowWise) override { shown_.rowWise = rowWise; }
  void NeueErgebnisse(const std::vector<ModeErgebnis_t>& results) override {
    shown_.modes = results;
    ++shown_.newLists;
  }
  void Aktualisieren(const std::vector<ModeErgebnis_t>& results) override {
    shown_.modes = results;
    ++shown_.refreshes;
  }

 private:
  ShownLamp& shown_;
};

class AmpelModulTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallPlan());
    HostClock::UseManual(1000, 1'700'000'000);
    CSeaBase::ApplicationSea()->Clear();
    CSeaBase::PreferenceSea()->Clear();
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &values);
    CEvStoreServer<CResultShop>::Object().Release(-1);
    CEvStoreServer<CResultShop>::Object().RegisterDefault(&owner, &shop);
    shop.OnInsertCandidate();
    CModuleOutputWire* wire =
        CModuleOutputWire::FindAndConnectOutWire(nullptr, "SerialOutput", true);
    wire->ClearListeners();
    wire->ListenText([this](const std::wstring& command) {
      sent.emplace_back(HostClock::TickCount(), std::string(command.begin(), command.end()));
    });
    HostViews::SetAmpelViewFactory(
        [this](const std::string&) { return std::make_unique<RecordingAmpelView>(shown); });
    HostResources::SetSoundPlayer([this](int id, const std::string&) { sounds.push_back(id); });
  }
  void TearDown() override {
    HostViews::SetAmpelViewFactory(nullptr);
    HostResources::SetSoundPlayer(nullptr);
    CModuleOutputWire::Find("SerialOutput")->ClearListeners();
    CEvStoreServer<CResultShop>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    ParamDatabase::Reset();
    HostClock::UseSystem();
  }
  static QClavis key(int mode) { return QClavis(mode, 1, 1, 1, 10, 0); }
  static bool InstallPlan() {
    TestPlan::Builder plan("lamp");
    plan.Mode(1, "Run-up")
        .Mode(2, "Coast-down")
        .Mode(3, "Function check", QVModeProps::mfFunction)
        .Mode(4, "Setup", QVModeProps::mfAcoustic)
        .Mode(5, "Run-up repeat", QVModeProps::mfAcoustic, 1)
        .Instrument(1, "Level", 1)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Parameter(10, 1, "RMS")
        .ErrorCode(200, "Level too high", 50, 1, 2)
        .Severity(1, result_nok, color_nok, "n.O.K. noise")
        .Quantity(key(1), 200)
        .Quantity(key(2), 200)
        .Quantity(key(3), 200)
        .Quantity(key(4), 200);
    plan.Set().modeProperty[QIdx1(4)].hidden = true;
    return plan.Install();
  }
  // Starts the module as the host does.
  void Start(int signalLightMode = 2) {
    CSeaBase::ApplicationSea()->LookupSetInt("SignalLight_Mode", signalLightMode, 0);
    ASSERT_TRUE(lamp.Create("Ampel", nullptr));
    lamp.PostCreate();
    lamp.OnSpecialCreate();
  }
  void Measured(int mode, bool withError) {
    values.InsertSValue(key(mode), KelStoreSValue{}, CMeasuringUnit(), 1);
    shop.ModeStateMap()[mode] = Kelva::ms_measured;
    if (withError) shop.AddErrorEntry(key(mode), 200, 2.0f, 1.0f, 0, 0);
  }
  void Message(const char* message, long argument = 0) {
    CModule::CommandDispatcher().ProcessCommand(message, static_cast<unsigned long>(argument),
                                                nullptr);
  }
  // Moves the clock on and lets due timers fire.
  void Wait(uint64_t ms) {
    HostClock::Advance(ms);
    HostTimers::Dispatch();
  }
  std::vector<std::pair<uint64_t, std::string>> Sent() {
    auto out = std::move(sent);
    sent.clear();
    return out;
  }
  using Commands = std::vector<std::pair<uint64_t, std::string>>;

  CObject owner;
  CKelValueStore values;
  CResultShop shop;
  CAmpelModul lamp;
  ShownLamp shown;
  std::vector<int> sounds;
  Commands sent;
};

}  // namespace

TEST_F(AmpelModulTest, ModeTwoBlinksRedThenShowsItSteadilyAndIgnoresASecondEnd) {
  Start(2);
  EXPECT_EQ(Sent(), (Commands{{1000, "wr00000"}}));  // switched off when connected
  Measured(1, true);
  Message(mcEndOfTest);
  EXPECT_EQ(lamp.LampState(), 2);
  Message(mcEndOfTest);        // while blinking: nothing
  Message(mcInsertCandidate);  // a waiting lamp is left to its timer
  Wait(1499);
  EXPECT_EQ(Sent(), (Commands{{1000, "wr01100"}}));
  Wait(1);
  EXPECT_EQ(Sent(), (Commands{{2500, "wr01000"}}));
  EXPECT_EQ(lamp.LampState(), 4);
  EXPECT_EQ(HostTimers::Running(), 0u);
  // A steady lamp goes off when the next part enters.
  Message(mcInsertCandidate);
  EXPECT_EQ(Sent(), (Commands{{2500, "wr00000"}}));
  EXPECT_EQ(lamp.LampState(), 0);

  // O.K. in mode 2: green at once, no timer.
  shop.OnInsertCandidate();
  Measured(1, false);
  Message(mcEndOfTest);
  EXPECT_EQ(Sent(), (Commands{{2500, "wr10000"}}));
  EXPECT_EQ(lamp.LampState(), 3);
  EXPECT_EQ(HostTimers::Running(), 0u);
  Message(mcEndOfTest);  // a lamp that is on is not driven again
  EXPECT_TRUE(Sent().empty());
}

TEST_F(AmpelModulTest, SignalLightModesDecideWhatBlinks) {
  Start(3);
  Sent();
  Measured(1, false);
  Message(mcEndOfTest);  // mode 3 blinks green for 500 ms
  Wait(500);
  EXPECT_EQ(Sent(), (Commands{{1000, "wr10100"}, {1500, "wr10000"}}));
  EXPECT_EQ(lamp.LampState(), 3);

  // A timer message with another id changes nothing.
  Message(mcInsertCandidate);
  Sent();
  shop.OnInsertCandidate();
  Measured(2, true);
  Message(mcEndOfTest);
  lamp.OnTimer(12345);
  EXPECT_EQ(lamp.LampState(), 2);
  Wait(1500);
  EXPECT_EQ(Sent(), (Commands{{1500, "wr01100"}, {3000, "wr01000"}}));

  // No result and system error send nothing.
  Message(mcInsertCandidate);
  Sent();
  shop.OnInsertCandidate();
  Message(mcEndOfTest);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(lamp.LampState(), 0);
}

TEST_F(AmpelModulTest, ModeOneNeverBlinks) {
  Start(1);
  Sent();
  Measured(1, true);
  Message(mcEndOfTest);
  EXPECT_EQ(Sent(), (Commands{{1000, "wr01000"}}));
  EXPECT_EQ(lamp.LampState(), 4);
  EXPECT_EQ(HostTimers::Running(), 0u);
}

TEST_F(AmpelModulTest, ModeListColoursAndSound) {
  CSeaBase::PreferenceSea()->LookupSetBool("Ampel-BeimStartOffen", true, 0);
  CSeaBase::ApplicationSea()->LookupSetBool("Ampel-TonAbspielen", true, 0);
  Start();
  ASSERT_TRUE(lamp.WindowOpen());
  Message(mcInsertCandidate);
  // Acoustic modes in use only: the function mode and the hidden mode are left out, and so
  // is the virtual mode 5 that has no stored quantity.
  std::vector<int> listed;
  for (const auto& m : shown.modes) listed.push_back(m.mode);
  EXPECT_EQ(listed, (std::vector<int>{1, 2}));
  EXPECT_EQ(shown.modes[1].name, "Coast-down");
  EXPECT_TRUE(shown.rowWise);

  Measured(1, true);
  Message(mcSetNormalMode, 1);
  EXPECT_EQ(shown.modes[0].colour, color_running);
  Message(mcSetNormalMode, 2);  // the mode before gets its result colour
  EXPECT_EQ(shown.modes[0].colour, color_nok);
  EXPECT_EQ(shown.modes[1].colour, color_running);
  EXPECT_TRUE(sounds.empty());

  Message(mcRefreshReport, -1);  // a refresh without sound
  EXPECT_TRUE(sounds.empty());
  EXPECT_TRUE(shown.modes[0].measured);
  EXPECT_FALSE(shown.modes[1].measured);
  EXPECT_EQ(shown.modes[1].colour, color_none);
  Message(mcRefreshReport, 0);
  EXPECT_EQ(sounds, (std::vector<int>{10030}));

  // Without the acoustic filter every mode that is not hidden is listed.
  lamp.OnContextMenu(CAmpelModul::miAcousticOnly);
  EXPECT_FALSE(lamp.ContextMenu()[1].checked);
  Message(mcInsertCandidate);
  listed.clear();
  for (const auto& m : shown.modes) listed.push_back(m.mode);
  EXPECT_EQ(listed, (std::vector<int>{1, 2, 3, 5}));
  EXPECT_FALSE(CSeaBase::ApplicationSea()->LookupGetBool("Ampel-NurAkustik", 0, true));
}

TEST_F(AmpelModulTest, WindowStateFollowsPreferencesAndTheOperator) {
  Start();
  EXPECT_FALSE(lamp.WindowOpen());
  lamp.OnUserIfCommand(0);
  ASSERT_TRUE(lamp.WindowOpen());
  EXPECT_TRUE(lamp.UserIfCommandChecked());
  lamp.OnUserIfCommand(0);  // open: brought to the front
  EXPECT_EQ(lamp.Window()->TimesRaised(), 1);
  lamp.Window()->SetPlacement("5 6 300 200");
  Message(mcPreferencesChanging, 0);
  CSeaBase* prefs = CSeaBase::PreferenceSea();
  EXPECT_TRUE(prefs->LookupGetBool("Ampel-BeimStartOffen", 0, false));
  EXPECT_EQ(prefs->LookupGetString("Ampel-Position", 0, ""), "5 6 300 200");

  // Closed by the operator: stays closed at the next start.
  lamp.CloseWindow();
  EXPECT_FALSE(prefs->LookupGetBool("Ampel-BeimStartOffen", 0, true));
  prefs->LookupSetBool("Ampel-BeimStartOffen", true, 0);
  Message(mcPreferencesChanging, 1);
  ASSERT_TRUE(lamp.WindowOpen());
  EXPECT_EQ(lamp.Window()->Placement(), "5 6 300 200");
  // Closed by the exit: open at the next start.
  CFensterManager::SetNowExit(true);
  lamp.CloseWindow();
  CFensterManager::SetNowExit(false);
  EXPECT_TRUE(prefs->LookupGetBool("Ampel-BeimStartOffen", 0, false));
}
