#pragma once
// CKelValueStore: everything measured on the current part, per test mode, with a bounded
// history of earlier parts. A facade over four sub-stores — final scalars, final curves,
// scalar tracks, curve tracks — to which every lifecycle operation is forwarded in that order.
//
// Validation tag: the last argument of every insert. Non-zero puts the value on the list of
// values that the current sequence still has to validate; the tag is also the value's
// generation for second-level instruments (measured values carry 1).

#include <cstdint>
#include <map>
#include <string>

#include "host/File.h"
#include "host/Params.h"
#include "store/KelFinalCurveStore.h"
#include "store/KelFinalScalarStore.h"
#include "store/KelTrackCurveStore.h"
#include "store/KelTrackScalarStore.h"
#include "store/SortedCursor.h"

class CKelValueStore {
 public:
  CKelValueStore() = default;
  virtual ~CKelValueStore() = default;
  CKelValueStore(const CKelValueStore&) = delete;
  CKelValueStore& operator=(const CKelValueStore&) = delete;

  // Insertion.
  KelStoreSValue& InsertSValue(const QClavis& key, const KelStoreSValue& value,
                               const CMeasuringUnit& unit, unsigned validate);
  KelSigLimitCurve& InsertSigCurve(const QClavis& key, const KelSigCurve& curve, unsigned validate);

  // The stored record of a quantity, from the sub-store its instrument's result type names
  // (1 final scalar, 2 scalar track, 3/4/6 final curve, 5 curve track); null otherwise.
  const QValueStoreItemBase* find(const QClavis& key) const;
  QValueStoreItemBase* find(const QClavis& key);
  // find() for keys asked for in ascending order, as a pass over a key-ordered table asks: the
  // final values are found a step or two on from the previous key's. Any order gives the right
  // answers. Must not outlive the store, nor be used across an erase of its final values.
  class SortedFinder {
   public:
    explicit SortedFinder(const CKelValueStore& store);
    const QValueStoreItemBase* Find(const QClavis& key);

   private:
    const CKelValueStore& store_;
    SortedCursor<const CKelFinalScalarStore::value_map_t> scalars_;
    SortedCursor<const CKelFinalCurveStore::value_map_t> curves_;
  };
  // The unit stored for the key's mode, instrument, channel and sensor; a default unit (no
  // unit, factor 1) when none was stored.
  const CMeasuringUnit& GetMeasuringUnit(const QClavis& key) const;
  bool evaluation_matches(const QClavis& key, Kelva::sequencer_events_t event) const;
  // Mode -1: the whole store.
  bool empty(int mode) const;
  bool empty() const;

  CKelFinalScalarStore& FinalScalarStore() { return finalScalar_; }
  const CKelFinalScalarStore& FinalScalarStore() const { return finalScalar_; }
  CKelFinalCurveStore& FinalCurveStore() { return finalCurve_; }
  const CKelFinalCurveStore& FinalCurveStore() const { return finalCurve_; }
  CKelTrackScalarStore& TrackScalarStore() { return trackScalar_; }
  const CKelTrackScalarStore& TrackScalarStore() const { return trackScalar_; }
  CKelTrackCurveStore& TrackCurveStore() { return trackCurve_; }
  const CKelTrackCurveStore& TrackCurveStore() const { return trackCurve_; }
  auto& SingleValueMap() { return finalScalar_.ValueMap(); }
  const auto& SingleValueMap() const { return finalScalar_.ValueMap(); }
  auto& SingleValueMapSectionHistory() { return finalScalar_.ValueMapSectionHistory(); }
  const auto& SingleValueMapSectionHistory() const { return finalScalar_.ValueMapSectionHistory(); }
  auto& SigCurveLimitMap() { return finalCurve_.ValueMap(); }
  const auto& SigCurveLimitMap() const { return finalCurve_.ValueMap(); }
  auto& SigCurveLimitMapSectionHistory() { return finalCurve_.ValueMapSectionHistory(); }
  const auto& SigCurveLimitMapSectionHistory() const {
    return finalCurve_.ValueMapSectionHistory();
  }

  // Lifecycle.
  // A new part: everything is purged; the debug switch is read from "GlobalDebugVerbose".
  void OnInsertCandidate();
  // Values, history and track key maps; the history numbering restarts at 0.
  void PurgeStore();
  void DismissValues();
  void DismissHistory();
  // (-1, -1) purges every sub-store; otherwise each deletes the mode's values for the event.
  void DeleteEntriesFromMode(int mode, Kelva::sequencer_events_t event);
  void validated();
  void evaluated(Kelva::sequencer_events_t event);
  void DumpTables() const;

  // History.
  void SetHistoryDepth(unsigned depth);
  void SetFinalScalarHistoryDepth(unsigned depth) { finalScalar_.SetHistoryDepth(depth); }
  void SetFinalCurveHistoryDepth(unsigned depth) { finalCurve_.SetHistoryDepth(depth); }
  void SetTrackScalarHistoryDepth(unsigned depth) { trackScalar_.SetHistoryDepth(depth); }
  void SetTrackCurveHistoryDepth(unsigned depth) { trackCurve_.SetHistoryDepth(depth); }
  void SetMAHistoryDepth(unsigned depth);
  // A new section (numbered historyCount, which then counts on) of the pending values.
  void CopyToHistoryStore();
  // Every sub-store averages; true only when all four did. ham_none: false, nothing done.
  bool AverageHistory(bool all, KelValueStore::history_average_mode_t mode);
  uint32_t HistoryCount() const { return historyCount_; }
  bool GlobalDebugVerbose() const { return globalDebugVerbose_; }

  // The history file: historyCount, then the final scalar history table.
  bool WriteHistory(CFile& file) const;
  // Purges the store, then reads historyCount and the table, all or nothing: when the count or
  // the table cannot be read completely, or a section index of the table is negative or not
  // below the count (new sections would then share its number), the store is left purged (no
  // values, no history, historyCount 0), the result is false and `why` (when given) says what
  // is wrong. Reads no further than the table; whether the file ends there is the caller's
  // check.
  bool ReadHistory(CFile& file, std::string* why = nullptr);

 private:
  // The track key map of scalar tracks, kept with the learned data.
  friend class CKelLearnStore;
  bool ReadKeyMapOfTrackScalarStore(CFile& file) { return trackScalar_.ReadKeyMap(file); }
  bool WriteKeyMapOfTrackScalarStore(CFile& file) { return trackScalar_.WriteKeyMap(file); }

  void InsertMeasuringUnit(const QIdx4& key, const CMeasuringUnit& unit);
  // "" when every section index of the scalar history is in [0, historyCount), else why not.
  std::string CheckSectionIndices() const;
  CValueStoreBase* const subStores_[4] = {&finalScalar_, &finalCurve_, &trackScalar_, &trackCurve_};

  std::map<QIdx4, CMeasuringUnit> units_;
  CKelFinalScalarStore finalScalar_;
  CKelFinalCurveStore finalCurve_;
  CKelTrackScalarStore trackScalar_;
  CKelTrackCurveStore trackCurve_;
  uint32_t historyCount_ = 0;
  bool purgedFlag_ = false;
  bool globalDebugVerbose_ = false;
  CDtParamInstance params_;
};
