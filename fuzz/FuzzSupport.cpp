#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "host/Crc32.h"
#include "host/Output.h"

namespace Fuzz {

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

void RequireSameBytes(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second,
                      const std::string& what) {
  if (first == second) return;
  size_t at = 0;
  while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
  Fail(what + ": " + std::to_string(first.size()) + " against " + std::to_string(second.size()) +
       " bytes, first difference at byte " + std::to_string(at));
}

std::vector<uint8_t> WithTrailingCrc(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  if (size < 4) return bytes;
  const uint32_t crc = Crc32::Of(bytes.data(), size - 4);
  for (int i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  return bytes;
}

namespace {

std::set<std::string>& ScratchFiles() {
  static std::set<std::string> files;
  return files;
}

void RemoveScratchFiles() {
  for (const std::string& path : ScratchFiles()) std::remove(path.c_str());
}

}  // namespace

std::string ScratchFile(const std::string& name, const std::string& bytes) {
  const char* folder = std::getenv("TMPDIR");
  const std::string path = std::string(folder != nullptr && *folder != 0 ? folder : "/tmp") +
                           "/kelva-fuzz-" + std::to_string(::getpid()) + "-" + name;
  if (ScratchFiles().insert(path).second && ScratchFiles().size() == 1)
    std::atexit(RemoveScratchFiles);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Fail("cannot create the scratch file " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) Fail("cannot write the scratch file " + path);
  return path;
}

void QuietOutput() {
  PrWin::DefaultStderrSink().SetMask(0);
}

}  // namespace Fuzz

// Every target starts quiet.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Fuzz::QuietOutput();
  return 0;
}
