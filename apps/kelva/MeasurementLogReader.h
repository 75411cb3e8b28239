#pragma once
// Reads parts from measurement logs (docs/measurement-log.md), one file after the other. A
// part is handed out only when all of its lines have been read and every field is valid;
// otherwise the reader refuses it with "<file>:<line>: <field>: <what is wrong>" and the part
// is not handed out at all.

#include <cstdint>
#include <string>
#include <vector>

#include "JsonLine.h"
#include "LineReader.h"
#include "PartSource.h"

class CMeasurementLogReader : public CPartSource {
 public:
  // How scalar lines are read: `direct` takes the plainly valid ones in one pass (ScalarLine.h),
  // `general` reads every line through the JSON tree; both give the same parts and errors.
  enum class ScalarLines { direct, general };

  explicit CMeasurementLogReader(std::vector<std::string> files,
                                 ScalarLines scalarLines = ScalarLines::direct);

  bool Next(PartRecord& part, std::string& error) override;
  std::string Platform() const override { return platform_; }
  // How many parts were handed out so far.
  int PartsRead() const { return partsRead_; }

 private:
  // Opens the next file and reads its header; false at the end of the files (error empty) or
  // when the file or its header is refused.
  bool OpenNextFile(std::string& error);
  // Reads the next non-empty line into text_; false at the end of the file (error empty) or
  // when the file cannot be read further.
  bool NextLine(std::string& error);
  // Parses text_ into json_; false when it is not a JSON object.
  bool ParseLine(std::string& error);
  // The lines after the part's "insert" up to its "remove".
  bool ReadPart(PartRecord& part, std::string& error);
  std::string Where() const;

  std::vector<std::string> files_;
  ScalarLines scalarLines_;
  size_t nextFile_ = 0;
  CLineReader in_;
  bool open_ = false;
  std::string file_;
  uint64_t lineNumber_ = 0;
  std::string_view text_;  // the current line, in the reader's buffer
  CJsonLine json_;         // and its values
  std::string platform_;
  int partsRead_ = 0;
};
