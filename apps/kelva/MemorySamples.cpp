#include "MemorySamples.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "JsonLines.h"

namespace {

// The number of "<field>:   13204 kB" when `line` is that field's line.
bool FieldKib(const char* line, const char* field, int64_t& kib) {
  const size_t length = std::strlen(field);
  if (std::strncmp(line, field, length) != 0 || line[length] != ':') return false;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(line + length + 1, &end, 10);
  if (errno != 0 || end == line + length + 1 || value < 0) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (std::strncmp(end, "kB", 2) != 0) return false;
  kib = value;
  return true;
}

}  // namespace

bool ReadMemoryStatus(const std::string& statusPath, MemoryReading& reading, std::string& error) {
  std::FILE* file = std::fopen(statusPath.c_str(), "re");
  if (file == nullptr) {
    error = "cannot read the process's memory from " + statusPath + ": " + std::strerror(errno);
    return false;
  }
  bool haveRss = false;
  bool havePeak = false;
  char line[256];
  while (std::fgets(line, sizeof(line), file) != nullptr) {
    haveRss = FieldKib(line, "VmRSS", reading.rssKib) || haveRss;
    havePeak = FieldKib(line, "VmHWM", reading.peakKib) || havePeak;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || !haveRss || !havePeak) {
    error = "cannot read the process's memory from " + statusPath + ": " +
            (failed ? "a read failed" : "it has no VmRSS and VmHWM lines in kB");
    return false;
  }
  return true;
}

CMemorySamples::CMemorySamples(std::string csvPath, int every, std::string statusPath)
    : csvPath_(std::move(csvPath)),
      every_(every),
      statusPath_(std::move(statusPath)),
      on_(every > 0) {}

void CMemorySamples::GiveUp(const std::string& why) {
  std::fprintf(stderr, "kelva: %s; the run goes on without memory samples\n", why.c_str());
  on_ = false;
}

void CMemorySamples::Start() {
  if (!on_) return;
  std::string error;
  // The header alone first: an older run's samples are replaced even when no sample follows.
  if (!JsonLines::WriteWhole(csvPath_, std::string(kHeader) + "\n", error)) return GiveUp(error);
  Sample(0);
}

void CMemorySamples::AfterPart(int parts) {
  if (on_ && parts % every_ == 0) Sample(parts);
}

void CMemorySamples::Sample(int parts) {
  MemoryReading reading;
  std::string error;
  if (!ReadMemoryStatus(statusPath_, reading, error)) return GiveUp(error);
  const std::string line = std::to_string(parts) + "," + std::to_string(reading.rssKib) + "," +
                           std::to_string(reading.peakKib);
  if (!JsonLines::Append(csvPath_, line, error)) GiveUp(error);
}
