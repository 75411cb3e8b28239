#include "FuzzTrain.h"

#include <algorithm>

#include "host/MeasuringResult.h"
#include "host/Signal.h"
#include "host/StateMachine.h"

namespace Fuzz {

const uint32_t kWagonIds[] = {
    CMeasuringResultScalar::kWagonId,
    CMeasuringResultScalarTarget::kWagonId,
    CSignalieee32::kWagonId,
    CTypedSignal<unsigned long>::kWagonId,
    CDzPulsListe::kWagonId,
    CFueGroeHopListe::kWagonId,
    CResampInfo::kWagonId,
    CTriggerInfo::kWagonId,
    CThreadSynch::Key::kWagonId,
};
const size_t kWagonTypes = sizeof(kWagonIds) / sizeof(kWagonIds[0]);

CTrain TrainOf(const uint8_t* data, size_t size) {
  CTrain train;
  size_t at = 0;
  while (at + 3 <= size) {
    const uint32_t id = kWagonIds[data[at] % kWagonTypes];
    const size_t announced = data[at + 1] | static_cast<size_t>(data[at + 2]) << 8;
    at += 3;
    const size_t bytes = std::min(announced, size - at);
    train.AddMarshalled(id, data + at, static_cast<uint32_t>(bytes));
    at += bytes;
  }
  return train;
}

}  // namespace Fuzz
