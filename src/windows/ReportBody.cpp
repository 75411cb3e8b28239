#include "windows/ReportBody.h"

#include <algorithm>

#include "host/Output.h"
#include "windows/FormatText.h"
#include "windows/OperatorTexts.h"

CReportBodyBuilder::CReportBodyBuilder(const ReportOptions& options, CResultShop* shop)
    : m_options(options), m_shop(shop) {}

void CReportBodyBuilder::Build(std::string& body, std::vector<CBerichtsView::Row>& rows) {
  body.clear();
  if (m_shop == nullptr) return;
  m_body = &body;
  m_rows = &rows;
  if (m_options.sortByPriority) {
    ListMode(-1);
  } else {
    for (int mode : ModeOrder())
      if (m_shop->GetModeState(mode) >= 1 || m_shop->HasErrors(mode)) ListMode(mode);
  }
  m_body = nullptr;
  m_rows = nullptr;
}

std::vector<int> CReportBodyBuilder::ModeOrder() const {
  std::vector<int> modes;
  for (const auto& [mode, name] : m_params.Mode()) modes.push_back(mode.id());
  if (m_shop != nullptr && m_shop->FunctionModesFirst()) {
    std::stable_partition(modes.begin(), modes.end(), [this](int mode) {
      return m_params.ModeIsOfType(mode, QVModeProps::mfFunction);
    });
  }
  return modes;
}

void CReportBodyBuilder::ListMode(int mode) {
  const bool hasErrors = m_shop->HasErrors(mode);
  if ((hasErrors || m_options.allModes) && mode != -1) {
    CBerichtsView::Row heading;
    heading.heading = true;
    heading.mode = m_params.ModeName(mode);
    NorviDefs::result_color_t colour = NorviDefs::color_none;
    m_shop->GetResultForMode(mode, nullptr, &colour);
    heading.colour = colour;
    m_rows->push_back(heading);
  }
  if (!hasErrors) return;
  std::vector<CResultShop::error_entry_t> entries;
  m_shop->GetErrors(entries, CResultShop::es_priority, mode);
  for (const auto& entry : entries)
    if (entry.error.code == 0) ReportCodeZero(entry);
  size_t count = entries.size();
  if (m_options.maximumDefects > 0)
    count = std::min(count, static_cast<size_t>(m_options.maximumDefects));
  for (size_t i = 0; i < count; ++i) WriteEntry(entries[i]);
}

void CReportBodyBuilder::ReportCodeZero(const CResultShop::error_entry_t& entry) const {
  PrWin::Output(PrWin::catWarning, "Defect code 0 emerged! (%s %s %s)\n",
                m_params.LocationName(entry.location).c_str(),
                m_params.InstrumentName(entry.instrument).c_str(),
                m_params.ModeName(entry.mode).c_str());
}

void CReportBodyBuilder::WriteEntry(const CResultShop::error_entry_t& entry) {
  const int code = entry.error.code;
  const auto& table = m_params.ErrorCode();
  const auto record = table.find(QIdx1(code));
  CBerichtsView::Row row;
  if (record == table.end()) {
    row.description = Kelva::FormatText(
        "%d: %s", code, OperatorText::Text(OperatorText::kDefectCodeUndefined).c_str());
    row.displayedCode = code;
  } else {
    row.description = record->second.text;
    row.displayedCode = m_options.internalCodes ? code : record->second.externalCode;
  }
  if (m_options.severityGroup) row.severityGroup = SeverityGroup(code);
  row.mode = m_params.ModeName(entry.mode);
  row.location = m_params.FormatLocaChanText(entry.location, entry.channel);
  row.value = entry.error.value;
  row.limit = entry.error.limit;
  row.position = entry.error.position;
  row.average = entry.error.mean;
  m_body->append(Kelva::FormatText(
      "%4d %5s %-40s %6.2f/%6.2f @%5.2f [%5.2f] %s %s %s\n", row.displayedCode, row.mode.c_str(),
      row.description.c_str(), row.value, row.limit, row.position, row.average,
      m_params.FormatInstrParamText(entry.instrument, entry.parameter).c_str(),
      row.location.c_str(), m_params.ApplicationSignalName(entry.sensor).c_str()));
  m_rows->push_back(std::move(row));
}

int CReportBodyBuilder::SeverityGroup(int code) const {
  const auto& codes = m_params.ErrorCode();
  const auto record = codes.find(QIdx1(code));
  if (record == codes.end()) return kUnlistedSeverityGroup;
  const int severity = record->second.severity;
  const auto& severities = m_params.SeverityProperty();
  return severities.count(QIdx1(severity)) != 0 ? severity : kUnlistedSeverityGroup;
}
