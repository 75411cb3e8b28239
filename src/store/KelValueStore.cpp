#include "store/KelValueStore.h"

#include "host/Sea.h"

KelStoreSValue& CKelValueStore::InsertSValue(const QClavis& key, const KelStoreSValue& value,
                                             const CMeasuringUnit& unit, unsigned validate) {
  KelStoreSValue& stored = finalScalar_.InsertValue(key, value, validate);
  InsertMeasuringUnit(QIdx4(key), unit);
  return stored;
}

KelSigLimitCurve& CKelValueStore::InsertSigCurve(const QClavis& key, const KelSigCurve& curve,
                                                 unsigned validate) {
  return finalCurve_.InsertValue(key, curve, validate);
}

void CKelValueStore::InsertMeasuringUnit(const QIdx4& key, const CMeasuringUnit& unit) {
  units_.insert_or_assign(key, unit);
}

namespace {

// The record of key in the sub-store its result type names; `finalScalar` and `finalCurve` give
// the entry of a final value, or null.
template <typename FinalScalar, typename FinalCurve>
const QValueStoreItemBase* FindByResultType(const CDtParamInstance& params,
                                            const CKelTrackScalarStore& trackScalar,
                                            const CKelTrackCurveStore& trackCurve,
                                            const QClavis& key, FinalScalar finalScalar,
                                            FinalCurve finalCurve) {
  switch (params.ResultType(key.instrument())) {
    case 1:
      return finalScalar(key);
    case 2:
      return trackScalar.FindTrack(key);
    case 3:
    case 4:
    case 6:
      return finalCurve(key);
    case 5:
      return trackCurve.FindTrack(key);
    default:
      return nullptr;
  }
}

// The record of a map entry, or null for the map's end.
template <typename Map, typename Iterator>
const QValueStoreItemBase* RecordOf(const Map& map, Iterator it) {
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

const QValueStoreItemBase* CKelValueStore::find(const QClavis& key) const {
  const auto& scalars = finalScalar_.ValueMap();
  const auto& curves = finalCurve_.ValueMap();
  return FindByResultType(
      params_, trackScalar_, trackCurve_, key,
      [&](const QClavis& k) { return RecordOf(scalars, scalars.find(k)); },
      [&](const QClavis& k) { return RecordOf(curves, curves.find(k)); });
}

CKelValueStore::SortedFinder::SortedFinder(const CKelValueStore& store)
    : store_(store),
      scalars_(store.finalScalar_.ValueMap()),
      curves_(store.finalCurve_.ValueMap()) {}

const QValueStoreItemBase* CKelValueStore::SortedFinder::Find(const QClavis& key) {
  const auto& scalars = store_.finalScalar_.ValueMap();
  const auto& curves = store_.finalCurve_.ValueMap();
  return FindByResultType(
      store_.params_, store_.trackScalar_, store_.trackCurve_, key,
      [&](const QClavis& k) { return RecordOf(scalars, scalars_.Find(k)); },
      [&](const QClavis& k) { return RecordOf(curves, curves_.Find(k)); });
}

QValueStoreItemBase* CKelValueStore::find(const QClavis& key) {
  return const_cast<QValueStoreItemBase*>(static_cast<const CKelValueStore&>(*this).find(key));
}

const CMeasuringUnit& CKelValueStore::GetMeasuringUnit(const QClavis& key) const {
  static const CMeasuringUnit kDefaultUnit(0, 0, 1.0f, 0);
  auto it = units_.find(QIdx4(key));
  return it == units_.end() ? kDefaultUnit : it->second;
}

bool CKelValueStore::evaluation_matches(const QClavis& key, Kelva::sequencer_events_t event) const {
  const QValueStoreItemBase* record = find(key);
  return record != nullptr && CInstrumentTimesliceAssociator::expire_matches(record->expire, event);
}

bool CKelValueStore::empty(int mode) const {
  if (mode == -1) return empty();
  for (const CValueStoreBase* store : subStores_)
    if (!store->empty(mode)) return false;
  return true;
}

bool CKelValueStore::empty() const {
  for (const CValueStoreBase* store : subStores_)
    if (!store->empty()) return false;
  return true;
}

void CKelValueStore::OnInsertCandidate() {
  PurgeStore();
  globalDebugVerbose_ = CSeaBase::MessagesSea()->LookupGetBool("GlobalDebugVerbose", 0, false);
}

void CKelValueStore::PurgeStore() {
  purgedFlag_ = false;
  historyCount_ = 0;
  for (CValueStoreBase* store : subStores_) store->PurgeStore();
}

void CKelValueStore::DismissValues() {
  for (CValueStoreBase* store : subStores_) store->DismissValues();
}

void CKelValueStore::DismissHistory() {
  historyCount_ = 0;
  for (CValueStoreBase* store : subStores_) store->DismissHistory();
}

void CKelValueStore::DeleteEntriesFromMode(int mode, Kelva::sequencer_events_t event) {
  for (CValueStoreBase* store : subStores_) {
    if (mode == -1 && event == Kelva::all_events)
      store->PurgeStore();
    else
      store->DeleteEntriesOfMode(mode, event);
  }
}

void CKelValueStore::validated() {
  finalScalar_.validated();
  finalCurve_.validated();
  trackScalar_.validated();
  trackCurve_.validated();
}

void CKelValueStore::evaluated(Kelva::sequencer_events_t event) {
  finalScalar_.evaluated(event);
  finalCurve_.evaluated(event);
  trackScalar_.evaluated(event);
  trackCurve_.evaluated(event);
}

void CKelValueStore::DumpTables() const {
  for (const CValueStoreBase* store : subStores_) store->DumpTables();
}

void CKelValueStore::SetHistoryDepth(unsigned depth) {
  for (CValueStoreBase* store : subStores_) store->SetHistoryDepth(depth);
}

void CKelValueStore::SetMAHistoryDepth(unsigned depth) {
  for (CValueStoreBase* store : subStores_) store->SetMAHistoryDepth(depth);
}

void CKelValueStore::CopyToHistoryStore() {
  const auto index = static_cast<int>(historyCount_++);
  for (CValueStoreBase* store : subStores_) store->CopyToHistoryStore(index);
}

bool CKelValueStore::AverageHistory(bool all, KelValueStore::history_average_mode_t mode) {
  if (mode == KelValueStore::ham_none) return false;
  bool allAveraged = true;
  for (CValueStoreBase* store : subStores_)
    allAveraged = store->AverageHistory(all, mode) && allAveraged;
  return allAveraged;
}

bool CKelValueStore::WriteHistory(CFile& file) const {
  return WriteLE(file, historyCount_) && finalScalar_.WriteHistory(file);
}

bool CKelValueStore::ReadHistory(CFile& file, std::string* why) {
  PurgeStore();
  std::string reason;
  uint32_t count = 0;
  if (!ReadLE(file, count)) {
    reason = "it ends before the history count";
  } else if (finalScalar_.ReadHistory(file, &reason)) {
    historyCount_ = count;
    reason = CheckSectionIndices();
  }
  if (reason.empty()) return true;
  PurgeStore();
  if (why != nullptr) *why = reason;
  return false;
}

std::string CKelValueStore::CheckSectionIndices() const {
  for (const auto& [key, value] : finalScalar_.ValueMapSectionHistory()) {
    const int32_t index = key.historyIndex();
    if (index < 0) return "section index " + std::to_string(index) + " is negative";
    if (static_cast<uint32_t>(index) >= historyCount_)
      return "section index " + std::to_string(index) + " is not below the history count " +
             std::to_string(historyCount_);
  }
  return "";
}
