#include "windows/ReportWindowModule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "frame/EvStoreServer.h"
#include "host/Candidate.h"
#include "host/Clock.h"
#include "host/CommandDispatcher.h"
#include "host/Output.h"
#include "host/Resources.h"
#include "host/Sea.h"
#include "host/TestPlanBuilder.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"
#include "windows/OperatorTexts.h"

using namespace NorviDefs;

namespace {

// What the report view was given.
struct ViewLog {
  std::vector<CBerichtsView::Report> shown;
  std::vector<std::pair<CBerichtsView::Report, bool>> printed;
};

class RecordingView : public CBerichtsView {
 public:
  explicit RecordingView(ViewLog* log) : log_(log) {}
  void ShowReport(const Report& report) override { log_->shown.push_back(report); }
  void Print(const Report& report, bool blackAndWhite) override {
    log_->printed.emplace_back(report, blackAndWhite);
  }

 private:
  ViewLog* log_;
};

const char kRule[] = "----------------------------------------------------------\n";
// 2023-11-14 22:13:20 UTC.
constexpr std::time_t kInserted = 1700000000;

class ReportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC0", 1);
    tzset();
    OperatorText::AddToResourceChain();
    HostClock::UseManual(1000, kInserted);
    McSetPlatformName("Bench7");
    McSetCandidate("S123", "Gearbox", "GB");
    CSeaBase::ApplicationSea()->Clear();
    CSeaBase::PreferenceSea()->Clear();
    CSeaBase::MessagesSea()->Clear();
    ASSERT_TRUE(InstallPlan());
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CResultShop>::Object().Release(-1);
    CEvStoreServer<CKelValueStore>::Object().RegisterDefault(&owner, &values);
    CEvStoreServer<CResultShop>::Object().RegisterDefault(&owner, &shop);
    shop.OnInsertCandidate();
    HostViews::SetBerichtsViewFactory(
        [this](const std::string&) { return std::make_unique<RecordingView>(&log); });
  }
  void TearDown() override {
    module.reset();
    HostViews::SetBerichtsViewFactory(nullptr);
    CEvStoreServer<CKelValueStore>::Object().Release(-1);
    CEvStoreServer<CResultShop>::Object().Release(-1);
    ParamDatabase::Reset();
    HostClock::UseSystem();
    McClearCandidate();
    McSetPlatformName("");
  }
  static bool InstallPlan() {
    TestPlan::Builder plan("report");
    plan.Mode(1, "Up")
        .Mode(2, "Down")
        .Mode(3, "Func", QVModeProps::mfFunction)
        .Instrument(1, "Level", 1)
        .Channel(1, "Acc")
        .Location(1, "Input")
        .Signal(1, "Mic", CMeasuringUnit())
        .Parameter(10, 1, "RMS")
        .ErrorCode(200, "Level too high", 50, 1)
        .ErrorCode(201, "Peak too high", 40, 1)
        .ErrorCode(300, "Oil too hot", 20, 2)
        .ErrorCode(500, "Noted only", 5, 3)
        .Severity(1, result_nok, color_nok, "")
        .Severity(3, result_ok, color_ok, "-");
    plan.Set().errorCode[QIdx1(200)].externalCode = 1200;
    return plan.Install();
  }
  static QClavis Key(int mode, int parameter = 10) { return QClavis(mode, 1, 1, 1, parameter, 1); }

  // Creates the module as the host does; settings must be in the stores before.
  void CreateModule() {
    module = std::make_unique<CReportWindowModule>();
    ASSERT_TRUE(module->Create("Bericht", nullptr));
    module->PostCreate();
    module->OnSpecialCreate();
  }
  static int Send(const char* message, unsigned long argument, const char* text = nullptr) {
    return CModule::CommandDispatcher().ProcessCommand(message, argument, nullptr, 0, text);
  }
  std::vector<int> RowCodes() const {
    std::vector<int> codes;
    for (const auto& row : module->Rows())
      codes.push_back(row.heading ? -1000 - static_cast<int>(row.mode.size()) : row.displayedCode);
    return codes;
  }
  std::vector<std::string> Headings() const {
    std::vector<std::string> modes;
    for (const auto& row : module->Rows())
      if (row.heading) modes.push_back(row.mode);
    return modes;
  }

  CObject owner;
  CKelValueStore values;
  CResultShop shop;
  ViewLog log;
  std::unique_ptr<CReportWindowModule> module;
};

// The line of an error of code 200 in mode "Up" with value 101.5, limit 100, mean 90 and
// position 23.
const std::string kLine200 =
    "1200    Up Level too high                           101.50/100.00 @23.00 [90.00] "
    "Level / RMS Input / Acc Mic\n";

}  // namespace

TEST_F(ReportWindowTest, HeaderAndBodyBytes) {
  CreateModule();
  EXPECT_EQ(Send(mcInsertCandidate, 0), 1);
  EXPECT_EQ(module->Header(),
            std::string("Bench7 Gearbox [GB] S123 2023-11-14 22:13:20\n") + kRule);
  EXPECT_EQ(module->ChangeCounter(), 1u);

  shop.AddErrorEntry(Key(1), 200, 101.5f, 100.0f, 90.0f, 23.0f);
  shop.AddErrorEntry(Key(2), 9999, -3.25f, 7.0f, 1.0f, 0.5f);  // not in the table
  Send(mcRefreshReport, static_cast<unsigned long>(-1));
  // Severity 1 has no text: the long result name.
  EXPECT_EQ(module->Header(),
            std::string("Bench7 Gearbox [GB] S123 2023-11-14 22:13:20 >> Test n.O.K.\n") + kRule);
  EXPECT_EQ(module->Body(),
            kLine200 +
                "9999  Down 9999: defect code undefined!              -3.25/  7.00 @ 0.50 [ 1.00] "
                "Level / RMS Input / Acc Mic\n");
  EXPECT_EQ(module->Result().result, result_nok);
  EXPECT_EQ(module->Result().colour, color_nok);
  EXPECT_EQ(module->ChangeCounter(), 2u);  // the window is closed: nothing redrawn yet

  ASSERT_EQ(module->Rows().size(), 4u);
  const CBerichtsView::Row& heading = module->Rows()[0];
  EXPECT_TRUE(heading.heading);
  EXPECT_EQ(heading.mode, "Up");
  EXPECT_EQ(heading.colour, color_nok);
  const CBerichtsView::Row& row = module->Rows()[1];
  EXPECT_EQ(row.displayedCode, 1200);
  EXPECT_EQ(row.description, "Level too high");
  EXPECT_EQ(row.location, "Input / Acc");
  EXPECT_EQ(row.value, 101.5f);
  EXPECT_EQ(row.limit, 100.0f);
  EXPECT_EQ(row.position, 23.0f);
  EXPECT_EQ(row.average, 90.0f);
  EXPECT_EQ(row.severityGroup, -1);
  EXPECT_EQ(module->Rows()[3].displayedCode, 9999);

  // Opening the window shows the report and clears the counter.
  module->OpenWindow();
  ASSERT_EQ(log.shown.size(), 1u);
  EXPECT_EQ(log.shown[0].body, module->Body());
  EXPECT_EQ(log.shown[0].serial, "S123");
  EXPECT_EQ(log.shown[0].fontName, "Microsoft Sans Serif");
  EXPECT_EQ(module->ChangeCounter(), 0u);

  // The type alone when the base type is empty or the same; an empty serial reads "-x-".
  ReportHeaderFields fields;
  fields.platform = "P";
  fields.type = "T";
  fields.baseType = "T";
  fields.inserted = kInserted;
  EXPECT_EQ(ReportHeader::Final(fields, "R"),
            std::string("P T -x- 2023-11-14 22:13:20 >> R\n") + kRule);

  // An empty platform name and serial from the host.
  McSetPlatformName("");
  McSetCandidate("", "T", "");
  Send(mcInsertCandidate, 0);
  EXPECT_EQ(module->Header(), std::string("Lum T -- 2023-11-14 22:13:20\n") + kRule);
  EXPECT_TRUE(module->Body().empty());
}

TEST_F(ReportWindowTest, MaximumDefectsPerMode) {
  CSeaBase::ApplicationSea()->LookupSetInt("Bericht-Darstellung", 2, 4);
  CreateModule();
  shop.AddErrorEntry(Key(1, 11), 300, 0, 0, 0, 0);  // priority 20
  shop.AddErrorEntry(Key(1, 12), 201, 0, 0, 0, 0);  // 40
  shop.AddErrorEntry(Key(1, 13), 200, 0, 0, 0, 0);  // 50
  shop.AddErrorEntry(Key(2), 201, 0, 0, 0, 0);
  Send(mcRefreshReport, 0);
  // The first two of each mode in GetErrors order (most important first).
  EXPECT_EQ(RowCodes(), (std::vector<int>{-1002, 1200, 201, -1004, 201}));
  module->Dialog().Options().maximumDefects = 0;
  Send(mcRefreshReport, 0);
  EXPECT_EQ(RowCodes(), (std::vector<int>{-1002, 1200, 201, 300, -1004, 201}));
  module->Dialog().Options().maximumDefects = -1;
  Send(mcRefreshReport, 0);
  EXPECT_EQ(module->Rows().size(), 6u);
}

TEST_F(ReportWindowTest, CodeZeroIsListedAndReported) {
  CreateModule();
  shop.AddErrorEntry(Key(1), 0, 1.0f, 2.0f, 3.0f, 4.0f);
  PrWin::CaptureSink capture;
  Send(mcRefreshReport, 0);
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].category, PrWin::catWarning);
  EXPECT_EQ(capture.Lines()[0].text, "Defect code 0 emerged! (Input Level Up)\n");
  EXPECT_EQ(module->Body(),
            "   0    Up 0: defect code undefined!                  1.00/  2.00 @ 4.00 [ 3.00] "
            "Level / RMS Input / Acc Mic\n");
}

TEST_F(ReportWindowTest, ModeOrderAndPrioritySorting) {
  shop.AddErrorEntry(Key(1), 201, 0, 0, 0, 0);  // priority 40
  shop.AddErrorEntry(Key(2), 200, 0, 0, 0, 0);  // 50
  shop.AddErrorEntry(Key(3), 300, 0, 0, 0, 0);  // 20, function mode
  shop.ModeStateMap()[2] = Kelva::ms_measured;
  CreateModule();
  Send(mcRefreshReport, 0);
  // By mode: the function mode first, each mode under its heading.
  EXPECT_EQ(Headings(), (std::vector<std::string>{"Func", "Up", "Down"}));
  EXPECT_EQ(RowCodes(), (std::vector<int>{-1004, 300, -1002, 201, -1004, 1200}));
  shop.FunctionModesFirst(false);
  Send(mcRefreshReport, 0);
  EXPECT_EQ(Headings(), (std::vector<std::string>{"Up", "Down", "Func"}));

  // A measured mode without errors gets a heading only with the all-modes option.
  shop.DeleteErrorEntries(2, Kelva::all_events);
  shop.ModeStateMap()[2] = Kelva::ms_measured;
  Send(mcRefreshReport, 0);
  EXPECT_EQ(Headings(), (std::vector<std::string>{"Up", "Func"}));
  module->Dialog().Options().allModes = true;
  Send(mcRefreshReport, 0);
  EXPECT_EQ(Headings(), (std::vector<std::string>{"Up", "Down", "Func"}));
  shop.AddErrorEntry(Key(2), 200, 0, 0, 0, 0);

  // By priority: one list over all modes, no headings.
  CSeaBase::ApplicationSea()->LookupSetInt("Bericht-Darstellung", 1, 0);
  module->OnSpecialCreate();
  EXPECT_TRUE(CSeaBase::MessagesSea()->LookupGetBool("SortDefectsByPriority", 0, false));
  Send(mcRefreshReport, 0);
  EXPECT_EQ(RowCodes(), (std::vector<int>{1200, 201, 300}));
  EXPECT_EQ(module->Body().substr(0, 10), "1200  Down");
}

TEST_F(ReportWindowTest, AutoPrintOnlyForFailedPartsInAnOpenWindow) {
  CSeaBase::ApplicationSea()->LookupSetBool("Bericht-Druckoptionen", true, 0);
  CSeaBase::ApplicationSea()->LookupSetBool("Bericht-Druckoptionen", true, 1);
  CreateModule();
  Send(mcInsertCandidate, 0);
  shop.AddErrorEntry(Key(1), 200, 101.5f, 100.0f, 90.0f, 23.0f);

  PrWin::CaptureSink capture;
  Send(mcEndOfTest, 0);
  EXPECT_TRUE(log.printed.empty());  // window closed
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].category, PrWin::catNotice);
  EXPECT_EQ(capture.Lines()[0].text,
            std::string("\nBench7 Gearbox [GB] S123 2023-11-14 22:13:20 >> Test n.O.K.\n") + kRule +
                kLine200);

  module->OpenWindow();
  Send(mcRemoveCandidate, 0);
  ASSERT_EQ(log.printed.size(), 1u);
  EXPECT_TRUE(log.printed[0].second);  // black and white
  EXPECT_EQ(log.printed[0].first.body, kLine200);
  EXPECT_EQ(log.printed[0].first.result, result_nok);

  // Auto print off, or an O.K. part: nothing printed.
  module->Dialog().Options().autoPrint = false;
  Send(mcEndOfTest, 0);
  module->Dialog().Options().autoPrint = true;
  shop.DismissErrors();
  shop.AddErrorEntry(Key(1), 500, 0, 0, 0, 0);  // severity 3: O.K.
  Send(mcEndOfTest, 0);
  EXPECT_EQ(module->Result().result, result_ok);
  EXPECT_EQ(log.printed.size(), 1u);
}

TEST_F(ReportWindowTest, CancelledAndSilentFinishes) {
  CreateModule();
  module->OpenWindow();
  Send(mcInsertCandidate, 0);
  shop.AddErrorEntry(Key(1), 200, 101.5f, 100.0f, 90.0f, 23.0f);
  const size_t shown = log.shown.size();
  const std::string preliminary = module->Header();

  PrWin::CaptureSink capture;
  Send(mcAbortTestRun, 7, "Operator stop");
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].category, PrWin::catNotice);
  EXPECT_EQ(capture.Text(), "\n" + preliminary + "Test cycle cancelled\n\n");
  EXPECT_EQ(module->Header(), preliminary);  // nothing rebuilt
  EXPECT_EQ(log.shown.size(), shown);

  capture.Clear();
  Send(mcEndOfTest, 26);
  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_EQ(module->Header(), preliminary);

  // An abort because the host exits finishes the report as usual; so does 7 without a reason.
  Send(mcAbortTestRun, 7, mcShutdownCommand);
  ASSERT_EQ(capture.Lines().size(), 1u);
  const std::string finished = "\nBench7 Gearbox [GB] S123 2023-11-14 22:13:20 >> Test n.O.K.\n";
  EXPECT_EQ(capture.Lines()[0].text.substr(0, finished.size()), finished);
  EXPECT_EQ(log.shown.size(), shown + 1);
  Send(mcAbortTestRun, 7);
  EXPECT_EQ(capture.Lines().size(), 2u);
}

TEST_F(ReportWindowTest, LongResultNamesAndSeverityGroups) {
  CSeaBase* app = CSeaBase::ApplicationSea();
  app->LookupSetString("LongResultNames", "", 0);  // empty: built-in O.K. text
  app->LookupSetString("LongResultNames", "Teil n.i.O.", 1);
  app->LookupSetString("LongResultNames", "nicht bewertet", 2);
  CreateModule();
  const CSeaBase* messages = CSeaBase::MessagesSea();
  EXPECT_EQ(messages->LookupGetString("LongResultNames", 0, "?"), "Teil n.i.O.");
  EXPECT_EQ(messages->LookupGetString("LongResultNames", 1, "?"), "Test O.K.");
  EXPECT_EQ(messages->LookupGetString("LongResultNames", 2, "?"), "nicht bewertet");
  EXPECT_EQ(messages->LookupGetString("LongResultNames", 3, "?"), "System error");
  EXPECT_EQ(messages->LookupGetString("LongResultNames", 4, "?"), "Result code?");
  EXPECT_EQ(module->LongResultNames().Name(7), "Result code?");
  EXPECT_EQ(module->LongResultNames().Name(-1), "Result code?");

  // No errors, nothing measured: no evaluation.
  Send(mcRefreshReport, 0);
  EXPECT_EQ(module->Result().text, "nicht bewertet");
  // Severity 3's text is "-": the long name of its result (O.K.); the severity follows.
  module->Dialog().Options().severityGroup = true;
  shop.AddErrorEntry(Key(1), 500, 0, 0, 0, 0);
  Send(mcRefreshReport, 0);
  EXPECT_EQ(module->Result().text, "Test O.K.{3}");
  shop.AddErrorEntry(Key(1, 11), 200, 0, 0, 0, 0);
  shop.AddErrorEntry(Key(1, 12), 300, 0, 0, 0, 0);  // severity 2 is not in the severity table
  shop.AddErrorEntry(Key(1, 13), 777, 0, 0, 0, 0);  // not in the error-code table
  module->Dialog().Options().internalCodes = true;
  Send(mcRefreshReport, 0);
  EXPECT_EQ(module->Result().text, "Teil n.i.O.{9}");
  std::vector<std::pair<int, int>> groups;
  for (const auto& row : module->Rows())
    if (!row.heading) groups.emplace_back(row.displayedCode, row.severityGroup);
  EXPECT_EQ(groups, (std::vector<std::pair<int, int>>{{200, 1}, {300, 4}, {500, 3}, {777, 4}}));
}

TEST_F(ReportWindowTest, SettingsPreferencesAndTexts) {
  CSeaBase* prefs = CSeaBase::PreferenceSea();
  prefs->LookupSetInt("Bericht-Darstellung", 2, 0);  // old size index: 2 * 2 + 4
  prefs->LookupSetString("Bericht-Darstellung", "Mono", 1);
  prefs->LookupSetBool("Bericht-ViewOffen", true, 0);
  CreateModule();
  EXPECT_TRUE(module->IsWindowOpen());
  EXPECT_EQ(module->Dialog().Options().fontSize, 8);
  EXPECT_EQ(module->Dialog().Options().fontName, "Mono");
  EXPECT_EQ(module->Dialog().Title(), "Bericht-Options");
  EXPECT_EQ(module->Dialog().Heading(), "Report Window Options");
  EXPECT_EQ(module->Dialog().Labels().front(), "Show results for all test steps");
  EXPECT_EQ(CReportWindowDialog::FontSizeFromStored(14), 14);
  EXPECT_EQ(CReportWindowDialog::FontSizeFromStored(0), 6);
  EXPECT_EQ(CReportWindowDialog::FontSizeFromStored(99), 24);
  EXPECT_FALSE(CSeaBase::MessagesSea()->LookupGetBool("SortDefectsByPriority", 0, true));

  // The report texts are found through the messages store.
  const std::string* header = nullptr;
  const std::string* body = nullptr;
  ASSERT_TRUE(CReportWindowModule::ReadReportTextStrings(&header, &body));
  EXPECT_EQ(header, &module->Header());
  EXPECT_EQ(body, &module->Body());

  // Before a change the state is stored; after it, read back.
  module->Frame()->SetPlacement("5 6 700 500");
  module->Dialog().Options().fontSize = 12;
  Send(mcPreferencesChanging, 0);
  EXPECT_EQ(prefs->LookupGetInt("Bericht-Darstellung", 0, 0), 12);
  EXPECT_EQ(prefs->LookupGetString("Bericht-ViewOffen", 1, ""), "5 6 700 500");
  prefs->LookupSetBool("Bericht-ViewOffen", false, 0);
  prefs->LookupSetInt("Bericht-Darstellung", 20, 0);
  Send(mcPreferencesChanging, 1);
  EXPECT_FALSE(module->IsWindowOpen());
  EXPECT_EQ(module->Dialog().Options().fontSize, 20);
  prefs->LookupSetBool("Bericht-ViewOffen", true, 0);
  Send(mcPreferencesChanging, 1);
  ASSERT_TRUE(module->IsWindowOpen());
  EXPECT_EQ(module->Frame()->Placement(), "5 6 700 500");
  EXPECT_EQ(log.shown.back().fontSize, 20);

  // Settings are written back when the host saves the module.
  module->Dialog().Options().maximumDefects = 7;
  module->Dialog().Options().sortByPriority = true;
  module->OnSpecialFileSave();
  EXPECT_EQ(CSeaBase::ApplicationSea()->LookupGetInt("Bericht-Darstellung", 4, 0), 7);
  EXPECT_EQ(CSeaBase::ApplicationSea()->LookupGetInt("Bericht-Darstellung", 0, 0), 1);

  // A language change takes the texts again and redraws.
  const size_t shown = log.shown.size();
  HostResources::AddStrings(
      "de", {{OperatorText::kOptions, "Optionen"}, {OperatorText::kResultNone, "keine Bewertung"}});
  HostResources::SetDisplayLanguage("de");
  Send(mcDisplayLanguageChanged, 0);
  HostResources::SetDisplayLanguage("en");
  HostResources::RemoveStrings(OperatorText::kOptions, OperatorText::kOptions);
  HostResources::RemoveStrings(OperatorText::kResultNone, OperatorText::kResultNone);
  OperatorText::AddToResourceChain();
  EXPECT_EQ(module->Dialog().Title(), "Bericht-Optionen");
  EXPECT_EQ(module->Result().text, "keine Bewertung");
  EXPECT_EQ(log.shown.size(), shown + 1);

  // The operator closes the window: it stays closed at the next start.
  CStandaloneFrameWnd* frame = module->Frame();
  delete frame;
  EXPECT_FALSE(module->IsWindowOpen());
  EXPECT_FALSE(prefs->LookupGetBool("Bericht-ViewOffen", 0, true));

  // The entry goes with the module.
  module.reset();
  EXPECT_FALSE(CReportWindowModule::ReadReportTextStrings(&header, &body));
}

TEST_F(ReportWindowTest, WithoutResultShop) {
  CEvStoreServer<CResultShop>::Object().Release(-1);
  CreateModule();
  Send(mcInsertCandidate, 0);
  shop.AddErrorEntry(Key(1), 200, 0, 0, 0, 0);
  Send(mcRefreshReport, 0);
  EXPECT_EQ(module->Result().result, result_none);
  EXPECT_EQ(module->Header(),
            std::string("Bench7 Gearbox [GB] S123 2023-11-14 22:13:20 >> no evaluation\n") + kRule);
  EXPECT_TRUE(module->Body().empty());
  EXPECT_TRUE(module->Rows().empty());
}
