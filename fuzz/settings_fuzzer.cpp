// The settings file: SeaFile::Parse, and SeaFile::Format of what it read. Whatever an input
// leaves in the stores (also after dropping damaged entries) formats into a text that parses
// without a drop and formats to the same text again.
#include <string>

#include "FuzzSupport.h"
#include "host/Sea.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SeaFile::Parse(std::string(reinterpret_cast<const char*>(data), size), "settings.txt");
  const std::string written = SeaFile::Format();
  if (!SeaFile::Parse(written, "settings.txt"))
    Fuzz::Fail("a settings text written from read settings drops an entry");
  const std::string again = SeaFile::Format();
  Fuzz::RequireSameBytes(std::vector<uint8_t>(written.begin(), written.end()),
                         std::vector<uint8_t>(again.begin(), again.end()),
                         "settings written, read and written again");
  return 0;
}
