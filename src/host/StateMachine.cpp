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
  int viewed = stateBeforeKept_;
  for (const auto& [number, value] : transitions_) {
    if (number > sequence) break;
    viewed = value;
  }
  state = viewed;
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
  entries_.push_back(Entry{&machine, Result{}});
}

void CSCSClient::RegisterAll() {
  Register(CMeasureMachine::MeasureMachine());
  Register(CModeMachine::ModeMachine());
  Register(CCandidateMachine::CandidateMachine());
}

bool CSCSClient::Process(const CThreadSynch::Key& key) {
  if (entries_.empty()) return false;
  std::vector<int> states(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!entries_[i].machine->StateAt(key.sequence, states[i])) return false;
  for (size_t i = 0; i < entries_.size(); ++i) {
    Result& result = entries_[i].result;
    result.changed = !result.valid || result.state != states[i];
    result.state = states[i];
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
