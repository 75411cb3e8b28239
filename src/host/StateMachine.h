#pragma once
// The host's test-sequence state machines and the client that reads them.
//
// The host has three process-wide machines: the measure machine (2 and 5 are its measuring
// states), the mode machine (a mode is active while its state is above 0) and the candidate
// machine (1, 4 and 6 are the states in which a part is in the bench). The bench sets their
// states; every transition gets a number from one sequence shared by all machines, and the
// machines keep their recent transitions.
//
// A CThreadSynch::Key is the point of that sequence at which a worker thread produced its data.
// CSCSClient::Process(key) sets the client's view of each registered machine to the state the
// machine had at that point, so a train is judged against the sequence as it stood when it was
// made, however late it arrives. The changed flag of a machine tells that its viewed state
// differs from the one the client saw before.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/RailwayObject.h"

class CStateMachine {
 public:
  // Transitions kept for keys that arrive late; older keys can no longer be resolved.
  static constexpr size_t kKeptTransitions = 256;

  CStateMachine(const CStateMachine&) = delete;
  CStateMachine& operator=(const CStateMachine&) = delete;

  const char* Name() const { return name_; }
  int State() const { return state_; }
  // Makes `state` current; records the transition under the next sequence number.
  void SetState(int state);
  // The state at sequence point `sequence`; false when that point is older than the kept
  // transitions or lies in the future.
  bool StateAt(int64_t sequence, int& state) const;
  // Back to state 0 with no recorded transitions (tests and bench restarts).
  void Reset();

 protected:
  explicit CStateMachine(const char* name) : name_(name) {}

 private:
  const char* name_;
  int state_ = 0;
  std::deque<std::pair<int64_t, int>> transitions_;  // (sequence number, new state)
  int stateBeforeKept_ = 0;                          // the state before the oldest kept transition
  int64_t forgottenBefore_ = 0;  // sequence points below this cannot be resolved
};

// The sequence number of the latest transition of any machine (0 before the first).
int64_t CurrentStateSequence();

class CMeasureMachine : public CStateMachine {
 public:
  static CMeasureMachine& MeasureMachine();

 private:
  CMeasureMachine() : CStateMachine("Measure") {}
};

class CModeMachine : public CStateMachine {
 public:
  static CModeMachine& ModeMachine();

 private:
  CModeMachine() : CStateMachine("Mode") {}
};

class CCandidateMachine : public CStateMachine {
 public:
  static CCandidateMachine& CandidateMachine();

 private:
  CCandidateMachine() : CStateMachine("Candidate") {}
};

namespace CThreadSynch {
// A point of the state sequence: `sequence` -1 means "now"; `thread` names the producer.
// It travels in trains as a wagon.
struct Key : public CRailwayObject {
  static constexpr uint32_t kWagonId = MarshalingYard::FourCC('T', 'S', 'O', 'K');
  Key() = default;
  Key(int64_t sequence, int64_t thread) : sequence(sequence), thread(thread) {}
  int64_t sequence = -1;
  int64_t thread = -1;

  uint32_t WagonId() const override { return kWagonId; }
  void Marshal(std::vector<uint8_t>& out) const override;
  static std::optional<Key> Unmarshal(const uint8_t* data, size_t size);
};
// A key for the current point of the sequence, as a worker thread takes it.
Key CurrentKey(int64_t thread);
}  // namespace CThreadSynch

class CSCSClient {
 public:
  struct Result {
    int state = 0;
    bool changed = false;
    bool valid = false;  // false for a machine that is not registered or not yet processed
  };

  // Adds a machine to the client's view (once).
  void Register(CStateMachine& machine);
  // Registers the measure, mode and candidate machines.
  void RegisterAll();
  // Views every registered machine at the key's point; false when no machine is registered or
  // a machine cannot resolve that point (the view is then unchanged).
  bool Process(const CThreadSynch::Key& key);
  // The viewed state of a machine after the last successful Process.
  Result State(const CStateMachine& machine) const;
  // "Mode=3* Candidate=1": every registered machine with its viewed state, '*' when changed.
  std::string ToString() const;

 private:
  struct Entry {
    CStateMachine* machine;
    Result result;
    int viewed;  // the state at the key in Process, before all machines have resolved it
  };
  std::vector<Entry> entries_;
};
