#pragma once
// The bench's operator windows: the views of the signal light and the report window as the
// run shows them. The views keep what the windows were last given; after each part the run
// prints that (the lamp line per mode and, for a rejected part, the report). "Printing" a
// report writes it as a text file into the work directory's "reports/" folder.

#include <string>
#include <vector>

#include "host/Views.h"

// What the two windows show now.
struct OperatorDisplay {
  std::vector<CAmpelView::ModeErgebnis_t> modes;
  CBerichtsView::Report report;
  bool reportShown = false;
  // How many reports this run printed, and why the ones not yet told could not be written: the
  // run tells them after each part and empties the list, so neither grows with the run.
  size_t printed = 0;
  std::vector<std::string> printFailures;
};

// Installs the factories of the bench's views, which fill `display`; reports are printed into
// `reportFolder` (created when the first report is printed). Uninstalled on destruction.
class COperatorViews {
 public:
  COperatorViews(OperatorDisplay& display, std::string reportFolder);
  ~COperatorViews();
  COperatorViews(const COperatorViews&) = delete;
  COperatorViews& operator=(const COperatorViews&) = delete;
};

// Writes the printed form of a report (its header and body) to `folder` as
// "<serial, percent-encoded>.txt" (".2.txt", ".3.txt" … when the part was printed before).
// Returns the file written, or "" with `error` set.
std::string PrintReportFile(const CBerichtsView::Report& report, const std::string& folder,
                            std::string& error);
