#include "host/StateMachine.h"

#include <atomic>

namespace {
// Read by worker threads taking keys, advanced by the bench on the main thread.
std::atomic<int64_t>& Sequence() {
  static std::atomic<int64_t> sequence{0};
  return sequence;
}
}  // namespace

int64_t CurrentStateSequence() {
  return Sequence().load();
}

void CStateMachine::SetState(int state) {
  state_ = state;
  transitions_.emplace_back(++Sequence(), state);
  if (transitions_.size() > kKeptTransitions) {
    stateBeforeKept_ = transitions_.front().second;
    forgottenBefore_ = transitions_.front().first;
    transitions_.pop_front();
  }
}

bool CStateMachine::StateAt(int64_t sequence, int& state) const {
  if (sequence < 0) {
    state = state_;
    return true;
  }
  if (sequence > CurrentStateSequence() || sequence < forgottenBefore_) return false;
  // The newest transition at or before the point holds. Keys mostly name a recent point, so the
  // search starts at the newest transition.
  for (auto transition = transitions_.rbegin(); transition != transitions_.rend(); ++transition)
    if (transition->first <= sequence) {
      state = transition->second;
      return true;
    }
  state = stateBeforeKept_;
  return true;
}

void CStateMachine::Reset() {
  state_ = 0;
  transitions_.clear();
  stateBeforeKept_ = 0;
  forgottenBefore_ = 0;
}

CMeasureMachine& CMeasureMachine::MeasureMachine() {
  static CMeasureMachine machine;
  return machine;
}

CModeMachine& CModeMachine::ModeMachine() {
  static CModeMachine machine;
  return machine;
}

CCandidateMachine& CCandidateMachine::CandidateMachine() {
  static CCandidateMachine machine;
  return machine;
}

CThreadSynch::Key CThreadSynch::CurrentKey(int64_t thread) {
  return Key(CurrentStateSequence(), thread);
}

void CSCSClient::Register(CStateMachine& machine) {
  for (const Entry& entry : entries_)
    if (entry.machine == &machine) return;
  entries_.push_back(Entry{&machine, Result{}, 0});
}

void CSCSClient::RegisterAll() {
  Register(CMeasureMachine::MeasureMachine());
  Register(CModeMachine::ModeMachine());
  Register(CCandidateMachine::CandidateMachine());
}

bool CSCSClient::Process(const CThreadSynch::Key& key) {
  if (entries_.empty()) return false;
  for (Entry& entry : entries_)
    if (!entry.machine->StateAt(key.sequence, entry.viewed)) return false;
  for (Entry& entry : entries_) {
    Result& result = entry.result;
    result.changed = !result.valid || result.state != entry.viewed;
    result.state = entry.viewed;
    result.valid = true;
  }
  return true;
}

CSCSClient::Result CSCSClient::State(const CStateMachine& machine) const {
  for (const Entry& entry : entries_)
    if (entry.machine == &machine) return entry.result;
  return Result{};
}

std::string CSCSClient::ToString() const {
  std::string text;
  for (const Entry& entry : entries_) {
    if (!text.empty()) text += ' ';
    text += entry.machine->Name();
    text += '=';
    text += std::to_string(entry.result.state);
    if (entry.result.changed) text += '*';
  }
  return text;
}
