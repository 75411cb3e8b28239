// Completeness checks: was everything measured that the test plan requests?
//
// A mode that is not among the selected modes ("Terminal-Modes", every mode of the plan by
// default) is not checked at the end of the mode: nobody asked for it.

#include <optional>

#include "frame/EvStoreServer.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "sequencer/KelSequencer.h"
#include "store/IdRange.h"

void CKelSequencer::ResetTerminalTables() {
  m_requestedInstruments.clear();
  m_selectedModes.clear();
  for (const auto& [instrument, name] : m_params.Instrument())
    m_requestedInstruments.emplace(instrument.id(), true);
  for (const auto& [mode, name] : m_params.Mode())
    m_selectedModes.emplace(m_params.VirtMode2BaseMode(mode.id()), 0);
}

void CKelSequencer::LoadTerminalTables() {
  m_requestedInstruments.clear();
  m_selectedModes.clear();
  CSeaBase* sea = CSeaBase::ApplicationSea();
  CResourceList instruments(sea, "Terminal-Instruments");
  for (instruments.GotoHead(); instruments.IsValid(); instruments.GotoNext()) {
    const CResourceLine line = instruments.GetCurrentLine();
    const int id = line.GetIntFb(0, -1);
    if (m_params.IsValidInstrument(id)) m_requestedInstruments[id] = line.GetBoolFb(1, true);
  }
  CResourceList modes(sea, "Terminal-Modes");
  for (modes.GotoHead(); modes.IsValid(); modes.GotoNext()) {
    const CResourceLine line = modes.GetCurrentLine();
    const int mode = line.GetIntFb(0, -1);
    if (m_params.IsValidMode(mode))
      m_selectedModes[m_params.VirtMode2BaseMode(mode)] = line.GetIntFb(1, 0);
  }
  for (const auto& [instrument, name] : m_params.Instrument())
    m_requestedInstruments.emplace(instrument.id(), true);
  for (const auto& [mode, name] : m_params.Mode())
    m_selectedModes.emplace(m_params.VirtMode2BaseMode(mode.id()), 0);
}

int CKelSequencer::CheckRequestedMeasuringResults() {
  int added = 0;
  const auto& requested = m_params.IpParamAndStore();
  // The state record is looked up once per mode, so an unknown mode is reported once.
  std::optional<int> lastMode;
  const mode_record_t* record = nullptr;
  CKelValueStore::SortedFinder values(m_valueStore);
  for (auto it = requested.begin(); it != requested.end();) {
    const QClavis& key = it->first;
    if (lastMode != key.mode()) {
      lastMode = key.mode();
      record = get_mode_state(key.mode());
    }
    if (record == nullptr) {
      PrWin::Output(16, 3,
                    "CKelSequencer::CheckRequestedMeasuringResults(): measurement '%s' requested, "
                    "illegal mode\n",
                    m_params.FormatClavisText(key).c_str());
      ++it;
      continue;
    }
    if (record->second != Kelva::ms_measured) {
      // Skip the rest of this mode.
      it = Kelva::ModeRange(requested, key.mode()).second;
      continue;
    }
    auto instrument = m_requestedInstruments.find(key.instrument());
    if (instrument == m_requestedInstruments.end()) {
      PrWin::Output(
          16, 3, "CKelSequencer::CheckRequestedMeasuringResults(): Unknown instrument with id %d\n",
          key.instrument());
    } else if (instrument->second && values.Find(key) == nullptr) {
      m_resultShop.AddErrorEntry(key, m_errMissingMeasurement, 0, 0, 0, 0);
      ++added;
    }
    ++it;
  }
  return added;
}

bool CKelSequencer::CheckRequestedMeasuredModes(const mode_record_t& record) {
  if (m_verbosity >= 1) {
    if (record.second == Kelva::ms_applied)
      PrWin::Output(16, 1,
                    "CKelSequencer::CheckRequestedMeasuredModes: Applied mode '%s' not measured\n",
                    m_params.ModeName(record.first).c_str());
    else if (record.second == Kelva::ms_canceled)
      PrWin::Output(16, 1, "CKelSequencer::CheckRequestedMeasuredModes: Mode '%s' canceled\n",
                    m_params.ModeName(record.first).c_str());
  }
  if (!CheckingAllowed() || m_selectedModes.count(record.first) == 0) return true;
  if (m_checkEverySelectedMode != 0 && record.second != Kelva::ms_measured)
    m_resultShop.AddErrorEntry(QClavis(record.first, MODE_CHECK_INSTRUMENT, 0, 0, 0, 0),
                               m_errModeNotMeasured, 0, 0, 0, 0);
  return true;
}

bool CKelSequencer::CheckEmptyModes() {
  if (!CheckingAllowed() || (m_checkEmptyRuns == 0 && m_currentMode == -1)) return true;
  bool none = true;
  const auto& requested = m_params.IpParamAndStore();
  for (const auto& [mode, flag] : m_selectedModes) {
    if (flag == 0) continue;
    auto first = requested.lower_bound(QClavis::ModeBegin(mode));
    const bool hasRequests = first != requested.end() && first->first.mode() == mode;
    if (hasRequests && m_valueStore.empty(mode)) {
      m_resultShop.AddErrorEntry(QClavis(mode, MODE_CHECK_INSTRUMENT, 0, 0, 0, 0), m_errEmptyMode,
                                 0, 0, 0, 0);
      none = false;
    }
  }
  return none;
}

// Modes without properties, of type 0x80 or 0x100, and of type 0x01 that were not run are not
// checked.
bool CKelSequencer::ModeIsCheckedForMissingMeasurements(int mode) {
  if (m_params.ModeProperty().count(QIdx1(mode)) == 0) return false;
  if (m_params.ModeIsOfType(mode, 0x80) || m_params.ModeIsOfType(mode, 0x100)) return false;
  return !(m_params.ModeIsOfType(mode, 0x01) && m_resultShop.GetModeState(mode) == Kelva::ms_none);
}

int CKelSequencer::CountMissingMeasurements() {
  const CKelValueStore* store = CEvStoreServer<CKelValueStore>::Object().Store(-1);
  if (store == nullptr) return -1;
  int missing = 0;
  bool anyChecked = false;
  // The parameter table and the final value maps are ordered by key: the finder finds each
  // key's value a step on from the last, and a mode is judged once for its run of keys.
  CKelValueStore::SortedFinder finals(*store);
  std::optional<int> judgedMode;
  bool modeChecked = false;
  for (const auto& [key, record] : m_params.IpParamAndStore()) {
    const int mode = key.mode();
    if (judgedMode != mode) {
      judgedMode = mode;
      modeChecked = ModeIsCheckedForMissingMeasurements(mode);
    }
    if (!modeChecked) continue;
    anyChecked = true;
    bool absent = false;
    switch (m_params.ResultType(key.instrument())) {
      case 1:
      case 3:
      case 4:
      case 6:
        absent = finals.Find(key) == nullptr;
        break;
      case 2: {
        const auto* track = store->TrackScalarStore().FindTrack(key);
        absent = track == nullptr || track->points.empty();
        break;
      }
      case 5: {
        const auto* track = store->TrackCurveStore().FindTrack(key);
        absent = track == nullptr || track->points.empty();
        break;
      }
      default:
        PrWin::Output(8, 2, "%s: unknown instrument id %d found in value store!\n", Name().c_str(),
                      key.instrument());
        absent = true;
    }
    if (!absent) continue;
    if (m_verbosity >= 1) {
      if (missing == 0) PrWin::Output(8, "%s: missing measurements:\n", Name().c_str());
      PrWin::Output(8, "%s\n", m_params.FormatClavisText(key).c_str());
    }
    ++missing;
  }
  return anyChecked ? missing : -2;
}
