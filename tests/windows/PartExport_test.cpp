#include "windows/PartExport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/BenchInterface.h"
#include "frame/EvStoreServer.h"
#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);
const QClavis kLevel(1, 1, 1, 1, 10, 0);
const QClavis kSpectrum(1, 2500, 1, 1, 20, 0);
const QClavis kTrack(1, 2001, 1, 1, 30, 0);

constexpr const char kNames[] =
    "\"names\":{\"mode\":\"Run-up\",\"instrument\":\"%s\",\"channel\":\"Acc\",\"location\":"
    "\"Input\",\"parameter\":\"%s\"}";

std::string Names(const char* instrument, const char* parameter) {
  char text[256];
  std::snprintf(text, sizeof(text), kNames, instrument, parameter);
  return text;
}

void Collect(const char* text, void* context) {
  *static_cast<std::string*>(context) += text;
}

class PartExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("export");
    plan.Mode(1, "Run-up")
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Track", 2)
        .Instrument(2500, "Spectrum", 3)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Speed")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321, true)
        .Parameter(10, 1, "RMS")
        .Parameter(20, 2500, "Order spectrum")
        .Parameter(30, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Quantity(kLevel, -1)
        .Quantity(kSpectrum, -1)
        .Quantity(kTrack, -1);
    ASSERT_TRUE(plan.Install());
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &store);
  }
  void TearDown() override {
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    ParamDatabase::Reset();
  }

  CObject owner;
  CKelValueStore store;
};

TEST_F(PartExportTest, EmptyStoreHasNoQuantities) {
  EXPECT_EQ(PartExport::Json(store), "{\"quantities\":[]}\n");
}

TEST_F(PartExportTest, SingleValueWithLimitAndMean) {
  KelStoreSValue value;
  value.value = 61.25f;
  value.position = 2.5f;
  value.evalMode = QVInstrumentParam::eval_upper;
  value.limit = 58.0f;
  value.mean = 52.125f;
  store.InsertSValue(kLevel, value, kDb, 1);
  EXPECT_EQ(PartExport::Json(store),
            "{\"quantities\":[{\"key\":[1,1,1,1,10,0]," + Names("Level", "RMS") +
                ",\"kind\":\"single\",\"unit\":\"dB(m/s²)\",\"value\":61.25,\"position\":2.5,"
                "\"evalMode\":2,\"limit\":58,\"mean\":52.125}]}\n");
}

TEST_F(PartExportTest, SpectrumCarriesItsAxisAndLimitCurveOnlyWhenLimited) {
  const std::vector<float> samples = {1.0f, 2.0f, 0.125f, 4.0f};
  CDescription description(4, 0.5f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  description.X(0).start = 1.0f;
  KelSigLimitCurve& stored =
      store.InsertSigCurve(kSpectrum, KelSigCurve(samples.data(), description), 1);
  const std::string head = "{\"quantities\":[{\"key\":[1,2500,1,1,20,0]," +
                           Names("Spectrum", "Order spectrum") +
                           ",\"kind\":\"spectrum\",\"unit\":\"dB(m/s²)\",\"x0\":1,\"dx\":0.5,"
                           "\"xUnit\":\"ord\",";
  EXPECT_EQ(PartExport::Json(store), head + "\"evalMode\":0,\"samples\":[1,2,0.125,4]}]}\n");

  stored.LimitState(QVInstrumentParam::eval_upper);
  float* limit = stored.LimitData();
  for (int i = 0; i < 4; ++i) limit[i] = 3.0f + static_cast<float>(i) / 3.0f;
  EXPECT_EQ(PartExport::Json(store),
            head + "\"evalMode\":2,\"samples\":[1,2,0.125,4],\"limit\":[3,3.33333,3.66667,4]}]}\n");
}

TEST_F(PartExportTest, TrackPointsLieOnTheTriggerAxisWithTheirLimits) {
  CKelTrackScalarStore& tracks = store.TrackScalarStore();
  tracks.InsertValue(kTrack, 7, 40.5f, kDb, 22, SignalBase::expire_measurement, 1);
  KelStoreTrackPoint& limited =
      tracks.InsertValue(kTrack, 5, 44.0f, kDb, 22, SignalBase::expire_measurement, 1);
  limited.evalMode = QVInstrumentParam::eval_interval;
  limited.upperLimit = 43.0f;
  limited.lowerLimit = 30.0f;
  limited.mean = 36.5f;
  EXPECT_EQ(PartExport::Json(store),
            "{\"quantities\":[{\"key\":[1,2001,1,1,30,0]," + Names("Track", "Order 23") +
                ",\"kind\":\"track\",\"unit\":\"dB(m/s²)\",\"xUnit\":\"rpm\",\"points\":"
                "[[850,44,3,43,30,36.5],[870,40.5,0,0,0,0]]}]}\n");
}

TEST_F(PartExportTest, KindsComeInOrderAndNonFiniteNumbersAreNull) {
  KelStoreSValue value;
  value.value = std::nanf("");
  value.limit = INFINITY;
  store.InsertSValue(kLevel, value, kDb, 1);
  store.TrackScalarStore().InsertValue(kTrack, 0, 1.0f, kDb, 22, SignalBase::expire_measurement, 1);
  const std::vector<float> samples = {1.0f};
  store.InsertSigCurve(kSpectrum, KelSigCurve(samples.data(), CDescription(1, 1.0f, {}, kDb)), 1);
  const std::string json = PartExport::Json(store);
  EXPECT_NE(json.find("\"value\":null,\"position\":0,\"evalMode\":0,\"limit\":null"),
            std::string::npos)
      << json;
  const size_t single = json.find("\"kind\":\"single\"");
  const size_t spectrum = json.find("\"kind\":\"spectrum\"");
  const size_t track = json.find("\"kind\":\"track\"");
  EXPECT_LT(single, spectrum);
  EXPECT_LT(spectrum, track);
  EXPECT_NE(track, std::string::npos);
}

TEST_F(PartExportTest, EntryPointHandsTheWholeTextToTheSinkOrSaysWhy) {
  store.TrackScalarStore().InsertValue(kTrack, 0, 1.0f, kDb, 22, SignalBase::expire_measurement, 1);
  std::string text;
  EXPECT_TRUE(KelvaDescribePart(Collect, &text));
  EXPECT_EQ(text, PartExport::Json(store));
  EXPECT_FALSE(KelvaDescribePart(nullptr, nullptr));

  CEvStoreServer<CKelValueStore>::Object().Release(-1);
  text.clear();
  EXPECT_FALSE(KelvaDescribePart(Collect, &text));
  EXPECT_EQ(text, "no value store holds a part");
}

}  // namespace
