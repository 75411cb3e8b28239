#pragma once
// CReportWindowDialog: the options of the report window and where they are kept.
//
// Application store (per module instance `<name>`):
//   "<name>-Darstellung"   0 sort by priority, 1 all modes, 2 sensor information,
//                          3 internal codes, 4 maximum defects, 5 severity group
//   "<name>-Druckoptionen" 0 black and white, 1 auto print
// Preference store:
//   "<name>-Darstellung"   0 font size, 1 font name
// A stored font size below 6 is a size index of older versions and reads as 2 * index + 4;
// every size is then kept inside the dialog's range 6..24.
//
// The dialog owns the option values; the host's dialog shows them with the texts of Labels().

#include <string>
#include <utility>
#include <vector>

struct ReportOptions {
  bool allModes = false;
  bool sensorInformation = false;
  bool internalCodes = false;
  bool sortByPriority = false;
  int maximumDefects = 50;  // 0 or less: no limit
  bool severityGroup = false;
  int fontSize = 10;
  std::string fontName = "Microsoft Sans Serif";
  bool autoPrint = false;
  bool blackAndWhite = false;
};

class CReportWindowDialog {
 public:
  static constexpr int kMinFontSize = 6;
  static constexpr int kMaxFontSize = 24;

  CReportWindowDialog();

  // The window title ("Report Window Options" until the module names it).
  const std::string& Title() const { return m_title; }
  void SetTitle(const std::string& title) { m_title = title; }
  // The dialog's heading and the label of each option, in the display language.
  const std::string& Heading() const { return m_heading; }
  const std::vector<std::string>& Labels() const { return m_labels; }
  // Takes the texts again (after the display language changed).
  void ReloadTexts();

  ReportOptions& Options() { return m_options; }
  const ReportOptions& Options() const { return m_options; }
  void RevertToDefaults() { m_options = ReportOptions(); }

  // The report options of the application store, each field with its default.
  void LoadSettings(const std::string& name);
  void SaveSettings(const std::string& name) const;
  // Font size and name of the preference store.
  void LoadFont(const std::string& name);
  void SaveFont(const std::string& name) const;

  // A stored font size as the dialog uses it (old size indices converted, range enforced).
  static int FontSizeFromStored(int stored);

 private:
  std::string m_title;
  std::string m_heading;
  std::vector<std::string> m_labels;
  ReportOptions m_options;
};
