#pragma once
// `kelva report --html OUT [WORKDIR]`: one self-contained HTML page of the runs recorded in a
// work directory (WORKDIR/Report/, written by `kelva run`), written to OUT through a temporary
// file renamed into place.

#include <string>

struct ReportOptions {
  std::string html;  // OUT
  std::string workdir = "kelva-work";
};

// The process exit code: 0 the page is written (one line on stdout says where), 2 the report
// data is missing or damaged, or OUT cannot be written (the reason on stderr, naming the file
// and, for a damaged line, its number).
int WriteReport(const ReportOptions& options);
