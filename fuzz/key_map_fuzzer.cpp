// The track key map: CKelTrackStoreBase::ReadKeyMap, and WriteKeyMap of what it read. A map
// that is read gives every quantity a track key of its own, and a new quantity gets a key no
// quantity of the map has.
#include <set>

#include "FuzzSupport.h"
#include "host/File.h"
#include "store/KelTrackScalarStore.h"

namespace {

bool Read(CKelTrackScalarStore& store, std::vector<uint8_t> bytes) {
  CMemFile file(std::move(bytes));
  return store.ReadKeyMap(file);
}

std::vector<uint8_t> Write(const CKelTrackScalarStore& store) {
  CMemFile file;
  if (!store.WriteKeyMap(file)) Fuzz::Fail("a read key map cannot be written");
  return file.Bytes();
}

// Every track key of the map once, each pointing back to its quantity.
void RequireUniqueKeys(const CKelTrackScalarStore& store) {
  std::set<QIdx1> keys;
  for (const auto& [quantity, trackKey] : store.KeyMap()) {
    if (!keys.insert(trackKey).second) Fuzz::Fail("two quantities share a track key");
    if (!(store.DovetarOfKey(trackKey) == quantity))
      Fuzz::Fail("a track key does not lead back to its quantity");
  }
}

// A quantity the map cannot hold: no plan key has a negative sub-key of -77.
const QClavis kNewQuantity(-77, -77, -77, -77, -77, -77);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CKelTrackScalarStore first;
  if (!Read(first, std::vector<uint8_t>(data, data + size))) return 0;
  RequireUniqueKeys(first);
  CKelTrackScalarStore second;
  Fuzz::RequireRoundTrip(first, second, Read, Write, "key map");
  if (first.KeyMap().find(kNewQuantity) == first.KeyMap().end()) {
    const size_t before = first.KeyMap().size();
    first.GenerateKeyOfDovetar(kNewQuantity);
    if (first.KeyMap().size() != before + 1) Fuzz::Fail("a new quantity got no track key");
    RequireUniqueKeys(first);
  }
  return 0;
}
