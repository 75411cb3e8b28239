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
// append. Starting costs nothing that grows with the files: only their ends are read. A detail
// file found damaged when it is cut back is kept aside as "<name>.damaged-<timestamp>" and
// started anew. Failures are said once on stderr and never stop the run.

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
  void AppendDetail(const PartOutcome& outcome, const CPlugin& plugin);
  // Rewrites the detail file with the lines the report shows, once it holds twice as many.
  void Compact();
  void Complain(const std::string& message);

  std::string workdir_;
  bool prepared_ = false;
  bool failed_ = false;
  bool complained_ = false;
  bool detailCounted_ = false;  // the detail file's lines are counted at its first append
  size_t detailLines_ = 0;
};
