#pragma once
// CInstrumentTimesliceAssociator: decides whether a stored value belongs to a sequencer event
// (by its context or its expiry), or to the current state of the host's state machines.
//
// Context bits: 1 measurement, 2 mode, 3 shift lane, 4 candidate; bit 0 is not used and only
// the low five bits count.

#include <bitset>
#include <cstdint>

#include "host/Signal.h"
#include "host/StateMachine.h"
#include "sequencer/SequencerEvents.h"

class CInstrumentTimesliceAssociator {
 public:
  using context_t = std::bitset<5>;

  // any_event matches every context; end_measurement bit 1, end_mode bit 2, end_shiftlane
  // bit 3, remove_candidate and end_milestone bit 4; every other event matches nothing.
  static bool context_matches(context_t context, Kelva::sequencer_events_t event);
  static bool context_matches(uint64_t context, Kelva::sequencer_events_t event);
  // True for (1, end_measurement), (2, end_mode), (3, end_shiftlane), (4, end_milestone) and
  // (4, remove_candidate).
  static bool expire_matches(SignalBase::measuring_expire_t expire,
                             Kelva::sequencer_events_t event);

  // True when any set context bit is active in the client's view: bit 1 while the measure
  // machine is in state 2 or 5, bit 2 while the mode machine is above 0, bit 4 while the
  // candidate machine is in state 1, 4 or 6; bit 3 is never active.
  static bool context_matches(uint64_t context, const CSCSClient& client);
  // Whether the machine an expiry belongs to is in its active states (3: never).
  static bool state_matches(SignalBase::measuring_expire_t expire, const CSCSClient& client);
  // Active, and the machine's changed flag is set.
  static bool state_starts(SignalBase::measuring_expire_t expire, const CSCSClient& client);
  // Changed flag set and the state outside the active states (3: never).
  static bool state_ends(SignalBase::measuring_expire_t expire, const CSCSClient& client);
};
