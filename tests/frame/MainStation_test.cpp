#include "frame/MainStation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "frame/EvStoreServer.h"
#include "host/Output.h"
#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);

SClavis Key(int mode, int instrument, int parameter) {
  return SClavis{mode, instrument, 1, 1, parameter, 0};
}

std::shared_ptr<CMeasuringResultScalar> Scalar(const SClavis& key, float value, int trigger = -1,
                                               int64_t cell = 0) {
  auto scalar = std::make_shared<CMeasuringResultScalar>();
  scalar->SetClavis(key);
  scalar->SetTrigger(trigger, cell);
  scalar->value = value;
  scalar->unit = kDb;
  return scalar;
}

std::shared_ptr<CSignalieee32> Signal(const SClavis& key, uint32_t yDims = 1, int trigger = -1) {
  CDescription description(4, 0.5f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  description.SetYDims(yDims);
  auto signal = std::make_shared<CSignalieee32>(description, std::vector<float>{1, 2, 3, 4});
  signal->SetClavis(key);
  signal->SetTrigger(trigger, 7);
  return signal;
}

class MainStationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("intake");
    plan.Mode(1, "Run-up")
        .Instrument(1, "Level", 1)
        .Instrument(2500, "Spectrum", 3)
        .Instrument(2001, "Track", 2)
        .Instrument(2100, "Spectrogram", 5)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Speed")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321, true, 5)
        .TriggerAxis(1, 1, 2, 1, 0, 1, 10, false, 9)
        .Parameter(10, 1, "RMS")
        .Parameter(11, 1, "Tracked RMS", QVInstrumentParam::eval_upper, 1)
        .Parameter(20, 2500, "Spectrum")
        .Parameter(30, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(40, 2100, "Spectrogram", QVInstrumentParam::eval_upper, 1);
    ASSERT_TRUE(plan.Install());
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &store);
    CModuleOutputWire::Find("TrackDovetarOutput") != nullptr
        ? CModuleOutputWire::Find("TrackDovetarOutput")->ClearListeners()
        : void();
    ASSERT_TRUE(station.Create("MainStation", nullptr));
    station.OnSpecialCreate();
    CModuleOutputWire::Find("TrackDovetarOutput")->Listen([this](const CSimpleDataPacket& packet) {
      packets.push_back(packet.Values());
    });
  }
  void TearDown() override {
    CModuleOutputWire::Find("TrackDovetarOutput")->ClearListeners();
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    ParamDatabase::Reset();
  }

  CObject owner;
  CKelValueStore store;
  CMainStation station;
  std::vector<std::vector<int64_t>> packets;
};

}  // namespace

TEST_F(MainStationTest, FinalValuesAreInsertedAndReported) {
  EXPECT_EQ(station.InfoText(),
            "MainStation receives measured values from the worker threads and sorts them into the "
            "internal result tables.");
  CTrain train;
  train.AddObject(Signal(Key(-1, 2500, 20)));
  train.AddObject(Scalar(Key(-1, 1, 10), 91.5f));
  train.AddObject(Signal(Key(1, 2500, 20), 2));  // two y dimensions: not a curve
  PrWin::CaptureSink capture;
  ASSERT_TRUE(CRailwayStation::DeliverTo("MainStation", "FinalInput", train));
  EXPECT_EQ(capture.Text(),
            "MainStation::work_final() received Mode-Nil-result: * / Spectrum / Acc / Input / "
            "Spectrum / #0\n"
            "MainStation::work_final() received Mode-Nil-result: * / Level / Acc / Input / RMS / "
            "#0\n"
            "MainStation: signal Run-up / Spectrum / Acc / Input / Spectrum / #0 has 2 y "
            "dimensions; only signals with one are stored\n");
  EXPECT_EQ(store.SigCurveLimitMap().count(QClavis(-1, 2500, 1, 1, 20, 0)), 1u);
  EXPECT_EQ(store.SigCurveLimitMap().size(), 1u);
  const KelStoreSValue& value = store.SingleValueMap().at(QClavis(-1, 1, 1, 1, 10, 0));
  EXPECT_EQ(value.value, 91.5f);
  EXPECT_EQ(store.GetMeasuringUnit(QClavis(-1, 1, 1, 1, 10, 0)), kDb);
  EXPECT_EQ(store.FinalScalarStore().ToValidateMap().size(), 1u);

  // Non-finite values are reported and still stored; debug lines on request.
  capture.Clear();
  EXPECT_TRUE(station.OnContextMenu(CMainStation::menuDebugFinal));
  CTrain odd;
  odd.AddObject(Scalar(Key(1, 1, 10), NAN));
  station.work_final(odd);
  EXPECT_EQ(capture.Lines()[0].text,
            "MainStation: non-finite value nan for Run-up / Level / Acc / Input / RMS / #0\n");
  EXPECT_EQ(capture.Lines()[1].text,
            "MainStation::work_final() received Run-up / Level / Acc / Input / RMS / #0 [val:   "
            "nan]\n");
  EXPECT_TRUE(std::isnan(store.SingleValueMap().at(QClavis(1, 1, 1, 1, 10, 0)).value));
  EXPECT_FALSE(station.OnContextMenu(9));
}

TEST_F(MainStationTest, ScalarTargetsAndMarshalledWagonsAreStoredAsTheirContent) {
  auto target = std::make_shared<CMeasuringResultScalarTarget>();
  target->scalar = *Scalar(Key(1, 1, 10), 77.25f);
  target->target = 80.0f;
  CMeasuringResultScalarTarget marshalledTarget;
  marshalledTarget.scalar = *Scalar(Key(1, 1, 11), 12.5f);
  CTrain train;
  train.AddObject(target);
  train.AddMarshalledOf(marshalledTarget);
  train.AddMarshalledOf(*Signal(Key(1, 2500, 20)));
  train.AddMarshalledOf(*Scalar(Key(1, 2001, 30), 55.0f, 1, 3));
  station.work_final(train);
  EXPECT_EQ(store.SingleValueMap().at(QClavis(1, 1, 1, 1, 10, 0)).value, 77.25f);
  EXPECT_EQ(store.SingleValueMap().at(QClavis(1, 1, 1, 1, 11, 0)).value, 12.5f);
  const auto curve = store.SigCurveLimitMap().find(QClavis(1, 2500, 1, 1, 20, 0));
  ASSERT_NE(curve, store.SigCurveLimitMap().end());
  EXPECT_EQ(std::vector<float>(curve->second.CurveData(),
                               curve->second.CurveData() + curve->second.size()),
            (std::vector<float>{1, 2, 3, 4}));
  // The final input stores triggered scalars as single values too, under their own key.
  EXPECT_EQ(store.SingleValueMap().at(QClavis(1, 2001, 1, 1, 30, 0)).value, 55.0f);

  CTrain triggered;
  auto trackTarget = std::make_shared<CMeasuringResultScalarTarget>();
  trackTarget->scalar = *Scalar(Key(1, 2001, 30), 81.0f, 1, 9);
  triggered.AddObject(trackTarget);
  station.work_triggered(triggered);
  const auto* track = store.TrackScalarStore().FindTrack(QClavis(1, 2001, 1, 1, 30, 0));
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->points.at(9).value, 81.0f);
}

TEST_F(MainStationTest, SetPoints) {
  auto none = Scalar(Key(1, 1, 10), 1.0f);
  auto one = Scalar(Key(1, 1, 11), 1.0f);
  one->set_point().Set(3, 77, 1500.0f);
  auto several = Scalar(Key(1, 1, 11), 1.0f);
  several->set_point().Set(0, 9, 12.0f);
  several->set_point().Set(4, 5, 2500.0f);       // set point 5 belongs to the tracked axis
  auto unmatched = Scalar(Key(1, 1, 10), 1.0f);  // parameter 10 has no trigger
  unmatched->set_point().Set(0, 9, 12.0f);
  unmatched->set_point().Set(1, 5, 2500.0f);
  float positions[4];
  int i = 0;
  for (const auto& result : {none, one, several, unmatched}) {
    CTrain train;
    train.AddObject(result);
    station.work_final(train);
    positions[i++] = store.SingleValueMap()
                         .at(QClavis(result->clavis().mode, 1, 1, 1, result->clavis().parameter, 0))
                         .position;
  }
  EXPECT_EQ(positions[0], 0.0f);
  EXPECT_EQ(positions[1], 1500.0f);
  EXPECT_EQ(positions[2], 2500.0f);
  EXPECT_EQ(positions[3], 0.0f);
}

TEST_F(MainStationTest, TriggeredValuesAndTrackInfo) {
  CTrain train;
  train.AddObject(Scalar(Key(1, 2001, 30), 80.0f, -1));  // no trigger: dropped silently
  const int64_t cell = 0x0001000200030004;
  train.AddObject(Scalar(Key(1, 2001, 30), 81.0f, 1, cell));
  train.AddObject(Signal(Key(1, 2100, 40), 1, 1));
  PrWin::CaptureSink capture;
  station.work_triggered(train);
  EXPECT_EQ(capture.Text(), "");
  const auto* track = store.TrackScalarStore().FindTrack(QClavis(1, 2001, 1, 1, 30, 0));
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->points.size(), 1u);
  EXPECT_EQ(track->points.at(cell).value, 81.0f);
  EXPECT_TRUE(store.TrackScalarStore().ToValidateMap().empty());  // tag 0: promoted later
  EXPECT_EQ(store.TrackCurveStore().GetTrackLength(QClavis(1, 2100, 1, 1, 40, 0)), 1);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0],
            (std::vector<int64_t>{1, 2001, 1, 1, 30, 0, 0x00030004, 0x0003, 0x0002, 0x0001}));
  EXPECT_EQ(packets[1], (std::vector<int64_t>{1, 2100, 1, 1, 40, 0, 7, 0, 0, 0}));
}

TEST_F(MainStationTest, SynchronisationWithoutStoreAndDamagedWagons) {
  CEvStoreServer<CKelValueStore>::Object().Release(&owner);
  CModeMachine::ModeMachine().Reset();
  CCandidateMachine::CandidateMachine().Reset();
  CModeMachine::ModeMachine().SetState(3);
  for (const char* input : {"FinalInput", "TriggeredInput"}) {
    CTrain train;
    train.AddObject(Scalar(Key(1, 1, 10), 1.0f, 1, 5));
    train.AddObject(std::make_shared<CThreadSynch::Key>(CThreadSynch::CurrentKey(0)));
    packets.clear();
    ASSERT_TRUE(station.Deliver(input, train));
    ASSERT_EQ(packets.size(), 1u) << input;
    EXPECT_EQ(packets[0], (std::vector<int64_t>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
  EXPECT_TRUE(store.empty());

  // A marshalled scalar whose data is cut short is no scalar; nothing happens.
  CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &store);
  std::vector<uint8_t> bytes;
  Scalar(Key(1, 1, 10), 1.0f)->Marshal(bytes);
  CTrain damaged;
  damaged.AddMarshalled(CMeasuringResultScalar::kWagonId, bytes.data(),
                        static_cast<uint32_t>(bytes.size() - 3));
  damaged.AddMarshalled(MarshalingYard::FourCC('Z', 'Z', 'Z', 'Z'), bytes.data(), 4);
  station.work_final(damaged);
  EXPECT_TRUE(store.empty());
  CTrain whole;
  whole.AddMarshalled(CMeasuringResultScalar::kWagonId, bytes.data(),
                      static_cast<uint32_t>(bytes.size()));
  station.work_final(whole);
  EXPECT_EQ(store.SingleValueMap().size(), 1u);
  CModeMachine::ModeMachine().Reset();
}

TEST(MainStationThread, MustLiveInTheMainThread) {
  CThreadHead::FindMyThreadHead(nullptr);  // this thread is the main one
  PrWin::CaptureSink capture;
  std::thread([] {
    CMainStation station;
    station.Create("WorkerStation", nullptr);
    station.OnSpecialCreate();
  }).join();
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].text,
            "CMainStation WorkerStation has to be in main thread context\n");
  EXPECT_EQ(capture.Lines()[0].category, 1);
  EXPECT_EQ(capture.Lines()[0].style, 4);
}
