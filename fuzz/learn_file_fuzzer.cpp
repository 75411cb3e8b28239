// The learn file: KelLearnFile::Read, and KelLearnFile::Write of what it read. The input's last
// four bytes are replaced by its checksum, so the fuzzer reaches the blocks behind it. The
// identifier tables a learn file holds are written from the installed plan (here none), so
// the round trip compares the first write with the second.
#include "FuzzSupport.h"
#include "host/File.h"
#include "learn/KelLearnFile.h"
#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace {

struct LearnStore {
  CKelValueStore values;
  CKelLearnStore learned{values, -1};
};

bool Read(LearnStore& store, std::vector<uint8_t> bytes) {
  CMemFile file(std::move(bytes));
  std::string why;
  return KelLearnFile::Read(store.learned, file, why);
}

std::vector<uint8_t> Write(LearnStore& store) {
  CMemFile file;
  if (!KelLearnFile::Write(store.learned, file)) Fuzz::Fail("a read learn file cannot be written");
  return file.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LearnStore first;
  if (!Read(first, Fuzz::WithTrailingCrc(data, size))) return 0;
  LearnStore second;
  Fuzz::RequireRoundTrip(first, second, Read, Write, "learn file");
  return 0;
}
