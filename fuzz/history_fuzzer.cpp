// The history file: CKelValueStore::ReadHistory, and WriteHistory of what it read.
#include "FuzzSupport.h"
#include "host/File.h"
#include "store/KelValueStore.h"

namespace {

// Deep enough to keep every section a small input announces; deeper ones are dropped on
// reading, which the second read then sees already done.
constexpr unsigned kDepth = 16;

bool Read(CKelValueStore& store, std::vector<uint8_t> bytes) {
  store.SetHistoryDepth(kDepth);
  CMemFile file(std::move(bytes));
  return store.ReadHistory(file);
}

std::vector<uint8_t> Write(const CKelValueStore& store) {
  CMemFile file;
  if (!store.WriteHistory(file)) Fuzz::Fail("the history of a read file cannot be written");
  return file.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CKelValueStore first;
  if (!Read(first, std::vector<uint8_t>(data, data + size))) return 0;
  CKelValueStore second;
  Fuzz::RequireRoundTrip(first, second, Read, Write, "history file");
  if (second.HistoryCount() != first.HistoryCount()) Fuzz::Fail("the history count changed");
  return 0;
}
