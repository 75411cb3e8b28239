#pragma once
// The fixture of the sequencer tests: a small plan of four modes installed for part type T1 on
// platform P1 (the levels learn with procedure 1: forever, time constant 10; procedure 2 learns
// 5 values with time constant 2), a sequencer created in it, an intake station through which the
// measured levels arrive, its local data folder a fresh temporary folder, and the host clock
// stopped at 2025-12-06 05:46:40 UTC.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "frame/MainStation.h"
#include "host/Candidate.h"
#include "host/Clock.h"
#include "host/MeasuringResult.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "sequencer/KelSequencer.h"

namespace fs = std::filesystem;
using namespace Kelva;

const QClavis kLevel(1, 1, 1, 1, 10, 0);
const QClavis kTrack(1, 2001, 1, 1, 20, 0);
const QClavis kLevel2(2, 1, 1, 1, 10, 0);

class SequencerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = ::testing::TempDir() + "kelva-seq-" + std::to_string(::getpid()) + "/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    CSeaBase::SetDefaultPaths(folder_, folder_);
    CSeaBase::ApplicationSea()->Clear();
    CSeaBase::MessagesSea()->Clear();
    HostClock::UseManual(1000, 1765000000);
    McSetPlatformName("P1");
    InstallPlan("T1");
    Start();
    intake_ = std::make_unique<CMainStation>();
    ASSERT_TRUE(intake_->Create("Intake", nullptr));
    intake_->OnSpecialCreate();
  }
  void TearDown() override {
    intake_.reset();
    sequencer_.reset();
    fs::remove_all(folder_);
    ParamDatabase::Reset();
    McSetPlatformName("");
    HostClock::UseSystem();
  }
  void InstallPlan(const std::string& type) { ASSERT_TRUE(SequencePlan(type).Install()); }
  static TestPlan::Builder SequencePlan(const std::string& type) {
    TestPlan::Builder plan("sequence");
    plan.Mode(1, "Run-up")
        .Mode(2, "Coast-down")
        .Mode(3, "Function", QVModeProps::mfFunction)
        .Mode(4, "Run-up repeat", QVModeProps::mfAcoustic, 1)
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Track", 2)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Speed")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321)
        .Parameter(10, 1, "RMS")
        .Parameter(20, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .ErrorCode(901, "Measurement missing", 90, 10)
        .Quantity(kLevel, -1)
        .Quantity(kTrack, -1)
        .Quantity(kLevel2, -1)
        .LearnProcedure(1, -1, 2, 10.0f)
        .LearnProcedure(2, 5, 0, 2.0f);
    plan.Set().ipLearnParameter[kLevel] = QVIpLearnParameter{1};
    plan.Set().ipLearnParameter[kLevel2] = QVIpLearnParameter{1};
    plan.Set().baseType = type;
    return plan;
  }
  void Start() {
    sequencer_ = std::make_unique<CKelSequencer>();
    ASSERT_TRUE(sequencer_->Create("Sequencer", nullptr));
    sequencer_->PostCreate();
  }
  static void Send(sequencer_events_t event, const event_argument_t& argument = {}) {
    CCommandCenterServer::Message(event, argument);
  }
  // A measured level, sent by a worker thread to the intake station's "FinalInput".
  static void Level(const QClavis& key, float value, uint64_t context = 22,
                    SignalBase::measuring_expire_t expire = SignalBase::expire_measurement) {
    Deliver("FinalInput", Scalar(key, value, context, expire));
  }
  // A point of a scalar track at a cell of the speed axis, sent to "TriggeredInput".
  static void TrackPoint(const QClavis& key, int64_t cell, float value,
                         SignalBase::measuring_expire_t expire = SignalBase::expire_measurement) {
    auto scalar = Scalar(key, value, 22, expire);
    scalar->SetTrigger(1, cell);
    Deliver("TriggeredInput", scalar);
  }
  static std::shared_ptr<CMeasuringResultScalar> Scalar(const QClavis& key, float value,
                                                        uint64_t context,
                                                        SignalBase::measuring_expire_t expire) {
    auto scalar = std::make_shared<CMeasuringResultScalar>();
    scalar->SetClavis(SClavis{key.mode(), key.instrument(), key.channel(), key.location(),
                              key.parameter(), key.sensor()});
    scalar->SetTimeslice(context, expire);
    scalar->value = value;
    return scalar;
  }
  static void Deliver(const std::string& input, std::shared_ptr<CMeasuringResultScalar> scalar) {
    CTrain train;
    train.AddObject(std::move(scalar));
    ASSERT_TRUE(CRailwayStation::DeliverTo("Intake", input, train));
  }
  Kelva::measure_state_t State(int mode) { return sequencer_->ResultShop().GetModeState(mode); }
  std::string HistoryFile(const std::string& name) { return folder_ + "History/" + name + ".dhf"; }

  std::string folder_;
  std::unique_ptr<CKelSequencer> sequencer_;
  std::unique_ptr<CMainStation> intake_;
};
