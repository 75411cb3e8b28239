#pragma once
// KelLearnItemBaseKernel: the counters and time stamps of one learn item.
//
// A learn item gathers statistics over good parts for one measured quantity. The kernel says
// how many values it has learned since its last start, how many it still has to learn and
// whether it learns at all. The learn machines read and write these fields directly, and the
// learn file stores them in this order.

#include <cstdint>
#include <tuple>

class KelLearnItemBaseKernel {
 public:
  // Active, nothing learned, nothing to learn; both times now. The learn machine starts such an
  // item with its learn procedure's count on the first value it offers.
  KelLearnItemBaseKernel();
  // The three counters as given; both times now.
  KelLearnItemBaseKernel(int32_t remaining, uint32_t count, int32_t active);
  virtual ~KelLearnItemBaseKernel() = default;
  KelLearnItemBaseKernel(const KelLearnItemBaseKernel&) = default;
  KelLearnItemBaseKernel& operator=(const KelLearnItemBaseKernel&) = default;

  // Counts one learned value; called before the statistics take it in:
  // count + 1; a positive remaining goes down by 1 (−1 never changes); at remaining 0 the item
  // goes inactive. So the value that brings remaining to 0 is still learned. The caller skips
  // an inactive item before this step. count stops at its largest value instead of wrapping to
  // 0, which would make the machine start the item anew.
  void LearnStep();

  // For a value offered to the item: an inactive item returns false and nothing moves; an
  // active one takes the learn step and returns true with the weight of the old average for
  // the time constant tc (CExpAverFacGenerator::GetFactor of the new count and tc).
  bool NextFactor(long tc, float& factor);

  // References to remaining, count, active, initTime, restartTime: the kernel's columns in the
  // learn file, in this order.
  auto KernelTuple() { return std::tie(remaining, count, active, initTime, restartTime); }
  auto KernelTuple() const { return std::tie(remaining, count, active, initTime, restartTime); }

  int32_t remaining;    // values still to learn; −1 learns forever, 0 nothing more
  uint32_t count;       // values learned since the last start
  int32_t active;       // non-zero while learning
  int64_t initTime;     // seconds since 1970 of the last start (InitNewLearn)
  int64_t restartTime;  // seconds since 1970 at which remaining was last set
};
