#include "windows/ValueInspector.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame/EvStoreServer.h"
#include "host/CommandDispatcher.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"
#include "windows/ValueInspectorParamText.h"

namespace {

const CMeasuringUnit kDb(CMeasuringUnit::cuMetrePerSecond2, 0, 1.0f, CMeasuringUnit::flagLog);
const QClavis kLevel(1, 1, 1, 1, 10, 0);
const QClavis kLevelNotStored(1, 1, 1, 2, 10, 0);
const QClavis kUnparametrized(1, 1, 1, 1, 11, 0);
const QClavis kTrack(1, 2001, 1, 1, 30, 0);        // trigger with two dimensions
const QClavis kTrackOneDim(1, 2001, 1, 1, 31, 0);  // trigger with one dimension
const QClavis kTrackThreeDims(1, 2001, 1, 1, 32, 0);
const QClavis kSpectrum(1, 2500, 1, 1, 20, 0);
const QClavis kSpectrogram(1, 2100, 1, 1, 40, 0);

constexpr const char kSeparator[] = "\r\n\r\n--------------------------------------------\r\n";

// The text up to the parameter texts: what the store holds for the key.
std::string StoreText(const std::string& text) {
  return text.substr(0, text.find(kSeparator));
}

class ValueInspectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestPlan::Builder plan("inspector");
    plan.Mode(1, "Run-up")
        .Instrument(1, "Level", 1)
        .Instrument(2001, "Track", 2)
        .Instrument(2500, "Spectrum", 3)
        .Instrument(2100, "Spectrogram", 5)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Location(2, "Output")
        .Signal(1, "Speed", CMeasuringUnit(CMeasuringUnit::cuRpm))
        .Trigger(1, "Speed")
        .Trigger(2, "Time")
        .TriggerAxis(1, 1, 1, 1, 800, 10, 321, true)
        .TriggerAxis(1, 1, 2, 1, 0, 1, 10, false)
        .TriggerAxis(1, 2, 1, 1, 0, 1, 100, true)
        .Trigger(3, "Torque")
        .TriggerAxis(1, 3, 1, 1, 0, 1, 100, true)
        .TriggerAxis(1, 3, 2, 1, 0, 1, 100, false)
        .TriggerAxis(1, 3, 3, 1, 0, 1, 100, false)
        .Parameter(10, 1, "RMS")
        .Parameter(11, 1, "Peak")
        .Parameter(30, 2001, "Order 23", QVInstrumentParam::eval_upper, 1)
        .Parameter(31, 2001, "Order 46", QVInstrumentParam::eval_upper, 2)
        .Parameter(32, 2001, "Order 69", QVInstrumentParam::eval_upper, 3)
        .Parameter(20, 2500, "Spectrum")
        .Parameter(40, 2100, "Spectrogram", QVInstrumentParam::eval_upper, 1)
        .Quantity(kLevel, -1, 1.0f, 3.0f, 5.0f)
        .Quantity(kLevelNotStored, -1)
        .Quantity(kTrack, -1)
        .Quantity(kTrackOneDim, -1)
        .Quantity(kTrackThreeDims, -1)
        .Quantity(kSpectrum, -1)
        .Quantity(kSpectrogram, -1)
        .SValueLimit(kLevel, 0, 120);
    plan.Set().ipParamAndStore[kLevelNotStored].store = false;
    plan.Set().ipCalcParameter[QIdx2(10, 5)] = QVIpCalcParameter{"2000", ""};
    plan.Set().ipCalcParameter[QIdx2(10, 8)] = QVIpCalcParameter{"30", ""};
    plan.Set().ipCalcParameter[QIdx2(10, 29)] = QVIpCalcParameter{"-1", "Operand B"};
    ASSERT_TRUE(plan.Install());
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &store);
    CSeaBase::ApplicationSea()->Clear();
    ASSERT_TRUE(inspector.Create("Inspector", nullptr));
    inspector.PostCreate();
  }
  void TearDown() override {
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CSeaBase::ApplicationSea()->Clear();
    ParamDatabase::Reset();
  }

  std::string Inspect(const QClavis& key) {
    inspector.DovetarCtrl().Choose(CClavis(key));
    return StoreText(inspector.Text());
  }

  // The same key again, after the store changed.
  std::string Reinspect() {
    inspector.Rebuild();
    return StoreText(inspector.Text());
  }

  void InsertTrackPoint(const QClavis& key, long long cell, float value) {
    store.TrackScalarStore().InsertValue(key, cell, value, kDb, 22, SignalBase::expire_measurement,
                                         1);
  }

  KelSigCurve Curve(uint32_t size, float delta) {
    std::vector<float> samples(size);
    for (uint32_t i = 0; i < size; ++i) samples[i] = static_cast<float>(i + 1);
    return KelSigCurve(samples.data(),
                       CDescription(size, delta, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb));
  }

  CObject owner;
  CKelValueStore store;
  CKelValueInspector inspector;
};

TEST_F(ValueInspectorTest, ParametrizationSetsTextAndStatus) {
  EXPECT_EQ(Inspect(kUnparametrized),
            "Measured value is not parametrized.\r\nSingle value not measured.");
  EXPECT_EQ(inspector.Status(), 0);
  EXPECT_EQ(inspector.BackgroundColour(), 0xF0F0F0u);
  EXPECT_EQ(Inspect(kLevelNotStored),
            "Measured value is parametrized but NOT STORED IN ARCHIVE.\r\nSingle value not "
            "measured.");
  EXPECT_EQ(inspector.Status(), 3);
  EXPECT_EQ(inspector.BackgroundColour(), 0x64FFFFu);  // (255,255,100)
  EXPECT_EQ(Inspect(kLevel), "Measured value is parametrized.\r\nSingle value not measured.");
  EXPECT_EQ(inspector.Status(), 3);
  EXPECT_EQ(inspector.ResultType(), 1);
}

TEST_F(ValueInspectorTest, SingleValueShowsEveryFieldAndTheLearnedMean) {
  KelStoreSValue value;
  value.value = 1.5f;
  value.position = 2.25f;
  value.evalMode = QVInstrumentParam::eval_upper;
  value.limit = 3.0f;
  value.mean = 1.25f;
  store.InsertSValue(kLevel, value, kDb, 1);
  EXPECT_EQ(Inspect(kLevel),
            "Measured value is parametrized.\r\nSingle value found\r\n  value = 1.500;\r\n  "
            "position = 2.250;\r\n  evalMode = 2.000;\r\n  aux = 0.000;\r\n  limit = 3.000;\r\n  "
            "<LAvg> = 1.250");
}

TEST_F(ValueInspectorTest, TrackTextsStatusAndPolygons) {
  EXPECT_EQ(Inspect(kTrack), "Measured value is parametrized.\r\nTrack not measured.");
  EXPECT_EQ(inspector.Status(), 1);
  EXPECT_EQ(inspector.ResultType(), 2);

  store.TrackScalarStore().TrackToFill(kTrackOneDim, 22, SignalBase::expire_measurement, 1);
  EXPECT_EQ(Inspect(kTrackOneDim), "Measured value is parametrized.\r\nTrack has no points.");

  InsertTrackPoint(kTrackOneDim, 0, 1.0f);
  InsertTrackPoint(kTrackOneDim, 10, 4.0f);
  InsertTrackPoint(kTrackOneDim, 20, 2.0f);
  EXPECT_EQ(Reinspect(),
            "Measured value is parametrized.\r\nTrack with 3 points in 1 dimension(s).");
  EXPECT_EQ(inspector.Status(), 4);  // no point carries a limit
  const CnScopeBalloon& scope = inspector.Scope();
  EXPECT_TRUE(scope.Shown(CnScopeBalloon::itemTrack));
  EXPECT_FALSE(scope.Shown(CnScopeBalloon::itemTrackSecond));
  ASSERT_EQ(scope.Track().NPoints(), 3);
  EXPECT_TRUE(scope.Scaling().valid);
  EXPECT_DOUBLE_EQ(scope.Scaling().xMin, 0.0);
  EXPECT_DOUBLE_EQ(scope.Scaling().xMax, 20.0);
  EXPECT_DOUBLE_EQ(scope.Scaling().yMin, 1.0);
  EXPECT_DOUBLE_EQ(scope.Scaling().yMax, 4.0);

  InsertTrackPoint(kTrack, 5, 1.0f);
  InsertTrackPoint(kTrack, 6, 1.0f);
  EXPECT_EQ(Inspect(kTrack),
            "Measured value is parametrized.\r\nTrack with 2 points in 2 "
            "dimension(s).");
  EXPECT_TRUE(inspector.Scope().Shown(CnScopeBalloon::itemTrackSecond));
  EXPECT_EQ(inspector.Status(), 4);
}

TEST_F(ValueInspectorTest, TrackOfMoreThanTwoDimensionsIsShownAsGrid) {
  InsertTrackPoint(kTrackThreeDims, 1, 2.0f);
  InsertTrackPoint(kTrackThreeDims, 2, -1.0f);
  EXPECT_EQ(Inspect(kTrackThreeDims),
            "Measured value is parametrized.\r\nTrack with 2 points in 3 dimension(s).");
  const CnScopeBalloon& scope = inspector.Scope();
  EXPECT_TRUE(scope.Shown(CnScopeBalloon::itemGrid));
  EXPECT_FALSE(scope.Shown(CnScopeBalloon::itemTrack));
  EXPECT_EQ(scope.Grid().columns, 2u);
  EXPECT_EQ(scope.Grid().rows, 1u);
  EXPECT_DOUBLE_EQ(scope.Scaling().yMin, -1.0);
  EXPECT_DOUBLE_EQ(scope.Scaling().yMax, 2.0);
}

TEST_F(ValueInspectorTest, TrackWithLimitShowsStatusTwo) {
  InsertTrackPoint(kTrack, 5, 1.0f);
  KelStoreTrackPoint& limited = store.TrackScalarStore().InsertValue(
      kTrack, 6, 2.0f, kDb, 22, SignalBase::expire_measurement, 1);
  limited.evalMode = QVInstrumentParam::eval_upper;
  limited.upperLimit = 3.0f;
  Inspect(kTrack);
  EXPECT_EQ(inspector.Status(), 2);
  EXPECT_EQ(inspector.BackgroundColour(), 0x82FF82u);  // (130,255,130)
}

TEST_F(ValueInspectorTest, CurveTextsWithAndWithoutLimit) {
  EXPECT_EQ(Inspect(kSpectrum), "Measured value is parametrized.\r\nNo measured data available");
  EXPECT_EQ(inspector.Status(), 1);
  EXPECT_EQ(inspector.ResultType(), 3);

  KelSigLimitCurve& stored = store.InsertSigCurve(kSpectrum, Curve(4, 0.5f), 1);
  EXPECT_EQ(Reinspect(),
            "Measured value is parametrized.\r\nMeasured data found\r\nDLen 4, x-max  2.00\r\nNo "
            "limit curve");
  EXPECT_TRUE(inspector.Scope().Shown(CnScopeBalloon::itemCurve));
  EXPECT_FALSE(inspector.Scope().Shown(CnScopeBalloon::itemLimit));
  EXPECT_DOUBLE_EQ(inspector.Scope().Scaling().xMax, 1.5);
  EXPECT_DOUBLE_EQ(inspector.Scope().Scaling().yMax, 4.0);

  stored.LimitState(QVInstrumentParam::eval_upper);
  EXPECT_EQ(Reinspect(),
            "Measured value is parametrized.\r\nMeasured data found\r\nDLen 4, x-max  2.00\r\n"
            "Limit curve available.");
  EXPECT_TRUE(inspector.Scope().Shown(CnScopeBalloon::itemLimit));
}

TEST_F(ValueInspectorTest, EmptyAndTwoDimensionalCurves) {
  store.InsertSigCurve(kSpectrum, KelSigCurve(), 1);
  EXPECT_EQ(Inspect(kSpectrum),
            "Measured value is parametrized.\r\nMeasured data found\r\nDLen 0, x-max  0.00\r\nNo "
            "curve data!");
  EXPECT_FALSE(inspector.Scope().Shown(CnScopeBalloon::itemCurve));

  CDescription grid(4, 0.5f, CMeasuringUnit(CMeasuringUnit::cuOrder), kDb);
  grid.SetXDims(2);
  grid.X(1).size = 3;
  grid.X(1).delta = 2.0f;
  std::vector<float> samples(12, 1.0f);
  store.InsertSigCurve(kSpectrum, KelSigCurve(samples.data(), grid), 1);
  EXPECT_EQ(Reinspect(),
            "Measured value is parametrized.\r\nMeasured data found\r\nDLen 4 x 3, x-max  2.00 x  "
            "6.00\r\nNo limit curve");
}

TEST_F(ValueInspectorTest, SpectrogramCounts) {
  EXPECT_EQ(Inspect(kSpectrogram), "Measured value is parametrized.\r\nSpectrogram not measured.");
  EXPECT_EQ(inspector.ResultType(), 5);
  CKelTrackCurveStore& spectrograms = store.TrackCurveStore();
  spectrograms
      .ValueMap()[QIdx1(static_cast<int32_t>(spectrograms.GenerateKeyOfDovetar(kSpectrogram)))];
  EXPECT_EQ(Reinspect(),
            "Measured value is parametrized.\r\nSpectrogram is empty (has no spectra).");
  spectrograms.InsertValue(kSpectrogram, 0, Curve(4, 0.5f), 1);
  spectrograms.InsertValue(kSpectrogram, 1, Curve(4, 0.5f), 1);
  EXPECT_EQ(Reinspect(), "Measured value is parametrized.\r\nSpectrogram with 2 spectra.");
  EXPECT_TRUE(inspector.Scope().Shown(CnScopeBalloon::itemSpectrogram));
  EXPECT_EQ(inspector.Scope().Spectrogram().curves.size(), 2u);
}

TEST_F(ValueInspectorTest, WithoutValueStoreOnlyParametrizationAndParameters) {
  CEvStoreServer<CKelValueStore>::Object().Release(-1);
  PrWin::CaptureSink capture;
  EXPECT_EQ(Inspect(kLevel), "Measured value is parametrized.");
  EXPECT_NE(capture.Text().find("CKelValueInspector::Rebuild(): no value store to inspect\n"),
            std::string::npos);
}

// Keys ------------------------------------------------------------------------------------

QClavis NthKey(int n) {
  return QClavis(1, 1, 1, 1, 10, n);
}

TEST_F(ValueInspectorTest, RecentKeysKeepTheSevenBeforeTheCurrentOne) {
  for (int n = 1; n <= 9; ++n) Inspect(NthKey(n));
  EXPECT_EQ(inspector.CurrentKey().ToQClavis(), NthKey(9));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(inspector.RecentKeys()[i].ToQClavis(), NthKey(8 - i)) << i;

  // A key picked again leaves the recent keys and the old current key comes first.
  Inspect(NthKey(5));
  const std::vector<int> expected = {9, 8, 7, 6, 4, 3, 2};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(inspector.RecentKeys()[i].ToQClavis(), NthKey(expected[i])) << i;
}

TEST_F(ValueInspectorTest, KeysRoundTripThroughTheSettings) {
  for (int n = 1; n <= 9; ++n) Inspect(NthKey(n));
  CSeaBase& sea = *CSeaBase::ApplicationSea();
  EXPECT_EQ(sea.LookupGetInt("Inspector-Dovetar", 5, 0), 9);
  EXPECT_EQ(sea.LookupGetInt("Inspector-Dovetar", 4, 0), 10);
  EXPECT_EQ(sea.LookupGetInt("Inspector-Letzte-1", 5, 0), 8);
  EXPECT_EQ(sea.LookupGetInt("Inspector-Letzte-7", 5, 0), 2);
  EXPECT_FALSE(sea.HasEntry("Inspector-Letzte-8"));

  CKelValueInspector restored;
  ASSERT_TRUE(restored.Create("Inspector", nullptr));
  restored.PostCreate();
  EXPECT_EQ(restored.CurrentKey().ToQClavis(), NthKey(9));
  EXPECT_EQ(restored.DovetarCtrl().Key().ToQClavis(), NthKey(9));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(restored.RecentKeys()[i].ToQClavis(), NthKey(8 - i)) << i;
  EXPECT_EQ(restored.Text(), inspector.Text());  // restored and shown at once
}

TEST(ClavisTest, SeaLookupReadsMissingFieldsAsMinusOne) {
  CSeaBase sea("test");
  CClavis key;
  EXPECT_FALSE(key.SeaLookup(sea, "X-Dovetar", false));
  EXPECT_EQ(key.ToQClavis(), QClavis());
  sea.LookupSetInt("X-Dovetar", 7, 1);
  EXPECT_TRUE(key.SeaLookup(sea, "X-Dovetar", false));
  EXPECT_EQ(key.ToQClavis(), QClavis(-1, 7, -1, -1, -1, -1));
}

// Creation and messages --------------------------------------------------------------------

TEST(ValueInspectorCreation, ScopeTitleBitmapAndRecordNames) {
  CKelValueInspector inspector;
  EXPECT_EQ(inspector.Scope().Title(), "Inspector K Scope");
  ASSERT_TRUE(inspector.Create("Prüfer", nullptr));
  inspector.PostCreate();
  EXPECT_EQ(inspector.Scope().Title(), "Prüfer's Scope");
  EXPECT_EQ(inspector.BitmapId(), 93);
  EXPECT_EQ(inspector.DialogResource(), 10003);
  EXPECT_EQ(inspector.Scope().ItemName(CnScopeBalloon::itemCurve), "Value");
  EXPECT_EQ(inspector.Scope().ItemName(CnScopeBalloon::itemLimit), "Limit");
  EXPECT_EQ(inspector.ClientNames(), (std::vector<std::string>{"Prüfer", "HalloInspektorK"}));
  EXPECT_EQ(inspector.ResultType(), -1);
}

TEST_F(ValueInspectorTest, DispatcherMessagesWithAKeyShowIt) {
  const SClavis fields{1, 2500, 1, 1, 20, 0};
  EXPECT_EQ(CModule::CommandDispatcher().ProcessCommand("HalloInspektorK", 0, &fields), 1);
  EXPECT_EQ(inspector.CurrentKey().ToQClavis(), kSpectrum);
  EXPECT_EQ(inspector.ResultType(), 3);
  const SClavis level{1, 1, 1, 1, 10, 0};
  EXPECT_EQ(CModule::CommandDispatcher().ProcessCommand("Inspector", 0, &level), 1);
  EXPECT_EQ(inspector.CurrentKey().ToQClavis(), kLevel);
  EXPECT_EQ(inspector.RecentKeys()[0].ToQClavis(), kSpectrum);
}

TEST_F(ValueInspectorTest, KeyChangeMessageRebuildsForTheControlsKey) {
  inspector.DovetarCtrl().SetKey(CClavis(kSpectrum));
  EXPECT_EQ(inspector.ResultType(), -1);  // setting the control alone tells nobody
  EXPECT_EQ(inspector.SendMessage(0x405), 1);
  EXPECT_EQ(inspector.ResultType(), 3);
  EXPECT_EQ(inspector.SendMessage(0x404), 0);
}

// Parameter texts --------------------------------------------------------------------------

TEST_F(ValueInspectorTest, CalcParamTextNamesReferences) {
  Inspect(kLevel);
  const std::string text = inspector.Text();
  const std::string calc = std::string(kSeparator) +
                           "RMS (10) (IpCalcParams):\r\n    5: 2000\r\n    8: Order 23 (30)\r\n"
                           "    Operand B: (Nil)";
  EXPECT_NE(text.find(calc + kSeparator), std::string::npos) << text;
  EXPECT_EQ(ValueInspectorText::CalcParamText(CDtParamInstance(), kSpectrum),
            std::string(kSeparator) + "Spectrum (20) (IpCalcParams):\r\n(n/a)");
}

TEST_F(ValueInspectorTest, InstrumentParamTextShowsLimitSetupAndRange) {
  EXPECT_EQ(ValueInspectorText::InstrumentParamText(CDtParamInstance(), kLevel),
            std::string(kSeparator) +
                "RMS (10) (InstrumentParam):\r\n    Instrument: Level (1)\r\n    Trigger: "
                "(Nil)\r\n    Evaluation: Upper limit\r\nUpper limit:  mean +  5.0% +  1.00 +  "
                "3.0;\r\n                Min =  0.00, Max = 120.00");
  EXPECT_EQ(ValueInspectorText::InstrumentParamText(CDtParamInstance(), kTrackOneDim),
            std::string(kSeparator) +
                "Order 46 (31) (InstrumentParam):\r\n    Instrument: Track (2001)\r\n    Trigger: "
                "Time (2)\r\n    Evaluation: Upper limit\r\nUpper limit:  mean +  0.0% +  0.00 +  "
                "0.0");
  // Not parametrized: no limit setup.
  EXPECT_EQ(ValueInspectorText::InstrumentParamText(CDtParamInstance(), kUnparametrized),
            std::string(kSeparator) +
                "Peak (11) (InstrumentParam):\r\n    Instrument: Level (1)\r\n    Trigger: "
                "(Nil)\r\n    Evaluation: Upper limit\r\n(n/a)");
}

TEST(ValueInspectorParamText, UnresolvedReferencesInconsistencyAndSilentInstrument) {
  auto set = std::make_shared<CParamSet>();
  set->instruments[QIdx1(1)].name = "Level";
  set->instrumentInfo[1].resultType = 1;
  set->instrumentParam[QIdx1(10)] = QVInstrumentParam{1, QVInstrumentParam::eval_lower, "RMS", 4};
  set->ipCalcParameter[QIdx2(10, 8)] = QVIpCalcParameter{"99", ""};
  set->ipCalcParameter[QIdx2(10, 7)] = QVIpCalcParameter{"55", ""};
  set->ipCalcParameter[QIdx2(10, 9)] = QVIpCalcParameter{"fast", ""};
  const CDtParamDistillery distillery(set);
  const CDtParamInstance params(&distillery);

  EXPECT_EQ(ValueInspectorText::CalcParamText(params, QClavis(1, 1, 1, 1, 10, 0)),
            std::string(kSeparator) +
                "RMS (10) (IpCalcParams):\r\n    7: 55\r\n    8: (unbekannt?) (99)\r\n    9: fast");
  // Parameter 10 stored under instrument 3, which the plan does not know: it delivers nothing.
  EXPECT_EQ(ValueInspectorText::InstrumentParamText(params, QClavis(1, 3, 1, 1, 10, 0)),
            std::string(kSeparator) +
                "RMS (10) (InstrumentParam):\r\n    Instrument: Level (1)\r\n    Trigger: "
                "(unbekannt?) (4)\r\n    Evaluation: Lower limit\r\n(Liefert keine Werte)\r\n(n/a)"
                "\r\n\r\nInkonsistenz im Instrument-Parameter:\r\n'RMS' [10] gehört eigentlich zu "
                "'Level' [1]!");
  EXPECT_EQ(ValueInspectorText::InstrumentParamText(params, QClavis(1, 1, 1, 1, 12, 0)),
            std::string(kSeparator) + "(unbekannt?) (12) (InstrumentParam):\r\n(unbekannt?)");
}

TEST(ValueInspectorParamText, References) {
  EXPECT_EQ(ValueInspectorText::Reference("Level", 1, true), "Level (1)");
  EXPECT_EQ(ValueInspectorText::Reference("Level", -1, true), "(Nil)");
  EXPECT_EQ(ValueInspectorText::Reference("", 5, false), "(unbekannt?) (5)");
}

}  // namespace
