#pragma once

#include <cstdint>

namespace SignalBase {
// At which end of the test sequence a measured result becomes final.
enum measuring_expire_t : int32_t {
  expire_measurement = 1,
  expire_mode = 2,
  expire_shiftlane = 3,
  expire_candidate = 4,
};
}  // namespace SignalBase
