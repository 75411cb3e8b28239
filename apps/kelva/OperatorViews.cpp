#include "OperatorViews.h"

#include <sys/stat.h>

#include <memory>

#include "host/File.h"
#include "host/FileIO.h"

namespace {

class CBenchAmpelView : public CAmpelView {
 public:
  explicit CBenchAmpelView(OperatorDisplay& display) : display_(display) {}
  void Zeilenweise(bool) override {}  // the run prints every mode on one line
  void NeueErgebnisse(const std::vector<ModeErgebnis_t>& results) override {
    display_.modes = results;
  }
  void Aktualisieren(const std::vector<ModeErgebnis_t>& results) override {
    display_.modes = results;
  }

 private:
  OperatorDisplay& display_;
};

class CBenchBerichtsView : public CBerichtsView {
 public:
  CBenchBerichtsView(OperatorDisplay& display, std::string folder)
      : display_(display), folder_(std::move(folder)) {}
  void ShowReport(const Report& report) override {
    display_.report = report;
    display_.reportShown = true;
  }
  // The text file is the same in black and white: it has no colours.
  void Print(const Report& report, bool /*blackAndWhite*/) override {
    std::string error;
    const std::string file = PrintReportFile(report, folder_, error);
    if (file.empty())
      display_.printFailures.push_back(error);
    else
      ++display_.printed;
  }

 private:
  OperatorDisplay& display_;
  std::string folder_;
};

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

COperatorViews::COperatorViews(OperatorDisplay& display, std::string reportFolder) {
  HostViews::SetAmpelViewFactory(
      [&display](const std::string&) { return std::make_unique<CBenchAmpelView>(display); });
  HostViews::SetBerichtsViewFactory([&display, reportFolder](const std::string&) {
    return std::make_unique<CBenchBerichtsView>(display, reportFolder);
  });
}

COperatorViews::~COperatorViews() {
  HostViews::SetAmpelViewFactory(nullptr);
  HostViews::SetBerichtsViewFactory(nullptr);
}

std::string PrintReportFile(const CBerichtsView::Report& report, const std::string& folder,
                            std::string& error) {
  std::string why;
  if (!FileIO::CreateFolder(folder, &why)) {
    error = "the report folder " + folder + " cannot be created: " + why;
    return "";
  }
  const std::string serial = report.serial.empty() ? "--" : report.serial;
  const std::string base = folder + FileIO::partTypeFileName("", serial);
  std::string path = base + ".txt";
  for (int copy = 2; Exists(path); ++copy) {
    if (copy > 999) {
      error = "the report of " + serial + " was printed 999 times; " + path + " exists";
      return "";
    }
    path = base + "." + std::to_string(copy) + ".txt";
  }
  CReplacingFile file;
  const std::string text = report.header + report.body;
  if (!file.Open(path) || !file.Write(text.data(), text.size()) || !file.Commit()) {
    error = "the report " + path + " cannot be written: " + file.Error();
    return "";
  }
  return path;
}
