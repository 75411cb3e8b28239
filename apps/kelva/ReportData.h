#pragma once
// CReportData: what `kelva report` reads, recorded by `kelva run` after every part in the work
// directory's "Report/" folder. The history file keeps only the latest parts, so the report has
// its own record:
//   Report/parts.jsonl   one line per part: serial, type, result, result code, the signal
//                        light's modes with their colours, the lamp commands, the report text
//                        of a part that did not pass, and the error list;
//   Report/detail.jsonl  for the parts DetailRule records: serial, result code and the
//                        plug-in's description of the part (KelvaDescribePart).
// Lines are appended whole. A torn last line left by a killed run is cut off before the first
// append; a file that cannot be read is kept aside as "<name>.damaged-<timestamp>" and started
// anew. Failures are said once on stderr and never stop the run.

#include <cstddef>
#include <string>

#include "PartDriver.h"
#include "Plugin.h"

class CReportData {
 public:
  // `workdir` ends in '/'.
  explicit CReportData(std::string workdir);

  void AddPart(const PartOutcome& outcome, const std::string& type, const CPlugin& plugin);

  static std::string PartsFile(const std::string& workdir) {
    return workdir + "Report/parts.jsonl";
  }
  static std::string DetailFile(const std::string& workdir) {
    return workdir + "Report/detail.jsonl";
  }

 private:
  bool Prepare();
  // The number of lines of a file that is read fine; a damaged one is kept aside (0 lines).
  size_t Recover(const std::string& path, size_t* okParts);
  void AppendDetail(const PartOutcome& outcome, const CPlugin& plugin);
  // Rewrites the detail file with the lines the report shows, once it holds twice as many.
  void Compact();
  void Complain(const std::string& message);

  std::string workdir_;
  bool prepared_ = false;
  bool failed_ = false;
  bool complained_ = false;
  size_t okParts_ = 0;
  size_t detailLines_ = 0;
};
