#include "windows/ReportWindowModule.h"

#include <cinttypes>
#include <cstdio>

#include "frame/EvStoreServer.h"
#include "host/CommandDispatcher.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "result/ResultShop.h"
#include "windows/FormatText.h"
#include "windows/OperatorTexts.h"
#include "windows/ReportBody.h"

namespace {

constexpr char kReportTextStrings[] = "ReportTextStrings";
constexpr char kSortDefectsByPriority[] = "SortDefectsByPriority";

// Arguments of the finishing messages.
constexpr unsigned long kAbortWithReason = 7;
constexpr unsigned long kFinishNothing = 26;
// Arguments of mcPreferencesChanging.
constexpr unsigned long kBeforePreferences = 0;

using handler_t = CCommandDispatcher::handler_t;

}  // namespace

CReportWindowModule::CReportWindowModule() = default;

CReportWindowModule::~CReportWindowModule() {
  // Closed by its owner: the frame's notice finds no frame to forget and stores nothing.
  m_frame.reset();
  const std::string* header = nullptr;
  const std::string* body = nullptr;
  if (ReadReportTextStrings(&header, &body) && header == &m_header)
    CSeaBase::MessagesSea()->RemoveEntry(kReportTextStrings);
}

bool CReportWindowModule::Create(const std::string& name, CModule* parent) {
  if (!CSpecialModeClient::Create(name, parent)) return false;
  RegisterHandlers();
  TitleDialog();
  CSeaBase::MessagesSea()->LookupSetString(
      kReportTextStrings,
      Kelva::FormatText("%" PRIxPTR " %" PRIxPTR, reinterpret_cast<uintptr_t>(&m_header),
                        reinterpret_cast<uintptr_t>(&m_body)),
      0);
  return true;
}

void CReportWindowModule::RegisterHandlers() {
  CCommandDispatcher& dispatcher = CommandDispatcher();
  dispatcher.AddClient(mcInsertCandidate, this,
                       [this](long, unsigned long, const void*, const char*, const void*) {
                         OnInsertCandidate();
                         return static_cast<unsigned char>(1);
                       });
  const handler_t finish = [this](long, unsigned long argument, const void*, const char* text,
                                  const void*) {
    FinishReport(argument, text);
    return static_cast<unsigned char>(1);
  };
  dispatcher.AddClient(mcEndOfTest, this, finish);
  dispatcher.AddClient(mcRemoveCandidate, this, finish);
  dispatcher.AddClient(mcAbortTestRun, this, finish);
  dispatcher.AddClient(
      mcRefreshReport, this,
      [this](long, unsigned long, const void*, const char*, const void*) {
        RequestRebuild();
        return static_cast<unsigned char>(1);
      },
      true);
  dispatcher.AddClient(mcPreferencesChanging, this,
                       [this](long, unsigned long phase, const void*, const char*, const void*) {
                         OnPreferencesChanging(phase);
                         return static_cast<unsigned char>(1);
                       });
  dispatcher.AddClient(mcDisplayLanguageChanged, this,
                       [this](long, unsigned long, const void*, const char*, const void*) {
                         OnDisplayLanguageChanged();
                         return static_cast<unsigned char>(1);
                       });
}

void CReportWindowModule::TitleDialog() {
  m_dialog.SetTitle(Name() + "-" + OperatorText::Text(OperatorText::kOptions));
}

void CReportWindowModule::PostCreate() {
  m_shop = CEvStoreServer<CResultShop>::Object().Store(-1);
}

void CReportWindowModule::OnSpecialCreate() {
  ReadSettings();
  m_longNames.Load();
  m_longNames.Publish();
  if (CSeaBase::PreferenceSea()->LookupGetBool(ViewOpenKey(), 0, false)) OpenWindow();
}

void CReportWindowModule::ReadSettings() {
  m_dialog.LoadSettings(Name());
  m_dialog.LoadFont(Name());
  CSeaBase::MessagesSea()->LookupSetBool(kSortDefectsByPriority, m_dialog.Options().sortByPriority,
                                         0);
}

void CReportWindowModule::OnSpecialFileSave() {
  m_dialog.SaveSettings(Name());
  OnPreferencesChanging(kBeforePreferences);
}

void CReportWindowModule::OnSpecialRevertToDefaults() {
  m_dialog.RevertToDefaults();
  CSeaBase::MessagesSea()->LookupSetBool(kSortDefectsByPriority, false, 0);
}

void CReportWindowModule::OpenWindow() {
  if (m_frame != nullptr) {
    m_frame->BringToFront();
    return;
  }
  m_frame =
      std::make_unique<CStandaloneFrameWnd>(this, Name(), CStandaloneFrameWnd::ViewKind::berichts);
  Redraw();
}

void CReportWindowModule::CloseWindow() {
  m_frame.reset();
}

void CReportWindowModule::OnFrameDestroyed(CStandaloneFrameWnd* frame) {
  // Only a frame the host destroys is still held here; one this module closes is not.
  if (frame == nullptr || frame != m_frame.get()) return;
  static_cast<void>(m_frame.release());
  CSeaBase::PreferenceSea()->LookupSetBool(ViewOpenKey(), CFensterManager::NowExit(), 0);
}

void CReportWindowModule::OnInsertCandidate() {
  m_fields = ReportHeaderFields::FromCandidate();
  m_result = ReportResult();
  m_header = ReportHeader::Preliminary(m_fields);
  m_body.clear();
  m_rows.clear();
  ++m_changeCounter;
  Redraw();
}

void CReportWindowModule::FinishReport(unsigned long argument, const char* text) {
  if (argument == kAbortWithReason && text != nullptr && std::string(text) != mcShutdownCommand) {
    PrWin::Output(PrWin::catNotice, "\n%s%s\n\n", ReportHeader::Preliminary(m_fields).c_str(),
                  OperatorText::Text(OperatorText::kTestCycleCancelled).c_str());
    return;
  }
  if (argument == kFinishNothing) return;
  RequestRebuild();
  PrWin::Output(PrWin::catNotice, "\n%s%s", m_header.c_str(), m_body.c_str());
  PrintWhenFailed();
}

void CReportWindowModule::PrintWhenFailed() {
  if (!m_dialog.Options().autoPrint || m_frame == nullptr) return;
  if (m_result.result != NorviDefs::result_nok && m_result.result != NorviDefs::result_syserror)
    return;
  m_frame->BerichtsView()->Print(CurrentReport(), m_dialog.Options().blackAndWhite);
}

void CReportWindowModule::RequestRebuild() {
  ++m_changeCounter;
  BuildReport();
  Redraw();
}

void CReportWindowModule::BuildReport() {
  m_rows.clear();
  const ReportOptions& options = m_dialog.Options();
  m_result = ReportHeader::OverallResult(m_shop, m_longNames, options.severityGroup);
  m_header = ReportHeader::Final(m_fields, m_result.text);
  CReportBodyBuilder(options, m_shop).Build(m_body, m_rows);
}

void CReportWindowModule::Redraw() {
  if (m_frame == nullptr) return;
  m_frame->BerichtsView()->ShowReport(CurrentReport());
  m_changeCounter = 0;
}

CBerichtsView::Report CReportWindowModule::CurrentReport() const {
  CBerichtsView::Report report;
  report.header = m_header;
  report.body = m_body;
  report.rows = m_rows;
  report.result = m_result.result;
  report.colour = m_result.colour;
  report.resultText = m_result.text;
  report.serial = m_fields.serial;
  report.fontName = m_dialog.Options().fontName;
  report.fontSize = m_dialog.Options().fontSize;
  return report;
}

void CReportWindowModule::OnPreferencesChanging(unsigned long phase) {
  CSeaBase* preferences = CSeaBase::PreferenceSea();
  if (phase == kBeforePreferences) {
    m_dialog.SaveFont(Name());
    preferences->LookupSetBool(ViewOpenKey(), IsWindowOpen(), 0);
    if (m_frame != nullptr) preferences->LookupSetString(ViewOpenKey(), m_frame->Placement(), 1);
    return;
  }
  m_dialog.LoadFont(Name());
  if (!preferences->LookupGetBool(ViewOpenKey(), 0, false)) {
    CloseWindow();
    return;
  }
  const bool wasOpen = IsWindowOpen();
  if (!wasOpen) {
    m_frame = std::make_unique<CStandaloneFrameWnd>(this, Name(),
                                                    CStandaloneFrameWnd::ViewKind::berichts);
    m_frame->SetPlacement(preferences->LookupGetString(ViewOpenKey(), 1, m_frame->Placement()));
  }
  Redraw();
}

void CReportWindowModule::OnDisplayLanguageChanged() {
  m_dialog.ReloadTexts();
  TitleDialog();
  m_longNames.Load();
  m_longNames.Publish();
  RequestRebuild();
}

bool CReportWindowModule::ReadReportTextStrings(const std::string** header,
                                                const std::string** body) {
  *header = nullptr;
  *body = nullptr;
  const std::string entry =
      CSeaBase::MessagesSea()->LookupGetString(kReportTextStrings, 0, std::string());
  uintptr_t headerAddress = 0;
  uintptr_t bodyAddress = 0;
  if (std::sscanf(entry.c_str(), "%" SCNxPTR " %" SCNxPTR, &headerAddress, &bodyAddress) != 2 ||
      headerAddress == 0 || bodyAddress == 0)
    return false;
  *header = reinterpret_cast<const std::string*>(headerAddress);
  *body = reinterpret_cast<const std::string*>(bodyAddress);
  return true;
}
