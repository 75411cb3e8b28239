#pragma once
// CReportWindowModule: the test report of the part in the bench. A header with the part's
// identity and overall result, and one line per error of the default result shop, shown in a
// stand-alone frame window (the host's report view), written to the output window at the end
// of the test and printed for failed parts when so configured. The module only reads the
// result shop.
//
// Host messages, handled in this order of registration:
//   mcInsertCandidate        takes the part's identity, shows the preliminary header
//   mcEndOfTest, mcRemoveCandidate, mcAbortTestRun
//                            finish the report (below)
//   mcRefreshReport          rebuilds the report (handled before the other clients)
//   mcPreferencesChanging    0: stores font and window state, 1: reads them back
//   mcDisplayLanguageChanged takes the texts again and rebuilds
//
// Finishing: an abort (argument 7) with a reason other than the host's shutdown writes the
// preliminary header and "Test cycle cancelled" to the output window and nothing else;
// argument 26 does nothing; otherwise the report is rebuilt and written (category 4), and
// printed when auto print is on, the window is open and the part is n.O.K. or a system error.
//
// Settings: the options of CReportWindowDialog; preference store "<name>-ViewOffen" field 0:
// the window is open at start, field 1: its placement while it was open. Messages store:
// "LongResultNames" (CLongResultNames), "SortDefectsByPriority", and "ReportTextStrings": the
// addresses of the header and body texts as two hexadecimal numbers ("%lx %lx"), valid while
// the module lives (the entry is removed with it); ReadReportTextStrings reads them.

#include <memory>
#include <string>
#include <vector>

#include "host/Module.h"
#include "host/Views.h"
#include "windows/LongResultNames.h"
#include "windows/ReportHeader.h"
#include "windows/ReportWindowDialog.h"

class CResultShop;

class CReportWindowModule : public CSpecialModeClient, public CStandaloneFrameUser {
 public:
  CReportWindowModule();
  ~CReportWindowModule() override;

  const char* RuntimeClassName() const override { return "CReportWindowModule"; }
  bool Create(const std::string& name, CModule* parent) override;
  void PostCreate() override;
  void OnSpecialCreate() override;
  void OnSpecialFileSave() override;
  void OnSpecialRevertToDefaults() override;
  void OnFrameDestroyed(CStandaloneFrameWnd* frame) override;

  void OpenWindow();
  void CloseWindow();
  bool IsWindowOpen() const { return m_frame != nullptr; }
  // Null while the window is closed.
  CStandaloneFrameWnd* Frame() const { return m_frame.get(); }

  CReportWindowDialog& Dialog() { return m_dialog; }
  const CLongResultNames& LongResultNames() const { return m_longNames; }
  const std::string& Header() const { return m_header; }
  const std::string& Body() const { return m_body; }
  const std::vector<CBerichtsView::Row>& Rows() const { return m_rows; }
  const ReportResult& Result() const { return m_result; }
  // Rebuilds not yet shown in the window (cleared when the view is redrawn).
  unsigned ChangeCounter() const { return m_changeCounter; }
  // The report as the view gets it.
  CBerichtsView::Report CurrentReport() const;

  // The header and body texts named by the messages store entry "ReportTextStrings"; false
  // (both null) when the entry is missing or unreadable.
  static bool ReadReportTextStrings(const std::string** header, const std::string** body);

 private:
  void RegisterHandlers();
  void OnInsertCandidate();
  void FinishReport(unsigned long argument, const char* text);
  void RequestRebuild();
  void BuildReport();
  void Redraw();
  void PrintWhenFailed();
  void OnPreferencesChanging(unsigned long phase);
  void OnDisplayLanguageChanged();
  void ReadSettings();
  void TitleDialog();
  std::string ViewOpenKey() const { return Name() + "-ViewOffen"; }

  CReportWindowDialog m_dialog;
  CLongResultNames m_longNames;
  CResultShop* m_shop = nullptr;
  std::unique_ptr<CStandaloneFrameWnd> m_frame;
  ReportHeaderFields m_fields;
  ReportResult m_result;
  std::string m_header;
  std::string m_body;
  std::vector<CBerichtsView::Row> m_rows;
  unsigned m_changeCounter = 0;
};
