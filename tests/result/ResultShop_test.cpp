#include "result/ResultShop.h"

#include <gtest/gtest.h>

#include "frame/EvStoreServer.h"
#include "host/Candidate.h"
#include "host/Clock.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "store/KelValueStore.h"

using namespace NorviDefs;

namespace {

class ResultShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InstallPlan());
    CSeaBase::ApplicationSea()->Clear();
    CSeaBase::MessagesSea()->Clear();
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &values);
    shop.OnInsertCandidate();
  }
  static bool InstallPlan() {
    TestPlan::Builder plan("results");
    plan.Mode(1, "Run-up")
        .Mode(2, "Coast-down")
        .Mode(3, "Function check", QVModeProps::mfFunction)
        .Mode(4, "Run-up repeat", QVModeProps::mfAcoustic, 1)
        .Instrument(1, "Level", 1)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Location(2, "Output")
        .Parameter(10, 1, "RMS")
        .ErrorCode(100, "Speed signal missing", 90, 10, 1)
        .ErrorCode(200, "Level too high", 50, 1, 2)
        .ErrorCode(201, "Peak too high", 40, 1, 2)
        .ErrorCode(300, "Oil too hot", 20, 2, 3)
        .ErrorCode(400, "Not evaluated", 10, 1)
        .ErrorCode(500, "Noted only", 5, 3)
        .Severity(1, result_nok, color_nok, "n.O.K. noise")
        .Severity(3, result_ok, color_ok, "O.K., noted");
    plan.Set().shadowGroupProperty[QIdx1(1)] = QVShadowGroupProperty{1, 0b111};  // shadows 2, 3
    plan.Set().relativeLimit[key(1, 1)] = QVRelativeLimit{5.0f, 1.0f};
    return plan.Install();
  }
  void TearDown() override {
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    ParamDatabase::Reset();
  }
  static QClavis key(int mode, int location, int parameter = 10) {
    return QClavis(mode, 1, 1, location, parameter, 0);
  }
  void Measured(int mode) {
    KelStoreSValue v;
    values.InsertSValue(key(mode, 1), v, CMeasuringUnit(), 1);
    shop.ModeStateMap()[mode] = Kelva::ms_measured;
  }

  CObject owner;
  CKelValueStore values;
  CResultShop shop;
};

std::vector<int> Codes(const std::vector<CResultShop::error_entry_t>& entries) {
  std::vector<int> codes;
  for (const auto& e : entries) codes.push_back(e.error.code);
  return codes;
}

}  // namespace

TEST_F(ResultShopTest, ShadowGroupsRemoveAndSuppress) {
  shop.AddErrorEntry(key(1, 1), 200, 101, 100, 90, 23);
  shop.AddErrorEntry(key(2, 1), 201, 99, 98, 90, 31);
  shop.AddErrorEntry(key(2, 2), 500, 1, 1, 1, 1);  // no group: never shadowed
  EXPECT_EQ(shop.Errors().size(), 3u);

  CSeaBase::MessagesSea()->LookupSetBool("GlobalDebugVerbose", true, 0);
  CResultShop verbose;
  verbose.OnInsertCandidate();
  verbose.AddErrorEntry(key(1, 1), 200, 1, 1, 1, 1);
  PrWin::CaptureSink capture;
  verbose.AddErrorEntry(key(1, 1), 100, 0, 0, 0, 0);
  verbose.AddErrorEntry(key(1, 2), 300, 0, 0, 0, 0);
  EXPECT_EQ(capture.Text(),
            "Extending shadow mask: group-bit 1, group-mask 0X6, complete mask 0X6\n"
            "Error code 200 (group-bit 2) is shadowed out\n"
            "Error code 300 (group-bit 4) was shadowed out\n");

  // The speed signal error (group 1) shadows groups 2 and 3 in every mode's list...
  shop.AddErrorEntry(key(1, 2), 100, 0, 0, 0, 0);
  EXPECT_EQ(Codes([&] {
              std::vector<CResultShop::error_entry_t> out;
              shop.GetErrors(out, CResultShop::es_list, -1);
              return out;
            }()),
            (std::vector<int>{100, 500}));
  // ...and suppresses later ones in the same mode, not in others.
  shop.AddErrorEntry(key(1, 1), 300, 0, 0, 0, 0);
  shop.AddErrorEntry(key(2, 1), 201, 0, 0, 0, 0);
  EXPECT_EQ(shop.Errors().size(), 3u);
  EXPECT_NE(shop.FindErrorEntry(201), nullptr);
  EXPECT_EQ(shop.FindErrorEntry(300), nullptr);
  // Clearing the mode with event -1 lifts its shadow.
  shop.DeleteErrorEntries(1, Kelva::all_events);
  shop.AddErrorEntry(key(1, 1), 300, 0, 0, 0, 0);
  EXPECT_NE(shop.FindErrorEntry(300), nullptr);
  EXPECT_FALSE(shop.HasErrors(4));
  EXPECT_TRUE(shop.HasErrors(2));

  // The export list keeps codes in order of addition, at most 50.
  int codes[8];
  EXPECT_EQ(shop.CopyVelkocontrolErrcodes(codes, 8), 6u);
  EXPECT_EQ(std::vector<int>(codes, codes + 8),
            (std::vector<int>{200, 201, 500, 100, 201, 300, 0, 0}));
  for (int i = 0; i < 60; ++i) shop.AddErrorEntry(key(2, 2), 500, 0, 0, 0, 0);
  EXPECT_EQ(shop.CopyVelkocontrolErrcodes(codes, 8), 50u);
  std::vector<int> modeCodes;
  shop.FehlercodesHolen(modeCodes, 2);
  EXPECT_EQ(modeCodes, (std::vector<int>{201, 500}));
  shop.DismissErrors();
  EXPECT_EQ(shop.CopyVelkocontrolErrcodes(codes, 1), 0u);
  shop.AddErrorEntry(key(1, 1), 200, 0, 0, 0, 0);
  EXPECT_EQ(shop.Errors().begin()->second.sequence, 0);
  CSeaBase::MessagesSea()->Clear();
}

TEST_F(ResultShopTest, KickOutKeepsTheMostImportant) {
  // 60 entries in mode 1 with rising priorities 1..60 (codes 1001..1060), maximum 50, E = 1.
  TestPlan::Builder plan("many");
  plan.Mode(1, "Run-up").Instrument(1, "Level", 1).Channel(1, "Acc").Location(1, "Input");
  for (int i = 1; i <= 60; ++i) plan.ErrorCode(1000 + i, "e", i, 1);
  ASSERT_TRUE(plan.Install());
  shop.OnInsertCandidate();
  for (int i = 60; i >= 1; --i) shop.AddErrorEntry(QClavis(1, 1, 1, 1, i, 0), 1000 + i, 0, 0, 0, 0);
  shop.SetErrorCount(50, 1);
  const uint32_t before = shop.GetLastErrorTime();
  HostClock::UseManual(5000, 0);
  EXPECT_EQ(shop.KickOutErrors(), 10u);
  EXPECT_EQ(shop.GetLastErrorTime(), 5000u);
  EXPECT_NE(before, 5000u);
  std::vector<int> left;
  shop.FehlercodesHolen(left, 1);
  EXPECT_EQ(left.front(), 1011);
  EXPECT_EQ(left.back(), 1060);
  EXPECT_EQ(shop.KickOutErrors(), 0u);
  HostClock::UseSystem();

  // Two modes: the most important entry of each mode always stays.
  shop.DismissErrors();
  for (int i = 1; i <= 10; ++i) shop.AddErrorEntry(QClavis(1, 1, 1, 1, i, 0), 1000 + i, 0, 0, 0, 0);
  shop.AddErrorEntry(QClavis(2, 1, 1, 1, 1, 0), 1001, 0, 0, 0, 0);
  shop.SetErrorCount(2, 1);
  EXPECT_EQ(shop.KickOutErrors(), 9u);
  std::vector<int> mode1, mode2;
  shop.FehlercodesHolen(mode1, 1);
  shop.FehlercodesHolen(mode2, 2);
  EXPECT_EQ(mode1, (std::vector<int>{1010}));
  EXPECT_EQ(mode2, (std::vector<int>{1001}));

  // A maximum below keep-per-mode disables trimming; keep 0 keeps one per mode.
  for (int i = 1; i <= 60; ++i) shop.AddErrorEntry(QClavis(1, 1, 1, 1, i, 0), 1000 + i, 0, 0, 0, 0);
  shop.SetErrorCount(40, 50);
  EXPECT_EQ(shop.KickOutErrors(), 0u);
  shop.SetErrorCount(50, 0);
  EXPECT_EQ(shop.KickOutErrors(), 12u);

  // Equal priorities: the count term decides. Mode 1 holds 3 entries, mode 2 holds 5 (T = 8,
  // E = 1); the scores of mode 1 are 1/7 and 2/7, those of mode 2 1/7, 4/21, 2/7 and 4/7 (each
  // plus 1). With a maximum of 5 the first of mode 1 and the first two of mode 2 go.
  shop.DismissErrors();
  for (int i = 1; i <= 3; ++i) shop.AddErrorEntry(QClavis(1, 1, 1, 1, i, 0), 1001, 0, 0, 0, 0);
  for (int i = 1; i <= 5; ++i) shop.AddErrorEntry(QClavis(2, 1, 1, 1, i, 0), 1001, 0, 0, 0, 0);
  shop.SetErrorCount(5, 1);
  EXPECT_EQ(shop.KickOutErrors(), 3u);
  std::vector<int> parameters;
  for (const auto& [key, error] : shop.Errors())
    parameters.push_back(key.mode() * 10 + key.parameter());
  EXPECT_EQ(parameters, (std::vector<int>{12, 13, 23, 24, 25}));
}

TEST_F(ResultShopTest, GetErrorsOrders) {
  shop.AddErrorEntry(key(2, 1), 300, 0, 0, 0, 0);   // priority 20
  shop.AddErrorEntry(key(1, 2), 500, 0, 0, 0, 0);   // 5
  shop.AddErrorEntry(key(1, 1), 201, 0, 0, 0, 0);   // 40
  shop.AddErrorEntry(key(3, 1), 400, 0, 0, 0, 0);   // 10, function mode
  shop.AddErrorEntry(key(1, 1), 9999, 0, 0, 0, 0);  // not in the table
  shop.AddErrorEntry(key(2, 2), 201, 0, 0, 0, 0);   // 40, later than the other 201
  std::vector<CResultShop::error_entry_t> out;
  EXPECT_FALSE(shop.GetErrors(out, CResultShop::es_list, -1));
  EXPECT_EQ(Codes(out), (std::vector<int>{201, 9999, 500, 300, 201, 400}));
  EXPECT_EQ(out[0].code.text, "Peak too high");
  EXPECT_EQ(out[1].code.text, "");
  EXPECT_FALSE(shop.GetErrors(out, CResultShop::es_priority, -1));
  EXPECT_EQ(Codes(out), (std::vector<int>{201, 201, 300, 400, 500, 9999}));
  EXPECT_EQ(out[0].mode, 1);  // the earlier of the two
  shop.GetErrors(out, CResultShop::es_priority_function_modes_first, -1);
  EXPECT_EQ(Codes(out), (std::vector<int>{400, 201, 201, 300, 500, 9999}));
  shop.FunctionModesFirst(false);
  shop.GetErrors(out, CResultShop::es_priority_function_modes_first, -1);
  EXPECT_EQ(Codes(out), (std::vector<int>{201, 201, 300, 400, 500, 9999}));
  EXPECT_TRUE(shop.GetErrors(out, CResultShop::es_priority, 2));
  EXPECT_EQ(Codes(out), (std::vector<int>{201, 300}));

  PrWin::CaptureSink capture;
  shop.ReportErrors();
  EXPECT_EQ(capture.Lines()[0].text, "\n-- Errors ..\n");
  EXPECT_EQ(capture.Lines()[1].text,
            "201 201 Peak too high 0.000000 0.000000 0.000000 Q: 1 1 1 1 10\n");
  EXPECT_EQ(capture.Lines()[2].text, "Unknown ec: 9999 Q: 1 1 1 1 10\n");
}

TEST_F(ResultShopTest, ResultsFromSeveritiesAndModeStates) {
  // No errors, every mode unused: no result for the part.
  EXPECT_EQ(shop.GetResultForMode(-1), result_none);
  Measured(1);
  result_t r;
  result_color_t c;
  std::string text = "stale";
  EXPECT_EQ(shop.GetResultForMode(1, &r, &c, &text), result_ok);
  EXPECT_EQ(c, color_ok);
  EXPECT_EQ(text, "");
  // A virtual mode reads its base mode's state, but its own stored values: none here.
  EXPECT_EQ(shop.GetModeState(4), Kelva::ms_measured);
  EXPECT_EQ(shop.GetResultForMode(4), result_none);
  shop.ModeStateMap()[2] = Kelva::ms_measured;  // measured, but nothing stored
  EXPECT_EQ(shop.GetResultForMode(2, nullptr, &c), result_none);
  EXPECT_EQ(c, color_none);

  // Inside the relative tolerance (limit 100: up to 106 tolerated): severity 0.
  shop.AddErrorEntry(key(1, 1), 200, 105.5f, 100.0f, 90, 0);
  EXPECT_EQ(shop.GetSeverityForMode(1), 0);
  EXPECT_EQ(shop.GetResultForMode(1), result_ok);
  McRemoveTestPropertyFlags(-1);
  EXPECT_EQ(shop.GetResultForMode(-1), result_ok);
  EXPECT_EQ(McGetTestPropertyFlags() & tpOkWithErrors, tpOkWithErrors);  // O.K. with errors
  shop.AddErrorEntry(key(1, 1), 200, 106.5f, 100.0f, 90, 0);
  EXPECT_EQ(shop.GetResultForMode(1, &r, &c, &text), result_nok);
  EXPECT_EQ(text, "n.O.K. noise");
  EXPECT_EQ(shop.GetResultForMode(-1), result_nok);
  EXPECT_EQ(McGetTestPropertyFlags() & tpOkWithErrors, 0);

  // A code missing from the table: severity 9, not in the severity table: n.O.K., colour 4.
  shop.AddErrorEntry(key(2, 1), 9999, 0, 0, 0, 0);
  int min = -1, max = -1;
  EXPECT_EQ(shop.GetSeveritiesForMode(min, max, 2), 9);
  EXPECT_EQ(min, 9);
  EXPECT_EQ(shop.GetResultForMode(2, nullptr, &c), result_nok);
  EXPECT_EQ(c, color_nok);
  // Severity 3 is listed as O.K.
  shop.AddErrorEntry(key(3, 1), 500, 0, 0, 0, 0);
  EXPECT_EQ(shop.GetResultForMode(3, nullptr, &c, &text), result_ok);
  EXPECT_EQ(text, "O.K., noted");

  // Severity 10 without entry: system error; a result request reads it as n.O.K.
  shop.AddErrorEntry(key(2, 2), 100, 0, 0, 0, 0);
  EXPECT_EQ(shop.GetResultForMode(2, nullptr, &c), result_syserror);
  EXPECT_EQ(c, color_syserror);
  EXPECT_EQ(shop.ResultRequest(2), result_nok);
  shop.SetSysErrorInterpretation(false);
  EXPECT_EQ(shop.ResultRequest(2), result_syserror);

  int severity = 0;
  EXPECT_EQ(shop.GetResultForLocation(2, &severity), result_syserror);
  EXPECT_EQ(severity, 10);
  severity = 0;
  // No entries there: the result of the part's mode states.
  EXPECT_EQ(shop.GetResultForLocation(7, &severity), result_ok);
  EXPECT_EQ(severity, 0);
}

TEST_F(ResultShopTest, NotEvaluatedModesAndRetest) {
  shop.ModeStateMap()[2] = Kelva::ms_applied;  // begun, never measured
  EXPECT_EQ(shop.ResultRequest(2), result_none);
  shop.SetNotEvalInterpretation(Kelva::ne_as_ok);
  EXPECT_EQ(shop.ResultRequest(2), result_ok);
  shop.SetNotEvalInterpretation(Kelva::ne_as_error);
  shop.SetNotEvalErrorCode(400);
  EXPECT_EQ(shop.ResultRequest(2), result_nok);
  ASSERT_EQ(shop.Errors().size(), 1u);
  EXPECT_EQ(shop.Errors().begin()->first, QClavis(2, 0, 0, 0, 0, 0));
  EXPECT_EQ(shop.Errors().begin()->second.code, 400);
  // The error now gives the mode its result: no second one.
  EXPECT_EQ(shop.ResultRequest(2), result_nok);
  EXPECT_EQ(shop.Errors().size(), 1u);
  shop.SetIgnoreNotEval(true);
  EXPECT_EQ(shop.ResultRequest(1), result_ok);
  EXPECT_EQ(shop.Errors().size(), 1u);
  EXPECT_EQ(shop.GetModeState(-1), Kelva::ms_applied);
  EXPECT_EQ(shop.GetModeState(4), Kelva::ms_none);

  // Severity 10 reaches the retest severity (7): the prohibition is archived once, because the
  // plan has relative limits.
  EXPECT_EQ(CSeaBase::ApplicationSea()->LookupGetString("RetestProhibitionSettings", 1, ""),
            "Test repetition prohibited");
  shop.AddErrorEntry(key(1, 1), 100, 0, 0, 0, 0);
  shop.GetSeverityForMode(1);
  shop.GetSeverityForMode(1);
  CResourceList infos(CSeaBase::MessagesSea(), "AdditionalArchiveInfos");
  ASSERT_EQ(infos.Count(), 1u);
  infos.GotoHead();
  EXPECT_EQ(infos.GetCurrentLine().GetStringFb(0, ""), "Test repetition prohibited");

  shop.DismissErrors();
  EXPECT_EQ(shop.GetModeState(2), Kelva::ms_none);
  EXPECT_EQ(shop.ModeStateMap().size(), 4u);
}

TEST_F(ResultShopTest, UnifyAndRePriorize) {
  std::vector<std::pair<QClavis, KelStoreError>> batch;
  EXPECT_TRUE(shop.UnifyAndRePriorize(batch));
  batch = {{key(1, 1), KelStoreError(200, 1, 1, 1, 1, -1)},
           {key(1, 1), KelStoreError(200, 2, 2, 2, 2, -1)}};
  EXPECT_FALSE(shop.UnifyAndRePriorize(batch));
  EXPECT_TRUE(shop.Errors().empty());
  batch = {{key(1, 1), KelStoreError(300, 1, 1, 1, 1, -1)}};
  EXPECT_TRUE(shop.UnifyAndRePriorize(batch));  // nothing listed: priority 1000
  std::vector<CResultShop::error_entry_t> out;
  shop.GetErrors(out, CResultShop::es_list, -1);
  EXPECT_EQ(out[0].code.priority, 1000);
  shop.AddErrorEntry(key(1, 2), 500, 0, 0, 0, 0);  // priority 5
  batch = {{key(2, 1), KelStoreError(300, 0, 0, 0, 0, -1)},
           {key(2, 1), KelStoreError(201, 0, 0, 0, 0, -1)}};
  EXPECT_TRUE(shop.UnifyAndRePriorize(batch));
  shop.GetErrors(out, CResultShop::es_priority, 2);
  EXPECT_EQ(Codes(out), (std::vector<int>{300, 201}));
  EXPECT_EQ(out[1].code.priority, 502);  // between 5 and 1000

  // The priorities are written into the installed plan's error-code records: the next part
  // still finds them, a newly installed plan (even the same one again) has its own.
  const auto priorities = [&] {
    std::vector<int> result;
    shop.GetErrors(out, CResultShop::es_list, -1);
    for (const auto& entry : out) result.push_back(entry.code.priority);
    return result;
  };
  shop.OnInsertCandidate();
  shop.AddErrorEntry(key(1, 1), 201, 0, 0, 0, 0);
  shop.AddErrorEntry(key(1, 2), 300, 0, 0, 0, 0);
  EXPECT_EQ(priorities(), (std::vector<int>{502, 1000}));
  ASSERT_TRUE(InstallPlan());
  EXPECT_EQ(priorities(), (std::vector<int>{40, 20}));
  batch = {{key(2, 1), KelStoreError(500, 0, 0, 0, 0, -1)},
           {key(2, 1), KelStoreError(201, 0, 0, 0, 0, -1)}};
  EXPECT_TRUE(shop.UnifyAndRePriorize(batch));  // 201 is listed; 500 gets the middle of 20, 40
  EXPECT_EQ(priorities(), (std::vector<int>{40, 20, 30, 40}));
  TestPlan::Builder other("other");
  other.Mode(1, "Run-up").Mode(2, "Coast-down").ErrorCode(500, "Noted only", 7, 3);
  ASSERT_TRUE(other.Install());
  // 201 and 300 are no codes of that plan: default records.
  EXPECT_EQ(priorities(), (std::vector<int>{0, 0, 7, 0}));
}

TEST_F(ResultShopTest, RepeatedMeasurementsClearTheirOwnErrors) {
  KelStoreSValue ofMeasurement;
  ofMeasurement.context = 0b00010;
  KelStoreSValue ofMode;
  ofMode.context = 0b00100;
  values.InsertSValue(key(1, 1), ofMeasurement, CMeasuringUnit(), 1);
  values.InsertSValue(key(1, 2), ofMode, CMeasuringUnit(), 1);
  values.InsertSValue(key(2, 1), ofMeasurement, CMeasuringUnit(), 1);
  shop.AddErrorEntry(key(1, 1), 200, 0, 0, 0, 0);
  shop.AddErrorEntry(key(1, 1, 11), 201, 0, 0, 0, 0);  // no stored value
  shop.AddErrorEntry(key(1, 2), 300, 0, 0, 0, 0);
  shop.AddErrorEntry(key(2, 1), 500, 0, 0, 0, 0);
  const auto codes = [&] {
    std::vector<int> result;
    for (const auto& [k, error] : shop.Errors()) result.push_back(error.code);
    return result;
  };
  HostClock::UseManual(7000, 0);
  // Only while repeated measurements clear errors.
  shop.MeasurementRepetitionClearsErrors(false);
  shop.DeleteErrorEntries(1, Kelva::end_measurement);
  EXPECT_EQ(codes(), (std::vector<int>{200, 201, 300, 500}));
  shop.MeasurementRepetitionClearsErrors(true);
  // Each event clears the errors of the mode whose value belongs to its time slice.
  shop.DeleteErrorEntries(1, Kelva::end_mode);
  EXPECT_EQ(codes(), (std::vector<int>{200, 201, 500}));
  EXPECT_EQ(shop.GetLastErrorTime(), 7000u);
  HostClock::Advance(10);
  shop.DeleteErrorEntries(1, Kelva::end_ratiotest);  // matches no time slice
  EXPECT_EQ(codes(), (std::vector<int>{200, 201, 500}));
  EXPECT_EQ(shop.GetLastErrorTime(), 7000u);
  shop.DeleteErrorEntries(1, Kelva::end_measurement);
  EXPECT_EQ(codes(), (std::vector<int>{201, 500}));
  EXPECT_EQ(shop.GetLastErrorTime(), 7010u);
  // Without a default value store nothing is known of the values: nothing is cleared.
  shop.AddErrorEntry(key(1, 1), 200, 0, 0, 0, 0);
  CEvStoreServer<CKelValueStore>::Object().Release(-1);
  shop.DeleteErrorEntries(1, Kelva::end_measurement);
  EXPECT_EQ(codes(), (std::vector<int>{200, 201, 500}));
  HostClock::UseSystem();
}
