#pragma once
// CValueStoreBase: what the four sub-stores of the value store have in common — the view of
// the parameter database, the history depths, and the lifecycle operations the value store
// forwards to each of them.

#include <cstdint>

#include "host/Params.h"
#include "sequencer/SequencerEvents.h"

namespace KelValueStore {
// How history sections are combined into a current value.
enum history_average_mode_t : int32_t {
  ham_none = 0,            // nothing; AverageHistory returns false
  ham_mean = 1,            // mean of all history sections
  ham_moving_average = 2,  // mean of the newest maHistoryDepth sections
  ham_mean_drop = 3,       // final stores: as ham_mean; track stores: mean of the fitting sections
  ham_max = 4,             // maximum
};
}  // namespace KelValueStore

class CValueStoreBase {
 public:
  CValueStoreBase() = default;
  CValueStoreBase(const CValueStoreBase&) = delete;
  CValueStoreBase& operator=(const CValueStoreBase&) = delete;

  // Values, history and (track stores) key maps.
  virtual void PurgeStore() {
    DismissValues();
    DismissHistory();
  }
  // Current values and their work lists; the history stays.
  virtual void DismissValues() = 0;
  virtual void DismissHistory() = 0;
  // The values of one mode: all of them for event -1, else those whose context matches.
  virtual void DeleteEntriesOfMode(int mode, Kelva::sequencer_events_t event) = 0;
  virtual void DumpTables() const = 0;
  virtual bool empty(int mode) const = 0;
  virtual bool empty() const = 0;
  // Replaces current values by combinations of their history; false when nothing was averaged.
  virtual bool AverageHistory(bool all, KelValueStore::history_average_mode_t mode) = 0;
  // Copies the values awaiting validation into history section `historyIndex`.
  virtual void CopyToHistoryStore(int historyIndex) = 0;
  virtual ~CValueStoreBase() = default;

  // 0 keeps no history.
  void SetHistoryDepth(unsigned depth) { historyDepth_ = depth; }
  unsigned HistoryDepth() const { return historyDepth_; }
  void SetMAHistoryDepth(unsigned depth) { maHistoryDepth_ = depth; }
  unsigned MAHistoryDepth() const { return maHistoryDepth_; }

 protected:
  CDtParamInstance params_;
  unsigned historyDepth_ = 0;
  unsigned maHistoryDepth_ = 1;
};
