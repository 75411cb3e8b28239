// The identifier tables: CDovetarTranslator::Read. Their writer writes the installed plan's
// tables, not what was read, so there is no round trip here; the learn file's target writes
// them after every accepted read.
#include "FuzzSupport.h"
#include "host/File.h"
#include "params/DovetarTranslator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CDovetarTranslator tables;
  CMemFile file(std::vector<uint8_t>(data, data + size));
  std::string why;
  if (!tables.Read(file, why) && why.empty())
    Fuzz::Fail("identifier tables refused without a reason");
  return 0;
}
