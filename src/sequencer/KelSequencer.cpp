// The sequencer's module life and its handlers of the test-sequence events.
#include "sequencer/KelSequencer.h"

#include "frame/EvStoreServer.h"
#include "host/Candidate.h"
#include "host/Clock.h"
#include "host/CommandDispatcher.h"
#include "host/LearnFileDlg.h"
#include "host/MessageService.h"
#include "host/Output.h"

namespace {

// The mode number an event carries; false when the argument holds none.
bool ModeOf(const Kelva::event_argument_t& argument, int& mode) {
  if (const auto* number = std::get_if<int32_t>(&argument)) {
    mode = *number;
    return true;
  }
  if (const auto* text = std::get_if<std::string>(&argument)) {
    try {
      size_t used = 0;
      mode = std::stoi(*text, &used);
      return used == text->size();
    } catch (const std::exception&) {
      return false;
    }
  }
  return false;
}

// The events whose handler works on the mode number of its argument. begin_milestone carries
// a mode number too, but closes the current mode whatever it says, so it never needs one.
bool WorksOnItsMode(Kelva::sequencer_events_t event) {
  switch (event) {
    case Kelva::begin_mode:
    case Kelva::end_mode:
    case Kelva::begin_measurement:
    case Kelva::end_measurement:
    case Kelva::cancel_measurement:
    case Kelva::end_ratiotest:
      return true;
    default:
      return false;
  }
}

}  // namespace

CKelSequencer::CKelSequencer()
    : m_learnStore(m_valueStore, -1),
      m_limitShop(m_valueStore, m_learnStore),
      m_learnFileKeeper(m_learnStore, m_valueStore),
      m_evalShop(m_params, m_valueStore, m_resultShop, m_learnStore),
      m_instrumentShop(m_valueStore, m_learnStore),
      m_lastSerial(mcNeutralSerialIdent) {}

CKelSequencer::~CKelSequencer() {
  if (m_refreshCallback >= 0)
    CCentralMessageService::Service().UnregisterRegularCallback(m_refreshCallback);
  if (m_learnFileModule != nullptr &&
      CModule::FindModuleByClassName("CQLearnFileDlg") == m_learnFileModule) {
    if (auto* dialog = dynamic_cast<CQLearnFileDlg*>(m_learnFileModule);
        dialog != nullptr && dialog->GetHandler() == &m_learnFileKeeper)
      dialog->SetHandler(nullptr);
  }
  ReleaseMALearnStores();
  CEvStoreServer<CKelValueStore>::Object().Release(this);
  CEvStoreServer<CKelLearnStore>::Object().Release(this);
  CEvStoreServer<CResultShop>::Object().Release(this);
}

bool CKelSequencer::Create(const std::string& name, CModule* parent) {
  if (!CSpecialModeClient::Create(name, parent)) return false;
  CEvStoreServer<CKelValueStore>::Object().RegisterDefault(this, &m_valueStore);
  CEvStoreServer<CResultShop>::Object().RegisterDefault(this, &m_resultShop);
  CEvStoreServer<CKelLearnStore>::Object().RegisterDefault(this, &m_learnStore);
  CommandDispatcher().AddClient(
      mcAddErrorEntry, this,
      [this](long, unsigned long, const void* data, const char*, const void*) -> unsigned char {
        if (data == nullptr) return 0;
        const auto& entry = *static_cast<const CHostErrorEntry*>(data);
        m_resultShop.AddErrorEntry(QClavis(entry.mode, entry.instrument, entry.channel,
                                           entry.location, entry.parameter, entry.sensor),
                                   entry.code, entry.f1, entry.f2, entry.f3, entry.f4);
        return 1;
      });
  CommandDispatcher().AddClient(mcProject, this,
                                [this](long flags, unsigned long, const void* data, const char*,
                                       const void*) -> unsigned char {
                                  const char* project = static_cast<const char*>(data);
                                  return project != nullptr && OnProject(flags, project) ? 1 : 0;
                                });
  m_refreshCallback = CCentralMessageService::Service().RegisterRegularCallback(
      [this] { RefreshReportTick(); }, kRefreshPeriodMs, 0);
  return true;
}

void CKelSequencer::PostCreate() {
  CSpecialModeClient::PostCreate();
  m_learnFileModule = CModule::FindModuleByClassName("CQLearnFileDlg");
  if (auto* dialog = dynamic_cast<CQLearnFileDlg*>(m_learnFileModule))
    dialog->SetHandler(&m_learnFileKeeper);
  LoadSettings();
  ApplySettings();
  CreateMALearnStores();
}

void CKelSequencer::OnSpecialFileSave() {
  SaveSettings();
  CSpecialModeClient::OnSpecialFileSave();
}

void CKelSequencer::OnSpecialShutdown() {
  if (m_refreshCallback >= 0) {
    CCentralMessageService::Service().UnregisterRegularCallback(m_refreshCallback);
    m_refreshCallback = -1;
  }
  SaveSettings();
  SaveHistory();
  m_learnFileKeeper.Save();
  CSpecialModeClient::OnSpecialShutdown();
}

void CKelSequencer::RefreshReportTick() {
  if (m_resultShop.GetLastErrorTime() > m_lastRefreshTick)
    CommandDispatcher().ProcessCommand(mcRefreshReport, static_cast<unsigned long>(-1), nullptr);
  m_lastRefreshTick = static_cast<uint32_t>(HostClock::TickCount());
}

void CKelSequencer::Trace(const char* format, const std::string& text) const {
  if (m_verbosity >= 2) PrWin::Output(16, 1, format, text.c_str());
}

CKelSequencer::mode_record_t* CKelSequencer::get_mode_state(int mode) {
  auto& states = m_resultShop.ModeStateMap();
  auto it = states.find(m_params.VirtMode2BaseMode(mode));
  if (it == states.end()) {
    PrWin::Output(8, "CKelSequencer::get_mode_state(): unknown mode %d\n", mode);
    return nullptr;
  }
  return &*it;
}

void CKelSequencer::SetState(int mode, Kelva::measure_state_t state) {
  if (mode_record_t* record = get_mode_state(mode)) record->second = state;
}

void CKelSequencer::ClearMode(int mode, Kelva::sequencer_events_t event) {
  m_valueStore.DeleteEntriesFromMode(mode, event);
  m_resultShop.DeleteErrorEntries(mode, event);
}

void CKelSequencer::OnSequencerEvent(Kelva::sequencer_events_t event,
                                     Kelva::event_argument_t argument) {
  if (event < Kelva::idle_event || event > Kelva::end_milestone) {
    Evaluate(m_currentMode, Kelva::any_event);
    PrWin::Output(16, 1, "CKelSequencer::unregistered event\n");
    return;
  }
  int mode = -1;
  if (!ModeOf(argument, mode) && WorksOnItsMode(event)) {
    PrWin::Output(8, "CKelSequencer: event %s needs a mode number; the event is ignored\n",
                  Kelva::SequencerEventName(event));
    return;
  }
  switch (event) {
    case Kelva::idle_event:
      break;
    case Kelva::end_ratiotest:
      end_ratiotest(mode);
      break;
    case Kelva::end_shiftlane: {
      const auto* lane = std::get_if<std::vector<int32_t>>(&argument);
      if (lane == nullptr || lane->size() < 3) {
        PrWin::Output(8,
                      "CKelSequencer: end_shiftlane needs an array of three int32 (mode, "
                      "physical mode before and after); the event is ignored\n");
        return;
      }
      end_shiftlane((*lane)[0], (*lane)[1], (*lane)[2]);
      break;
    }
    case Kelva::begin_measurement:
      begin_measurement(mode);
      break;
    case Kelva::end_measurement:
      end_measurement(mode);
      break;
    case Kelva::cancel_measurement:
      cancel_measurement(mode);
      break;
    case Kelva::begin_mode:
      begin_mode(mode);
      break;
    case Kelva::end_mode:
      end_mode(mode);
      break;
    case Kelva::purge_results:
      m_resultShop.Purge();
      m_resultShop.SetIgnoreNotEval(false);
      break;
    case Kelva::suspend_checks:
      m_checksSuspended = true;
      m_resultShop.SetIgnoreNotEval(m_checkWhenSuspended == 0);
      break;
    case Kelva::resume_checks:
      m_checksSuspended = false;
      m_resultShop.SetIgnoreNotEval(false);
      break;
    case Kelva::insert_candidate: {
      const auto* serial = std::get_if<std::string>(&argument);
      insert_candidate(serial != nullptr ? *serial : std::string());
      break;
    }
    case Kelva::remove_candidate:
      remove_candidate(true);
      break;
    case Kelva::drop_candidate:
      remove_candidate(false);
      break;
    case Kelva::begin_milestone:
      begin_milestone(mode);
      break;
    case Kelva::end_milestone:
      end_milestone();
      break;
    default:
      break;
  }
}

void CKelSequencer::insert_candidate(const std::string& /*serial*/) {
  LoadTerminalTables();
  const std::string baseType = m_params.BaseType();
  const std::string platform = McOverridenPlatformName();
  const bool changed = baseType != m_lastBaseType || platform != m_lastPlatform;
  if (changed) {
    SaveHistory();
    m_valueStore.OnInsertCandidate();
    m_lastBaseType = baseType;
    m_lastPlatform = platform;
  }
  m_valueStore.DismissValues();
  m_resultShop.OnInsertCandidate();
  if (m_dismissHistory != 0) m_valueStore.DismissHistory();
  if (changed) LoadHistory();
  m_evalShop.ResetSpectralErrorVectors();
  // The main learn store starts with the learned data of the part type: the keeper
  // (notification 1 of the learn-file module) assigns it over the tables, which keep their
  // entries where the keys are the same; without the keeper it starts empty.
  if (!KeeperRestoresLearnStore()) m_learnStore.PurgeStore();
  m_instrumentShop.Reset();
  if (m_learnFileModule != nullptr) {
    m_learnFileModule->OnUserIfCommand(1);
    NotifySerialChange();
  }
  m_candidateInserted = true;
  Trace("CKelSequencer::insert_candidate %s\n", baseType);
}

bool CKelSequencer::KeeperRestoresLearnStore() const {
  const auto* dialog = dynamic_cast<const CQLearnFileDlg*>(m_learnFileModule);
  return dialog != nullptr && dialog->GetHandler() == &m_learnFileKeeper;
}

void CKelSequencer::begin_mode(int mode) {
  m_currentMode = mode;
  ClearMode(mode, Kelva::all_events);
  SetState(mode, Kelva::ms_applied);
  Trace("CKelSequencer::begin_mode '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::begin_measurement(int mode) {
  SetState(mode, Kelva::ms_measuring);
  ClearMode(mode, Kelva::end_measurement);
  Trace("CKelSequencer::begin_measurement '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::cancel_measurement(int mode) {
  mode_record_t* record = get_mode_state(mode);
  if (record != nullptr && record->second == Kelva::ms_measuring)
    record->second = Kelva::ms_canceled;
  Trace("CKelSequencer::cancel_measurement '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::end_measurement(int mode) {
  mode_record_t* record = get_mode_state(mode);
  if (record != nullptr && record->second != Kelva::ms_canceled) {
    EvaluateTracks(mode, Kelva::end_measurement);
    EvaluateAndLearn(mode, Kelva::end_measurement);
    record->second = Kelva::ms_measured;
  }
  Trace("CKelSequencer::end_measurement '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::end_ratiotest(int mode) {
  EvaluateTracks(mode, Kelva::end_ratiotest);
  EvaluateAndLearn(mode, Kelva::end_ratiotest);
  Trace("CKelSequencer::end_ratiotest '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::end_shiftlane(int mode, int from, int to) {
  EvaluateAndLearn(mode, Kelva::end_shiftlane);
  SetState(mode, Kelva::ms_measured);
  if (m_verbosity >= 2)
    PrWin::Output(16, 1, "CKelSequencer::end_shiftlane in '%s' ('%s'->'%s')\n",
                  m_params.ModeName(mode).c_str(), m_params.PhysModeName(from).c_str(),
                  m_params.PhysModeName(to).c_str());
}

void CKelSequencer::end_mode(int mode) {
  if (mode_record_t* record = get_mode_state(mode)) {
    CheckRequestedMeasuredModes(*record);
    if (record->second == Kelva::ms_canceled) ClearMode(mode, Kelva::end_measurement);
  }
  EvaluateTracks(mode, Kelva::end_mode);
  EvaluateAndLearn(mode, Kelva::end_mode);
  Trace("CKelSequencer::end_mode '%s'\n", m_params.ModeName(mode));
}

void CKelSequencer::CloseCurrentMode() {
  EvaluateTracks(m_currentMode, Kelva::remove_candidate);
  EvaluateAndLearn(m_currentMode, Kelva::remove_candidate);
  if (m_learnFileModule != nullptr) {
    NotifySerialChange();
    m_learnFileModule->OnUserIfCommand(2);
  }
}

void CKelSequencer::begin_milestone(int /*announcedMode*/) {
  CloseCurrentMode();
  if (m_verbosity >= 2) PrWin::Output(16, 1, "CKelSequencer::begin_milestone\n");
}

void CKelSequencer::end_milestone() {
  m_valueStore.DismissValues();
  m_resultShop.KickOutErrors();
  if (m_verbosity >= 2) PrWin::Output(16, 1, "CKelSequencer::end_milestone\n");
}

void CKelSequencer::remove_candidate(bool evaluate) {
  if (evaluate) CloseCurrentMode();
  m_candidateInserted = false;
  CheckEmptyModes();
  m_currentMode = -1;
  const int missing = CountMissingMeasurements();
  if (missing > 0) {
    if (m_verbosity < 1)
      PrWin::Output(4, "%s (remove candidate): Not all requested measurements are done\n",
                    Name().c_str());
    else
      PrWin::Output(4,
                    "%s (remove candidate): %d measurements missing (see output window "
                    "'parameter data base')\n",
                    Name().c_str(), missing);
  }
  m_resultShop.MeasuringComplete(missing == 0);
  m_resultShop.KickOutErrors();
  if (m_verbosity >= 1)
    PrWin::Output(8, "CKelSequencer::remove_candidate: %d measurements missing\n", missing);
  if (m_verbosity >= 2) PrWin::Output(16, 1, "CKelSequencer::remove_candidate\n");
}
