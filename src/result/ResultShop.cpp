// The error list of the result shop: adding with shadow groups, deleting, trimming, export.
#include "result/ResultShop.h"

#include <algorithm>
#include <limits>
#include <set>

#include "frame/EvStoreServer.h"
#include "host/Clock.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "sequencer/InstrumentTimesliceAssociator.h"
#include "store/KelValueStore.h"

CResultShop::CResultShop() : errors_("<EvStoreErrorList>") {}

void CResultShop::Touch() {
  lastErrorTime_ = static_cast<uint32_t>(HostClock::TickCount());
}

void CResultShop::SetErrorCount(unsigned max, unsigned keepPerMode) {
  maxErrors_ = max;
  keepPerMode_ = keepPerMode;
}

bool CResultShop::CodeRecord(int code, QVErrorCode& record) const {
  auto it = params_.ErrorCode().find(QIdx1(code));
  if (it == params_.ErrorCode().end()) {
    record = QVErrorCode{};
    return false;
  }
  record = it->second;
  auto priority = priorityOverride_.find(code);
  if (priority != priorityOverride_.end()) record.priority = priority->second;
  return true;
}

int CResultShop::Priority(int code) const {
  QVErrorCode record;
  return CodeRecord(code, record) ? record.priority : -1;
}

unsigned CResultShop::GroupBit(int code) const {
  auto it = codeGroup_.find(code);
  return it == codeGroup_.end() ? 0u : it->second;
}

std::pair<CResultShop::iterator, CResultShop::iterator> CResultShop::ModeRange(int mode) {
  auto last = mode == std::numeric_limits<int>::max()
                  ? errors_.end()
                  : errors_.lower_bound(QClavis::ModeBegin(mode + 1));
  return {errors_.lower_bound(QClavis::ModeBegin(mode)), last};
}

std::pair<CResultShop::error_list_t::const_iterator, CResultShop::error_list_t::const_iterator>
CResultShop::ModeRange(int mode) const {
  if (mode == -1) return {errors_.begin(), errors_.end()};
  auto last = mode == std::numeric_limits<int>::max()
                  ? errors_.end()
                  : errors_.lower_bound(QClavis::ModeBegin(mode + 1));
  return {errors_.lower_bound(QClavis::ModeBegin(mode)), last};
}

bool CResultShop::ApplyShadows(int code, int mode) {
  const unsigned bit = GroupBit(code);
  if (groupMask_.empty() || bit == 0) return false;
  unsigned& mask = modeShadow_[mode];
  const bool shadowed = (mask & bit) != 0;
  if (shadowed && debugVerbose_)
    PrWin::Output(16, "Error code %d (group-bit %d) was shadowed out\n", code, bit);
  const unsigned groupMask = groupMask_[bit];
  if ((mask & groupMask) != groupMask) {
    mask |= groupMask;
    if (debugVerbose_)
      PrWin::Output(16, "Extending shadow mask: group-bit %d, group-mask %#X, complete mask %#X\n",
                    bit, groupMask, mask);
    for (auto it = errors_.begin(); it != errors_.end();) {
      const unsigned entryBit = GroupBit(it->second.code);
      if ((entryBit & mask) != 0) {
        if (debugVerbose_)
          PrWin::Output(16, "Error code %d (group-bit %d) is shadowed out\n", it->second.code,
                        entryBit);
        it = errors_.erase(it);
      } else {
        ++it;
      }
    }
    Touch();
  }
  return shadowed;
}

void CResultShop::AddErrorEntry(const QClavis& key, int code, float value, float limit, float mean,
                                float position) {
  if (ApplyShadows(code, key.mode())) return;
  errors_.emplace(key, KelStoreError(code, value, limit, mean, position, nextSequence_++));
  if (exportCount_ < VelkocontrolFcListSize) exportCodes_[exportCount_++] = code;
  Touch();
}

void CResultShop::DeleteErrorEntries(int mode, Kelva::sequencer_events_t event) {
  if (mode == -1 && event == Kelva::all_events) {
    DismissErrors();
    return;
  }
  auto [first, last] = ModeRange(mode);
  bool removed = false;
  if (event == Kelva::all_events) {
    removed = first != last;
    errors_.erase(first, last);
    modeShadow_[mode] = 0;
  } else if (repetitionClearsErrors_) {
    const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
    if (store == nullptr) return;
    while (first != last) {
      const QValueStoreItemBase* value = store->find(first->first);
      if (value != nullptr &&
          CInstrumentTimesliceAssociator::context_matches(value->context, event)) {
        first = errors_.erase(first);
        removed = true;
      } else {
        ++first;
      }
    }
  }
  if (removed) Touch();
}

void CResultShop::DeleteErrorEntry(const QClavis& key) {
  if (errors_.erase(key) != 0) Touch();
}

CResultShop::iterator CResultShop::DeleteErrorEntry(iterator entry) {
  Touch();
  return errors_.erase(entry);
}

void CResultShop::DismissErrors() {
  const bool hadErrors = !errors_.empty();
  errors_.clear();
  exportCount_ = 0;
  nextSequence_ = 0;
  for (auto& [mode, mask] : modeShadow_) mask = 0;
  for (auto& [mode, state] : modeStates_) state = Kelva::ms_none;
  if (hadErrors) Touch();
}

const std::pair<const QClavis, KelStoreError>* CResultShop::FindErrorEntry(int code) const {
  for (const auto& entry : errors_)
    if (entry.second.code == code) return &entry;
  return nullptr;
}

bool CResultShop::HasErrors(int mode) const {
  auto [first, last] = ModeRange(mode);
  return first != last;
}

unsigned CResultShop::KickOutErrors() {
  const unsigned keep = std::max(keepPerMode_, 1u);
  if (maxErrors_ == 0 || maxErrors_ < keep || errors_.size() <= maxErrors_) return 0;

  // Entries per mode, and each entry filed under (mode, priority) in list order.
  std::map<int, unsigned> perMode;
  std::set<int> priorities;
  std::multimap<std::pair<int, int>, iterator> byModeAndPriority;
  for (auto it = errors_.begin(); it != errors_.end(); ++it) {
    const int priority = Priority(it->second.code);
    ++perMode[it->first.mode()];
    priorities.insert(priority);
    byModeAndPriority.emplace(std::make_pair(it->first.mode(), priority), it);
  }
  std::map<int, float> rank;
  float r = 0.0f;
  for (int priority : priorities) rank[priority] = ++r;
  const auto n = static_cast<float>(priorities.size());
  const auto total = static_cast<float>(errors_.size());
  const auto e = static_cast<float>(keep);

  // Scores: the lower, the sooner removed. The `keep` most important entries of each mode get
  // none and stay.
  std::multimap<float, iterator> scored;
  int mode = std::numeric_limits<int>::min();
  unsigned c = 0;
  for (const auto& [modeAndPriority, entry] : byModeAndPriority) {
    if (modeAndPriority.first != mode) {
      mode = modeAndPriority.first;
      c = perMode[mode];
    }
    if (c <= keep) continue;
    const auto count = static_cast<float>(perMode[mode]);
    const float score = (count - e) / ((static_cast<float>(c) - e) * (total - e)) +
                        rank[modeAndPriority.second] / n;
    scored.emplace(score, entry);
    --c;
  }
  unsigned removed = 0;
  for (auto it = scored.begin(); it != scored.end() && errors_.size() > maxErrors_; ++it) {
    errors_.erase(it->second);
    ++removed;
  }
  if (removed > 0) Touch();
  return removed;
}

bool CResultShop::GetErrors(std::vector<error_entry_t>& out, error_sorting_t sorting,
                            int mode) const {
  out.clear();
  bool allKnown = true;
  auto [first, last] = ModeRange(mode);
  for (auto it = first; it != last; ++it) {
    error_entry_t entry{it->first.mode(),     it->first.instrument(), it->first.channel(),
                        it->first.location(), it->first.parameter(),  it->first.sensor(),
                        it->second,           QVErrorCode{}};
    allKnown = CodeRecord(it->second.code, entry.code) && allKnown;
    out.push_back(entry);
  }
  if (sorting == es_list) return allKnown;
  const bool functionFirst = sorting == es_priority_function_modes_first && functionModesFirst_;
  auto isFunction = [this](int m) { return params_.ModeIsOfType(m, QVModeProps::mfFunction); };
  std::stable_sort(out.begin(), out.end(), [&](const error_entry_t& a, const error_entry_t& b) {
    if (functionFirst) {
      const bool fa = isFunction(a.mode);
      const bool fb = isFunction(b.mode);
      if (fa != fb) return fa;
    }
    if (a.code.priority != b.code.priority) return a.code.priority > b.code.priority;
    return a.error.sequence < b.error.sequence;
  });
  return allKnown;
}

unsigned CResultShop::CopyVelkocontrolErrcodes(int* out, unsigned n) const {
  const unsigned copied = std::min(n, exportCount_);
  for (unsigned i = 0; i < n; ++i) out[i] = i < copied ? exportCodes_[i] : 0;
  return exportCount_;
}

void CResultShop::FehlercodesHolen(std::vector<int>& out, int mode) const {
  out.clear();
  auto [first, last] = ModeRange(mode);
  for (auto it = first; it != last; ++it) out.push_back(it->second.code);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

void CResultShop::ReportErrors() const {
  PrWin::Output(16, "\n-- Errors ..\n");
  for (const auto& [key, error] : errors_) {
    if (error.code == 0) continue;
    QVErrorCode record;
    if (CodeRecord(error.code, record)) {
      PrWin::Output(16, "%d %d %s %f %f %f Q: %d %d %d %d %d\n", error.code, record.externalCode,
                    record.text.c_str(), error.value, error.limit, error.position, key.mode(),
                    key.instrument(), key.channel(), key.location(), key.parameter());
    } else {
      PrWin::Output(16, "Unknown ec: %d Q: %d %d %d %d %d\n", error.code, key.mode(),
                    key.instrument(), key.channel(), key.location(), key.parameter());
    }
  }
}

void CResultShop::BuildGroupTables() {
  codeGroup_.clear();
  groupMask_.clear();
  for (const auto& [code, record] : params_.ErrorCode())
    codeGroup_[code.id()] = record.group >= 1 && record.group <= 32 ? 1u << (record.group - 1) : 0u;
  for (const auto& [group, record] : params_.ShadowGroupProperty()) {
    const int g = group.id();
    if (g < 1 || g > 32) continue;
    const unsigned bit = 1u << (g - 1);
    // A group shadows only groups of higher number.
    const unsigned lowerAndSelf = bit == 0x80000000u ? 0xffffffffu : (bit << 1) - 1;
    groupMask_[bit] = record.mask & ~lowerAndSelf;
  }
  modeShadow_.clear();
}

void CResultShop::PurgeShop() {
  DismissErrors();
}

void CResultShop::Purge() {
  measuringComplete_ = false;
  PurgeShop();
}

void CResultShop::OnInsertCandidate() {
  measuringComplete_ = false;
  debugVerbose_ = CSeaBase::MessagesSea()->LookupGetBool("GlobalDebugVerbose", 0, false);
  CSeaBase* app = CSeaBase::ApplicationSea();
  if (!app->HasEntry("RetestProhibitionSettings")) {
    app->LookupSetInt("RetestProhibitionSettings", static_cast<int>(retestSeverity_), 0);
    app->LookupSetString("RetestProhibitionSettings", retestText_, 1);
  }
  retestSeverity_ = static_cast<unsigned>(
      app->LookupGetInt("RetestProhibitionSettings", 0, static_cast<int>(retestSeverity_)));
  retestText_ = app->LookupGetString("RetestProhibitionSettings", 1, retestText_);
  retestReported_ = false;
  PurgeShop();
  BuildGroupTables();
  modeStates_.clear();
  for (const auto& [mode, name] : params_.Mode()) modeStates_[mode.id()] = Kelva::ms_none;
}

bool CResultShop::UnifyAndRePriorize(std::vector<std::pair<QClavis, KelStoreError>>& batch) {
  if (batch.empty()) return true;
  std::set<std::pair<QClavis, int>> seen;
  for (const auto& [key, error] : batch)
    if (!seen.emplace(key, error.code).second) return false;

  std::map<int, int> listed;  // code already in the list -> its priority
  int lowest = std::numeric_limits<int>::max();
  int highest = std::numeric_limits<int>::min();
  for (const auto& [key, error] : errors_) {
    const int priority = Priority(error.code);
    listed[error.code] = priority;
    lowest = std::min(lowest, priority);
    highest = std::max(highest, priority);
  }
  bool anyListed = false;
  for (const auto& [key, error] : batch) anyListed = anyListed || listed.count(error.code) != 0;
  for (const auto& [key, error] : batch) {
    int priority = 1000;
    if (anyListed) {
      auto it = listed.find(error.code);
      priority = it != listed.end() ? it->second : lowest + (highest - lowest) / 2;
    }
    if (priority <= 0) continue;
    priorityOverride_[error.code] = priority;
    AddErrorEntry(key, error.code, error.value, error.limit, error.mean, error.position);
  }
  return true;
}
