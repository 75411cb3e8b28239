#include "learn/KelLearnSummary.h"

#include <algorithm>
#include <map>

#include "learn/KelLearnCurveTrackMachine.h"
#include "learn/KelLearnScalarTrackMachine.h"
#include "learn/KelLearnStore.h"

namespace {

class Tally {
 public:
  explicit Tally(const CKelLearnStore& store) : store_(store) {}

  // One quantity: the counts of its items (one for a final value, one per point of a track).
  template <typename Counts>
  void Add(const QClavis& key, const Counts& counts) {
    if (!store_.NrToLearn(key).second) return;
    const uint32_t base = store_.NrOfBaseLearn(key).first;
    uint32_t most = 0;
    bool enough = true;
    counts([&](uint32_t count) {
      most = std::max(most, count);
      enough = enough && count >= base;
    });
    // Items that never learned a value (made for the limits of a quantity that has not been
    // measured yet) say nothing about how far learning got.
    if (most == 0) return;
    auto [entry, added] = modes_.try_emplace(key.mode());
    mode_learning_t& mode = entry->second;
    mode.mode = key.mode();
    mode.fewestParts = added ? most : std::min(mode.fewestParts, most);
    mode.mostParts = std::max(mode.mostParts, most);
    ++mode.quantities;
    if (enough) ++mode.learnedEnough;
  }

  std::vector<mode_learning_t> Modes() const {
    std::vector<mode_learning_t> modes;
    for (const auto& entry : modes_) modes.push_back(entry.second);
    return modes;
  }

 private:
  const CKelLearnStore& store_;
  std::map<int32_t, mode_learning_t> modes_;
};

template <typename Table>
void AddFinal(Tally& tally, const Table& table) {
  // Entries, not structured bindings: clang 14 cannot capture a binding in a lambda.
  for (const auto& entry : table) {
    const auto& item = entry.second;
    tally.Add(entry.first, [&item](auto visit) { visit(item.count); });
  }
}

template <typename Table, typename Machine>
void AddTracks(Tally& tally, const Table& table, const Machine& machine) {
  for (const auto& entry : table) {
    const auto& track = entry.second;
    tally.Add(machine.DovetarOfKey(entry.first), [&track](auto visit) {
      for (const auto& point : track) visit(point.second.count);
    });
  }
}

}  // namespace

std::vector<mode_learning_t> KelLearnSummary(const CKelLearnStore& store) {
  Tally tally(store);
  AddFinal(tally, store.LearnedSingleValue());
  AddFinal(tally, store.LearnedSigCurveMap());
  AddTracks(tally, store.LearnedScalarTrack(), store.ScalarTrackLearnMachine());
  AddTracks(tally, store.LearnedCurveTrack(), store.CurveTrackLearnMachine());
  return tally.Modes();
}
