#pragma once
// The events of the test sequence and the measuring states of modes. The numbers are passed
// unchanged to the stores, the learn store and the result shop, so they are part of those
// contracts and never change.

#include <cstdint>

namespace Kelva {

enum sequencer_events_t : int32_t {
  all_events = -1,  // every event, when a whole mode is cleared
  any_event = 0,    // matches every context
  // 1 is not used
  idle_event = 2,
  end_ratiotest = 3,
  end_shiftlane = 4,
  begin_measurement = 5,
  end_measurement = 6,
  cancel_measurement = 7,
  begin_mode = 8,
  end_mode = 9,
  purge_results = 10,
  suspend_checks = 11,
  resume_checks = 12,
  insert_candidate = 13,
  remove_candidate = 14,
  drop_candidate = 15,
  begin_milestone = 16,
  end_milestone = 17,
};

// The measuring state of one base mode.
enum measure_state_t : int32_t {
  ms_none = 0,       // initial; mode not used in this run
  ms_measured = 1,   // end_measurement (unless canceled), end_shiftlane
  ms_applied = 2,    // begin_mode
  ms_measuring = 3,  // begin_measurement
  ms_canceled = 4,   // cancel_measurement while measuring
};

// "end_mode" for a known event, "event 42" otherwise (for trace lines).
const char* SequencerEventName(sequencer_events_t event);

}  // namespace Kelva
