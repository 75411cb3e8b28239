#include "windows/ReportWindowDialog.h"

#include <algorithm>

#include "host/Sea.h"
#include "windows/OperatorTexts.h"

namespace {

std::string DisplayKey(const std::string& name) {
  return name + "-Darstellung";
}

std::string PrintKey(const std::string& name) {
  return name + "-Druckoptionen";
}

}  // namespace

CReportWindowDialog::CReportWindowDialog() {
  ReloadTexts();
  m_title = m_heading;
}

void CReportWindowDialog::ReloadTexts() {
  m_heading = OperatorText::Text(OperatorText::kReportOptionsTitle);
  m_labels.clear();
  for (int id = OperatorText::kOptionAllModes; id <= OperatorText::kOptionBlackAndWhite; ++id)
    m_labels.push_back(OperatorText::Text(id));
}

void CReportWindowDialog::LoadSettings(const std::string& name) {
  const CSeaBase* sea = CSeaBase::ApplicationSea();
  const ReportOptions defaults;
  const std::string display = DisplayKey(name);
  m_options.sortByPriority = sea->LookupGetInt(display, 0, defaults.sortByPriority) == 1;
  m_options.allModes = sea->LookupGetBool(display, 1, defaults.allModes);
  m_options.sensorInformation = sea->LookupGetBool(display, 2, defaults.sensorInformation);
  m_options.internalCodes = sea->LookupGetBool(display, 3, defaults.internalCodes);
  m_options.maximumDefects = sea->LookupGetInt(display, 4, defaults.maximumDefects);
  m_options.severityGroup = sea->LookupGetBool(display, 5, defaults.severityGroup);
  const std::string print = PrintKey(name);
  m_options.blackAndWhite = sea->LookupGetBool(print, 0, defaults.blackAndWhite);
  m_options.autoPrint = sea->LookupGetBool(print, 1, defaults.autoPrint);
}

void CReportWindowDialog::SaveSettings(const std::string& name) const {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  const std::string display = DisplayKey(name);
  sea->LookupSetInt(display, m_options.sortByPriority ? 1 : 0, 0);
  sea->LookupSetBool(display, m_options.allModes, 1);
  sea->LookupSetBool(display, m_options.sensorInformation, 2);
  sea->LookupSetBool(display, m_options.internalCodes, 3);
  sea->LookupSetInt(display, m_options.maximumDefects, 4);
  sea->LookupSetBool(display, m_options.severityGroup, 5);
  const std::string print = PrintKey(name);
  sea->LookupSetBool(print, m_options.blackAndWhite, 0);
  sea->LookupSetBool(print, m_options.autoPrint, 1);
}

void CReportWindowDialog::LoadFont(const std::string& name) {
  const CSeaBase* sea = CSeaBase::PreferenceSea();
  const ReportOptions defaults;
  m_options.fontSize =
      FontSizeFromStored(sea->LookupGetInt(DisplayKey(name), 0, defaults.fontSize));
  m_options.fontName = sea->LookupGetString(DisplayKey(name), 1, defaults.fontName);
}

void CReportWindowDialog::SaveFont(const std::string& name) const {
  CSeaBase* sea = CSeaBase::PreferenceSea();
  sea->LookupSetInt(DisplayKey(name), m_options.fontSize, 0);
  sea->LookupSetString(DisplayKey(name), m_options.fontName, 1);
}

int CReportWindowDialog::FontSizeFromStored(int stored) {
  // Older versions stored an index into a list of sizes 4, 6, 8, ...
  const long size = stored < kMinFontSize ? 2L * stored + 4 : stored;
  return static_cast<int>(std::clamp<long>(size, kMinFontSize, kMaxFontSize));
}
