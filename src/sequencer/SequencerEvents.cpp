#include "sequencer/SequencerEvents.h"

namespace Kelva {

const char* SequencerEventName(sequencer_events_t event) {
  switch (event) {
    case all_events:
      return "all_events";
    case any_event:
      return "any_event";
    case idle_event:
      return "idle_event";
    case end_ratiotest:
      return "end_ratiotest";
    case end_shiftlane:
      return "end_shiftlane";
    case begin_measurement:
      return "begin_measurement";
    case end_measurement:
      return "end_measurement";
    case cancel_measurement:
      return "cancel_measurement";
    case begin_mode:
      return "begin_mode";
    case end_mode:
      return "end_mode";
    case purge_results:
      return "purge_results";
    case suspend_checks:
      return "suspend_checks";
    case resume_checks:
      return "resume_checks";
    case insert_candidate:
      return "insert_candidate";
    case remove_candidate:
      return "remove_candidate";
    case drop_candidate:
      return "drop_candidate";
    case begin_milestone:
      return "begin_milestone";
    case end_milestone:
      return "end_milestone";
  }
  return "unknown event";
}

}  // namespace Kelva
