#pragma once
// The body of the test report: one text line and one table row per error of the result shop,
// grouped by mode or, with sorting by priority, in one list over all modes.
//
// Modes are taken in the order of the parameter set; when the shop puts function modes first,
// the modes with the mode property flag 0x100 come first (keeping their order). A mode is
// listed when it was begun (mode state 1 or more) or has errors. A mode with errors (every
// listed mode with the all-modes option) gets a heading row with its name and result colour;
// the list over all modes gets none. A mode's errors come most important first, at most the
// maximum number of defects when that is above 0.
//
// One error line:
//   "%4d %5s %-40s %6.2f/%6.2f @%5.2f [%5.2f] %s %s %s\n"
//   code, mode name, description, value, limit, position, mean,
//   "<instrument> / <parameter>", "<location> / <channel>", application signal name
// The code is the error-code table's external code (the error's own code with the internal
// codes option); a code missing from the table reads "<code>: defect code undefined!".
// An error with code 0 is listed too, and reported as a warning.

#include <string>
#include <vector>

#include "host/Params.h"
#include "host/Views.h"
#include "result/ResultShop.h"
#include "windows/ReportWindowDialog.h"

class CReportBodyBuilder {
 public:
  // Shown as the severity group of an error whose severity the severity table does not list.
  static constexpr int kUnlistedSeverityGroup = 4;

  // REQUIRES: `shop` outlives the builder; null means no results (an empty body).
  CReportBodyBuilder(const ReportOptions& options, CResultShop* shop);

  // Replaces `body` and appends to `rows`.
  void Build(std::string& body, std::vector<CBerichtsView::Row>& rows);

  // The modes in the order the report lists them (before leaving out unused modes).
  std::vector<int> ModeOrder() const;

 private:
  void ListMode(int mode);
  void ReportCodeZero(const CResultShop::error_entry_t& entry) const;
  void WriteEntry(const CResultShop::error_entry_t& entry);
  int SeverityGroup(int code) const;

  const ReportOptions& m_options;
  CResultShop* m_shop;
  CDtParamInstance m_params;
  std::string* m_body = nullptr;
  std::vector<CBerichtsView::Row>* m_rows = nullptr;
};
