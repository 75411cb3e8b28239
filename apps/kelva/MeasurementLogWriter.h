#pragma once
// Writes parts into a measurement log (docs/measurement-log.md): JSON Lines, a header line,
// then per part its events and measured values, one per line. The log is written under a
// temporary name beside the file and renamed into place when the run finishes, so an
// earlier log of that name is replaced only by a complete new one. Each part goes to the file
// in one write, whole: a write that fails part way is cut off again, so the temporary file
// keeps ending after its last whole part.

#include <cstdint>
#include <string>

#include "PartRecord.h"

namespace MeasurementLog {
constexpr char kName[] = "kelva measurement log";
constexpr int kVersion = 1;
}  // namespace MeasurementLog

class CMeasurementLogWriter {
 public:
  CMeasurementLogWriter() = default;
  ~CMeasurementLogWriter();
  CMeasurementLogWriter(const CMeasurementLogWriter&) = delete;
  CMeasurementLogWriter& operator=(const CMeasurementLogWriter&) = delete;

  // Creates the temporary file and writes the header. False with `error` set when it cannot
  // (the temporary file is then removed).
  bool Open(const std::string& path, const std::string& platform, std::string& error);
  bool IsOpen() const { return fd_ >= 0; }
  // The part's lines, ending with its result (NorviDefs::result_t; below 0: not known) and the
  // bench time its cycle took. False with `error` set when the write fails: the log then stops,
  // and its temporary file is kept with the parts written before, whole.
  bool Write(const PartRecord& record, int32_t result, uint64_t cycleMs, std::string& error);
  // Flushes and renames the log into place. False with `error` set when that fails (the
  // temporary file is kept then, and named in the error).
  bool Finish(std::string& error);

  // The lines of one part (each ending in "\n").
  static std::string PartLines(const PartRecord& record, int32_t result, uint64_t cycleMs);

 private:
  bool Append(const std::string& bytes, std::string& error);

  int fd_ = -1;
  std::string path_;
  std::string temporary_;
};
