#pragma once
// Reads parts from measurement logs (docs/measurement-log.md), one file after the other. A
// part is handed out only when all of its lines have been read and every field is valid;
// otherwise the reader refuses it with "<file>:<line>: <field>: <what is wrong>" and the part
// is not handed out at all.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "JsonLine.h"
#include "PartSource.h"

class CMeasurementLogReader : public CPartSource {
 public:
  explicit CMeasurementLogReader(std::vector<std::string> files);

  bool Next(PartRecord& part, std::string& error) override;
  std::string Platform() const override { return platform_; }
  // How many parts were handed out so far.
  int PartsRead() const { return partsRead_; }

 private:
  // Opens the next file and reads its header; false at the end of the files (error empty) or
  // when the file or its header is refused.
  bool OpenNextFile(std::string& error);
  // Parses the next non-empty line into json_; false at the end of the file (error empty) or
  // when the line is not a JSON object.
  bool NextLine(std::string& error);
  // The lines after the part's "insert" up to its "remove".
  bool ReadPart(PartRecord& part, std::string& error);
  std::string Where() const;

  std::vector<std::string> files_;
  size_t nextFile_ = 0;
  std::ifstream in_;
  bool open_ = false;
  std::string file_;
  uint64_t lineNumber_ = 0;
  std::string text_;  // the current line
  CJsonLine json_;    // and its values
  std::string platform_;
  int partsRead_ = 0;
};
