// Results of the result shop: severities, mode states, results per mode, location and part.
#include <algorithm>

#include "frame/EvStoreServer.h"
#include "host/Candidate.h"
#include "host/Sea.h"
#include "result/ResultShop.h"
#include "store/KelValueStore.h"

Kelva::measure_state_t CResultShop::GetModeState(int mode) const {
  if (mode == -1) {
    int smallest = 5;
    for (const auto& [m, state] : m_modeStates)
      if (state > 0 && state < smallest) smallest = state;
    return static_cast<Kelva::measure_state_t>(smallest == 5 ? 0 : smallest);
  }
  auto it = m_modeStates.find(m_params.VirtMode2BaseMode(mode));
  return it == m_modeStates.end() ? Kelva::ms_none : it->second;
}

int CResultShop::Severity(const std::pair<const QClavis, KelStoreError>& entry) const {
  auto relative = m_params.RelativeLimit().find(entry.first);
  if (relative != m_params.RelativeLimit().end()) {
    const float v = entry.second.value;
    const float l = entry.second.limit;
    float d = (l * (1.0f + relative->second.percent / 100.0f) + relative->second.offset) - v;
    if (v <= l) d = -d;
    if (d >= 0.0f) return 0;  // inside the relative tolerance
  }
  QVErrorCode record;
  return CodeRecord(entry.second.code, record) ? record.severity : 9;
}

int CResultShop::GetSeverityForMode(int mode) {
  int severity = 0;
  auto [first, last] = std::as_const(*this).ModeRange(mode);
  for (auto it = first; it != last; ++it) severity = std::max(severity, Severity(*it));
  ReportSeverity(static_cast<unsigned>(std::max(severity, 0)));
  return severity;
}

int CResultShop::GetSeveritiesForMode(int& min, int& max, int mode) {
  min = 0;
  max = 0;
  bool first = true;
  auto [begin, end] = std::as_const(*this).ModeRange(mode);
  for (auto it = begin; it != end; ++it) {
    const int severity = Severity(*it);
    min = first ? severity : std::min(min, severity);
    max = first ? severity : std::max(max, severity);
    first = false;
  }
  ReportSeverity(static_cast<unsigned>(std::max(max, 0)));
  return max;
}

NorviDefs::result_t CResultShop::TranslateSeverityToResult(int severity,
                                                           NorviDefs::result_color_t* colour,
                                                           std::string* text) const {
  if (severity == 0) return NorviDefs::result_ok;
  auto it = m_params.SeverityProperty().find(QIdx1(severity));
  if (it != m_params.SeverityProperty().end()) {
    if (colour != nullptr) *colour = static_cast<NorviDefs::result_color_t>(it->second.color);
    if (text != nullptr) *text = it->second.text;
    return static_cast<NorviDefs::result_t>(it->second.result);
  }
  if (severity == 10) {
    if (colour != nullptr) *colour = NorviDefs::color_syserror;
    return NorviDefs::result_syserror;
  }
  if (colour != nullptr) *colour = NorviDefs::color_nok;
  return NorviDefs::result_nok;
}

NorviDefs::result_t CResultShop::GetResultFromModeState(int mode,
                                                        NorviDefs::result_color_t* colour) const {
  NorviDefs::result_color_t c = NorviDefs::color_none;
  NorviDefs::result_t result = NorviDefs::result_none;
  if (GetModeState(mode) == Kelva::ms_measured) {
    // Without a value store nothing measured could have been kept: no result, never O.K.
    const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
    if (store != nullptr && !store->empty(mode)) {
      result = NorviDefs::result_ok;
      c = NorviDefs::color_ok;
    }
  }
  if (colour != nullptr) *colour = c;
  return result;
}

NorviDefs::result_t CResultShop::GetResultForMode(int mode, NorviDefs::result_t* result,
                                                  NorviDefs::result_color_t* colour,
                                                  std::string* text) {
  if (text != nullptr) text->clear();
  const int severity = GetSeverityForMode(mode);
  NorviDefs::result_color_t c = NorviDefs::color_ok;
  const NorviDefs::result_t r = severity < 1 ? GetResultFromModeState(mode, &c)
                                             : TranslateSeverityToResult(severity, &c, text);
  if (result != nullptr) *result = r;
  if (colour != nullptr) *colour = c;
  if (mode == -1) PublishTestProperties(r);
  return r;
}

NorviDefs::result_t CResultShop::GetResultForLocation(int location, int* severity) {
  int s = severity != nullptr ? *severity : 0;
  for (const auto& entry : m_errors)
    if (location == -1 || entry.first.location() == location) s = std::max(s, Severity(entry));
  const NorviDefs::result_t r =
      s < 1 ? GetResultFromModeState(-1, nullptr) : TranslateSeverityToResult(s, nullptr, nullptr);
  if (location == -1) PublishTestProperties(r);
  if (severity != nullptr) *severity = s;
  ReportSeverity(static_cast<unsigned>(std::max(s, 0)));
  return r;
}

void CResultShop::AddNotEvalError(const std::pair<const int, Kelva::measure_state_t>& record) {
  if (record.second > Kelva::ms_measured)
    AddErrorEntry(QClavis(record.first, 0, 0, 0, 0, 0), m_notEvalErrorCode, 0, 0, 0, 0);
}

NorviDefs::result_t CResultShop::ResultRequest(int mode) {
  NorviDefs::result_t r = GetResultForMode(mode);
  if (r == NorviDefs::result_none) {
    switch (m_notEvalInterpretation) {
      case Kelva::ne_no_result:
        break;
      case Kelva::ne_as_ok:
        r = NorviDefs::result_ok;
        break;
      case Kelva::ne_as_error:
        if (m_notEvalErrorCode != -1 && !m_ignoreNotEval) {
          if (mode == -1) {
            for (const auto& record : m_modeStates) AddNotEvalError(record);
          } else {
            auto record = m_modeStates.find(m_params.VirtMode2BaseMode(mode));
            if (record != m_modeStates.end()) AddNotEvalError(*record);
          }
        }
        r = m_ignoreNotEval ? NorviDefs::result_ok : NorviDefs::result_nok;
        break;
    }
  }
  if (r == NorviDefs::result_syserror && m_sysErrorInterpretation) r = NorviDefs::result_nok;
  return r;
}

void CResultShop::PublishTestProperties(NorviDefs::result_t result) const {
  if (result == NorviDefs::result_ok && !m_errors.empty())
    McAddTestPropertyFlags(tpOkWithErrors);
  else
    McRemoveTestPropertyFlags(tpOkWithErrors);
}

void CResultShop::ReportSeverity(unsigned severity) {
  if (severity < m_retestSeverity || m_retestReported || m_params.RelativeLimit().empty()) return;
  CResourceList infos(CSeaBase::MessagesSea(), "AdditionalArchiveInfos");
  if (!infos.GotoLine(m_retestText)) infos.AddLineTail().SetString(0, m_retestText);
  m_retestReported = true;
}
