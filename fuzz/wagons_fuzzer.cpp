// Marshalled wagons and trains: every wagon of a fuzzed train is read as the type its id names
// (ViewWagon; ReadWagon gives the same) and as another type, which must give nothing. A wagon
// that is read is marshalled again; that form must read back and marshal to the same bytes.
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTrain.h"
#include "host/MeasuringResult.h"
#include "host/Signal.h"
#include "host/StateMachine.h"

namespace {

template <typename T>
void RoundTrip(const CTrain& train, const CTrain::SWagon& wagon) {
  std::optional<T> storage;
  const T* read = ViewWagon<T>(train, wagon, storage);
  const bool isT = wagon.id == T::kWagonId;
  if (read != nullptr && !isT) Fuzz::Fail("a wagon was read as a type its id does not name");
  if (read == nullptr) return;
  std::vector<uint8_t> written;
  read->Marshal(written);
  const std::optional<T> second = T::Unmarshal(written.data(), written.size());
  if (!second) Fuzz::Fail("a wagon marshalled from a read one is refused");
  std::vector<uint8_t> again;
  second->Marshal(again);
  Fuzz::RequireSameBytes(written, again, "wagon marshalled, read and marshalled again");
  if (!ReadWagon<T>(train, wagon)) Fuzz::Fail("ReadWagon and ViewWagon differ");
}

void ReadEveryType(const CTrain& train, const CTrain::SWagon& wagon) {
  RoundTrip<CMeasuringResultScalar>(train, wagon);
  RoundTrip<CMeasuringResultScalarTarget>(train, wagon);
  RoundTrip<CSignalieee32>(train, wagon);
  RoundTrip<CTypedSignal<unsigned long>>(train, wagon);
  RoundTrip<CDzPulsListe>(train, wagon);
  RoundTrip<CFueGroeHopListe>(train, wagon);
  RoundTrip<CResampInfo>(train, wagon);
  RoundTrip<CTriggerInfo>(train, wagon);
  RoundTrip<CThreadSynch::Key>(train, wagon);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const CTrain train = Fuzz::TrainOf(data, size);
  for (const CTrain::SWagon& wagon : train) {
    if (train.Data(wagon) == nullptr && wagon.size != 0) Fuzz::Fail("a wagon lost its bytes");
    ReadEveryType(train, wagon);
  }
  return 0;
}
