#include "sequencer/InstrumentTimesliceAssociator.h"

namespace {

bool MeasureActive(int state) {
  return state == 2 || state == 5;
}
bool ModeActive(int state) {
  return state > 0;
}
bool CandidateActive(int state) {
  return state == 1 || state == 4 || state == 6;
}

// The client's view of the machine an expiry belongs to; null for the shift lane (no machine).
const CStateMachine* MachineOf(SignalBase::measuring_expire_t expire) {
  switch (expire) {
    case SignalBase::expire_measurement:
      return &CMeasureMachine::MeasureMachine();
    case SignalBase::expire_mode:
      return &CModeMachine::ModeMachine();
    case SignalBase::expire_candidate:
      return &CCandidateMachine::CandidateMachine();
    default:
      return nullptr;
  }
}

bool Active(SignalBase::measuring_expire_t expire, int state) {
  switch (expire) {
    case SignalBase::expire_measurement:
      return MeasureActive(state);
    case SignalBase::expire_mode:
      return ModeActive(state);
    case SignalBase::expire_candidate:
      return CandidateActive(state);
    default:
      return false;
  }
}

}  // namespace

bool CInstrumentTimesliceAssociator::context_matches(context_t context,
                                                     Kelva::sequencer_events_t event) {
  switch (event) {
    case Kelva::any_event:
      return true;
    case Kelva::end_measurement:
      return context.test(1);
    case Kelva::end_mode:
      return context.test(2);
    case Kelva::end_shiftlane:
      return context.test(3);
    case Kelva::remove_candidate:
    case Kelva::end_milestone:
      return context.test(4);
    default:
      return false;
  }
}

bool CInstrumentTimesliceAssociator::context_matches(uint64_t context,
                                                     Kelva::sequencer_events_t event) {
  return context_matches(context_t(context & 0x1f), event);
}

bool CInstrumentTimesliceAssociator::expire_matches(SignalBase::measuring_expire_t expire,
                                                    Kelva::sequencer_events_t event) {
  switch (expire) {
    case SignalBase::expire_measurement:
      return event == Kelva::end_measurement;
    case SignalBase::expire_mode:
      return event == Kelva::end_mode;
    case SignalBase::expire_shiftlane:
      return event == Kelva::end_shiftlane;
    case SignalBase::expire_candidate:
      return event == Kelva::end_milestone || event == Kelva::remove_candidate;
  }
  return false;
}

bool CInstrumentTimesliceAssociator::context_matches(uint64_t context, const CSCSClient& client) {
  const context_t bits(context & 0x1f);
  if (bits.test(1) && MeasureActive(client.State(CMeasureMachine::MeasureMachine()).state))
    return true;
  if (bits.test(2) && ModeActive(client.State(CModeMachine::ModeMachine()).state)) return true;
  if (bits.test(4) && CandidateActive(client.State(CCandidateMachine::CandidateMachine()).state))
    return true;
  return false;
}

bool CInstrumentTimesliceAssociator::state_matches(SignalBase::measuring_expire_t expire,
                                                   const CSCSClient& client) {
  const CStateMachine* machine = MachineOf(expire);
  return machine != nullptr && Active(expire, client.State(*machine).state);
}

bool CInstrumentTimesliceAssociator::state_starts(SignalBase::measuring_expire_t expire,
                                                  const CSCSClient& client) {
  const CStateMachine* machine = MachineOf(expire);
  if (machine == nullptr) return false;
  const CSCSClient::Result result = client.State(*machine);
  return result.changed && Active(expire, result.state);
}

bool CInstrumentTimesliceAssociator::state_ends(SignalBase::measuring_expire_t expire,
                                                const CSCSClient& client) {
  const CStateMachine* machine = MachineOf(expire);
  if (machine == nullptr) return false;
  const CSCSClient::Result result = client.State(*machine);
  return result.changed && !Active(expire, result.state);
}
