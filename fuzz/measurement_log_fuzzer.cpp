// The measurement log (replay): CMeasurementLogReader reads the input's parts until the end or
// the first refused one. The parts it handed out are written with CMeasurementLogWriter; that
// log must read back part for part and write the same bytes again.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "MeasurementLogReader.h"
#include "MeasurementLogWriter.h"
#include "host/File.h"

namespace {

struct ReadLog {
  std::string platform;
  std::vector<PartRecord> parts;
  std::string error;  // why the reader stopped before the end, or ""
};

ReadLog Read(const std::string& path) {
  CMeasurementLogReader reader({path});
  ReadLog log;
  PartRecord part;
  while (reader.Next(part, log.error)) log.parts.push_back(part);
  log.platform = reader.Platform();
  return log;
}

// Writes the parts as a log under `name` and returns its bytes.
std::string Write(const ReadLog& log, const std::string& name) {
  const std::string path = Fuzz::ScratchFile(name, "");
  CMeasurementLogWriter writer;
  std::string error;
  if (!writer.Open(path, log.platform, error)) Fuzz::Fail("cannot open a log: " + error);
  for (const PartRecord& part : log.parts)
    if (!writer.Write(part, part.recordedResult, part.cycleMs, error))
      Fuzz::Fail("cannot write a read part: " + error);
  if (!writer.Finish(error)) Fuzz::Fail("cannot finish a log: " + error);
  std::string bytes, why;
  if (ReadRegularFile(path, bytes, why) != ReadFileResult::ok) Fuzz::Fail("a written log: " + why);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ReadLog first =
      Read(Fuzz::ScratchFile("input.log", std::string(reinterpret_cast<const char*>(data), size)));
  if (first.parts.empty()) return 0;
  const std::string written = Write(first, "first.log");
  const ReadLog second = Read(Fuzz::ScratchFile("second-input.log", written));
  if (!second.error.empty())
    Fuzz::Fail("a log written from read parts is refused: " + second.error);
  if (second.parts.size() != first.parts.size()) Fuzz::Fail("a written log lost parts");
  const std::string again = Write(second, "second.log");
  Fuzz::RequireSameBytes(std::vector<uint8_t>(written.begin(), written.end()),
                         std::vector<uint8_t>(again.begin(), again.end()),
                         "measurement log written, read and written again");
  return 0;
}
