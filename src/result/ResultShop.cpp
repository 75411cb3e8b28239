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
#include "store/IdRange.h"
#include "store/KelValueStore.h"

CResultShop::CResultShop() : m_errors("<EvStoreErrorList>") {}

void CResultShop::Touch() {
  m_lastErrorTime = static_cast<uint32_t>(HostClock::TickCount());
}

void CResultShop::SetErrorCount(unsigned max, unsigned keepPerMode) {
  m_maxErrors = max;
  m_keepPerMode = keepPerMode;
}

bool CResultShop::CodeRecord(int code, QVErrorCode& record) const {
  auto it = m_params.ErrorCode().find(QIdx1(code));
  if (it == m_params.ErrorCode().end()) {
    record = QVErrorCode{};
    return false;
  }
  record = it->second;
  m_writtenPriorities.Find(code, record.priority);
  return true;
}

int CResultShop::Priority(int code) const {
  QVErrorCode record;
  return CodeRecord(code, record) ? record.priority : -1;
}

unsigned CResultShop::GroupBit(int code) const {
  auto it = m_codeGroup.find(code);
  return it == m_codeGroup.end() ? 0u : it->second;
}

std::pair<CResultShop::iterator, CResultShop::iterator> CResultShop::ModeRange(int mode) {
  return Kelva::ModeRange(m_errors, mode);
}

std::pair<CResultShop::error_list_t::const_iterator, CResultShop::error_list_t::const_iterator>
CResultShop::ModeRange(int mode) const {
  if (mode == -1) return {m_errors.begin(), m_errors.end()};
  return Kelva::ModeRange(m_errors, mode);
}

bool CResultShop::ApplyShadows(int code, int mode) {
  const unsigned bit = GroupBit(code);
  if (m_groupMask.empty() || bit == 0) return false;
  unsigned& mask = m_modeShadow[mode];
  const bool shadowed = (mask & bit) != 0;
  if (shadowed && m_debugVerbose)
    PrWin::Output(16, "Error code %d (group-bit %d) was shadowed out\n", code, bit);
  const unsigned groupMask = m_groupMask[bit];
  if ((mask & groupMask) != groupMask) {
    mask |= groupMask;
    if (m_debugVerbose)
      PrWin::Output(16, "Extending shadow mask: group-bit %d, group-mask %#X, complete mask %#X\n",
                    bit, groupMask, mask);
    for (auto it = m_errors.begin(); it != m_errors.end();) {
      const unsigned entryBit = GroupBit(it->second.code);
      if ((entryBit & mask) != 0) {
        if (m_debugVerbose)
          PrWin::Output(16, "Error code %d (group-bit %d) is shadowed out\n", it->second.code,
                        entryBit);
        it = m_errors.erase(it);
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
  m_errors.emplace(key, KelStoreError(code, value, limit, mean, position, m_nextSequence++));
  if (m_exportCount < VelkocontrolFcListSize) m_exportCodes[m_exportCount++] = code;
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
    m_errors.erase(first, last);
    m_modeShadow[mode] = 0;
  } else if (m_repetitionClearsErrors) {
    const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
    if (store == nullptr) return;
    while (first != last) {
      const QValueStoreItemBase* value = store->find(first->first);
      if (value != nullptr &&
          CInstrumentTimesliceAssociator::context_matches(value->context, event)) {
        first = m_errors.erase(first);
        removed = true;
      } else {
        ++first;
      }
    }
  }
  if (removed) Touch();
}

void CResultShop::DeleteErrorEntry(const QClavis& key) {
  if (m_errors.erase(key) != 0) Touch();
}

CResultShop::iterator CResultShop::DeleteErrorEntry(iterator entry) {
  Touch();
  return m_errors.erase(entry);
}

void CResultShop::DismissErrors() {
  const bool hadErrors = !m_errors.empty();
  m_errors.clear();
  m_exportCount = 0;
  m_nextSequence = 0;
  for (auto& [mode, mask] : m_modeShadow) mask = 0;
  for (auto& [mode, state] : m_modeStates) state = Kelva::ms_none;
  if (hadErrors) Touch();
}

const std::pair<const QClavis, KelStoreError>* CResultShop::FindErrorEntry(int code) const {
  for (const auto& entry : m_errors)
    if (entry.second.code == code) return &entry;
  return nullptr;
}

bool CResultShop::HasErrors(int mode) const {
  auto [first, last] = ModeRange(mode);
  return first != last;
}

unsigned CResultShop::KickOutErrors() {
  const unsigned keep = std::max(m_keepPerMode, 1u);
  if (m_maxErrors == 0 || m_maxErrors < keep || m_errors.size() <= m_maxErrors) return 0;

  // Entries per mode, and each entry filed under (mode, priority) in list order.
  std::map<int, unsigned> perMode;
  std::set<int> priorities;
  std::multimap<std::pair<int, int>, iterator> byModeAndPriority;
  for (auto it = m_errors.begin(); it != m_errors.end(); ++it) {
    const int priority = Priority(it->second.code);
    ++perMode[it->first.mode()];
    priorities.insert(priority);
    byModeAndPriority.emplace(std::make_pair(it->first.mode(), priority), it);
  }
  std::map<int, float> rank;
  float r = 0.0f;
  for (int priority : priorities) rank[priority] = ++r;
  const auto n = static_cast<float>(priorities.size());
  const auto total = static_cast<float>(m_errors.size());
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
  for (auto it = scored.begin(); it != scored.end() && m_errors.size() > m_maxErrors; ++it) {
    m_errors.erase(it->second);
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
  const bool functionFirst = sorting == es_priority_function_modes_first && m_functionModesFirst;
  auto isFunction = [this](int m) { return m_params.ModeIsOfType(m, QVModeProps::mfFunction); };
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
  const unsigned copied = std::min(n, m_exportCount);
  for (unsigned i = 0; i < n; ++i) out[i] = i < copied ? m_exportCodes[i] : 0;
  return m_exportCount;
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
  for (const auto& [key, error] : m_errors) {
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
  m_codeGroup.clear();
  m_groupMask.clear();
  for (const auto& [code, record] : m_params.ErrorCode())
    m_codeGroup[code.id()] =
        record.group >= 1 && record.group <= 32 ? 1u << (record.group - 1) : 0u;
  for (const auto& [group, record] : m_params.ShadowGroupProperty()) {
    const int g = group.id();
    if (g < 1 || g > 32) continue;
    const unsigned bit = 1u << (g - 1);
    // A group shadows only groups of higher number.
    const unsigned lowerAndSelf = bit == 0x80000000u ? 0xffffffffu : (bit << 1) - 1;
    m_groupMask[bit] = record.mask & ~lowerAndSelf;
  }
  m_modeShadow.clear();
}

void CResultShop::PurgeShop() {
  DismissErrors();
}

void CResultShop::Purge() {
  m_measuringComplete = false;
  PurgeShop();
}

void CResultShop::OnInsertCandidate() {
  m_measuringComplete = false;
  m_debugVerbose = CSeaBase::MessagesSea()->LookupGetBool("GlobalDebugVerbose", 0, false);
  CSeaBase* app = CSeaBase::ApplicationSea();
  if (!app->HasEntry("RetestProhibitionSettings")) {
    app->LookupSetInt("RetestProhibitionSettings", static_cast<int>(m_retestSeverity), 0);
    app->LookupSetString("RetestProhibitionSettings", m_retestText, 1);
  }
  m_retestSeverity = static_cast<unsigned>(
      app->LookupGetInt("RetestProhibitionSettings", 0, static_cast<int>(m_retestSeverity)));
  m_retestText = app->LookupGetString("RetestProhibitionSettings", 1, m_retestText);
  m_retestReported = false;
  PurgeShop();
  BuildGroupTables();
  m_modeStates.clear();
  for (const auto& [mode, name] : m_params.Mode()) m_modeStates[mode.id()] = Kelva::ms_none;
}

bool CResultShop::UnifyAndRePriorize(std::vector<std::pair<QClavis, KelStoreError>>& batch) {
  if (batch.empty()) return true;
  std::set<std::pair<QClavis, int>> seen;
  for (const auto& [key, error] : batch)
    if (!seen.emplace(key, error.code).second) return false;

  std::map<int, int> listed;  // code already in the list -> its priority
  int lowest = std::numeric_limits<int>::max();
  int highest = std::numeric_limits<int>::min();
  for (const auto& [key, error] : m_errors) {
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
    m_writtenPriorities.Write(error.code, priority);
    AddErrorEntry(key, error.code, error.value, error.limit, error.mean, error.position);
  }
  return true;
}
