#pragma once
// CKelSequencer: the module that follows the host's test sequence. It owns the run's value
// store and result shop, registers them as the default stores, and on every event of the
// sequence (a part is inserted, a mode begins, a measurement ends, a part is removed ...) runs
// a fixed order of store operations and the evaluation cycle.
//
// Its settings live in the application store under "<name>-Params", "Terminal-ErrorCode",
// "ResultCodeCompatibilityOptions", "Terminal-Instruments" and "Terminal-Modes"; the value
// history of each part type is kept in "<local data>/History/<name>.dhf", the name made by
// FileIO::partTypeFileName from the platform and the base type (docs/file-formats.md), and the
// learn tables of its moving-average learn stores in "<name>.ma" beside it.
//
// Learning: the main learn store learns a mode's values when the mode's result is O.K. (or no
// error was found); every moving-average learn store (one per line of "<name>-MA-Params":
// field 0 its name, field 1 its learn-procedure id) learns them regardless of errors.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "eval/KelEvalShop.h"
#include "eval/KelInstrumentShop.h"
#include "host/Module.h"
#include "host/Params.h"
#include "learn/KelLearnFileKeeper.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLimitShop.h"
#include "result/ResultShop.h"
#include "sequencer/CommandCenter.h"
#include "store/KelValueStore.h"

class CKelSequencer : public CSpecialModeClient, public CCommandCenterClient {
 public:
  // Instrument id of the keys of mode-level errors: (mode, 9500, 0, 0, 0, 0).
  static constexpr int MODE_CHECK_INSTRUMENT = 9500;
  static constexpr unsigned kRefreshPeriodMs = 100;
  using mode_record_t = std::pair<const int, Kelva::measure_state_t>;

  CKelSequencer();
  ~CKelSequencer() override;

  const char* RuntimeClassName() const override { return "CKelSequencer"; }
  bool Create(const std::string& name, CModule* parent) override;
  void PostCreate() override;
  void OnSpecialFileSave() override;
  void OnSpecialRevertToDefaults() override;
  void OnSpecialShutdown() override;
  void OnSequencerEvent(Kelva::sequencer_events_t event, Kelva::event_argument_t argument) override;

  // One moving-average learn store: its name and learn procedure from "<name>-MA-Params", its
  // index in the learn-store server (-1 before it is registered) and the store itself (made in
  // PostCreate).
  struct ma_learn_entry_t {
    std::string name;
    int procedure = -1;
    int serverIndex = -1;
    std::unique_ptr<CKelLearnStore> store;
  };

  CKelValueStore& ValueStore() { return m_valueStore; }
  CResultShop& ResultShop() { return m_resultShop; }
  CKelLearnStore& LearnStore() { return m_learnStore; }
  CKelLimitShop& LimitShop() { return m_limitShop; }
  CKelEvalShop& EvalShop() { return m_evalShop; }
  CKelInstrumentShop& InstrumentShop() { return m_instrumentShop; }
  CKelLearnFileKeeper& LearnFileKeeper() { return m_learnFileKeeper; }
  const std::vector<ma_learn_entry_t>& MALearnStores() const { return m_maLearnStores; }
  int CurrentMode() const { return m_currentMode; }
  bool CandidateInserted() const { return m_candidateInserted; }

  // Settings.
  void LoadSettings();
  void SaveSettings();
  void ApplySettings();
  void NotifySerialChange();
  // Whether the learn-file module hands its notifications to this sequencer's keeper, which
  // then replaces the main learn store's learned tables when a part is inserted.
  bool KeeperRestoresLearnStore() const;
  int Verbosity() const { return m_verbosity; }

  // History files of the current part type (kind 0 ".dhf", kind 1 ".ma": the learn tables of
  // every moving-average learn store in list order).
  // SaveHistory: true when nothing is to be written (no part type, every history depth 0) or
  // the file was written; false when it was not, and then the output window gets
  // "CKelSequencer::SaveHistory(): Error writing history file <path>: <reason>" and the
  // failure is counted. LoadHistory: false without a part type and when the file cannot be
  // read (reported; the damaged file is moved aside and the history starts empty); a missing
  // file is no failure.
  bool SaveHistory();
  bool LoadHistory();
  // "<local data>/History/".
  std::string HistoryFolder() const;
  // FileIO::partTypeFileName of the platform and base type; "" when both are empty.
  std::string HistoryName() const;
  // "<local data>/History/<name><extension>"; "" when no history is kept for the part type:
  // no platform and no type, a name longer than FileIO::kMaxPartTypeFileNameBytes, or a path
  // longer than FileIO::kMaxFilePathBytes.
  std::string HistoryPath(const std::string& extension) const;
  // Failed saves since creation, and the last one as "<path>: <reason>" ("" while none failed).
  int HistorySaveFailures() const { return m_historySaveFailures; }
  std::string LastHistorySaveError() const { return m_lastHistorySaveError; }
  // The project command: flags 4 copies the local history to the project folder `projectPath`,
  // 2 saves and copies, 8 saves, copies and takes the project's history over. A copy that fails
  // ends the command (false) with "CKelSequencer::OnProject(): the history files cannot be
  // copied: <reason>" in the output window; each file copied is whole, old or new.
  bool OnProject(long flags, const std::string& projectPath);

  // Completeness checks.
  void LoadTerminalTables();
  int CheckRequestedMeasuringResults();
  bool CheckRequestedMeasuredModes(const mode_record_t& record);
  bool CheckEmptyModes();
  int CountMissingMeasurements();
  bool ModeIsCheckedForMissingMeasurements(int mode);

  // Evaluation cycle.
  void EvaluateTracks(int mode, Kelva::sequencer_events_t event);
  int Evaluate(int mode, Kelva::sequencer_events_t event);
  void EvaluateAndLearn(int mode, Kelva::sequencer_events_t event);

  // The mode's state record in the result shop (under its base mode); null with a warning.
  mode_record_t* get_mode_state(int mode);
  // Sends mcRefreshReport when the error list changed since the last refresh.
  void RefreshReportTick();

 private:
  void insert_candidate(const std::string& serial);
  void begin_mode(int mode);
  void begin_measurement(int mode);
  void cancel_measurement(int mode);
  void end_measurement(int mode);
  void end_ratiotest(int mode);
  void end_shiftlane(int mode, int from, int to);
  void end_mode(int mode);
  // The mode number of the milestone event is not used: a milestone closes the current mode.
  void begin_milestone(int announcedMode);
  void end_milestone();
  void remove_candidate(bool evaluate);
  // What a milestone and an evaluating removal do: the current mode's tracks, evaluation and
  // learning for the event remove_candidate, then the learn-file module hears of a changed
  // serial (4) and of the finished evaluation (2).
  void CloseCurrentMode();
  void ClearMode(int mode, Kelva::sequencer_events_t event);
  void SetState(int mode, Kelva::measure_state_t state);
  void Trace(const char* format, const std::string& text) const;
  bool CheckingAllowed() const { return !m_checksSuspended || m_checkWhenSuspended != 0; }
  void ResetTerminalTables();
  // "" when a history path of the current part type can be kept, else why not.
  std::string HistoryPathProblem(const std::string& extension) const;
  bool KeepsHistory() const;
  // Counts, remembers and reports a failed save; returns false.
  bool FailHistorySave(const std::string& path, const std::string& reason);
  bool SaveHistoryFile(const std::string& extension, const std::function<bool(CFile&)>& write);
  // Reads one history file of the current part type; false when no history is kept for the
  // part type, or when the file is damaged: then `discard` empties what it was read into, and
  // the damage is reported and the file kept aside.
  bool LoadHistoryFile(const std::string& extension,
                       const std::function<bool(CFile&, std::string&)>& read,
                       const std::function<void()>& discard);
  bool ReadMALearnTables(CFile& file, std::string& why);
  // The moving-average entries of "<name>-MA-Params" (their stores are made by
  // CreateMALearnStores), and the lines written back.
  void LoadMAParams();
  void SaveMAParams() const;
  void CreateMALearnStores();
  void ReleaseMALearnStores();

  CDtParamInstance m_params;
  CKelValueStore m_valueStore;
  CResultShop m_resultShop;
  CKelLearnStore m_learnStore;
  // Makes the limits of the pending values from the main learn store's data.
  CKelLimitShop m_limitShop;
  // The handler of the learn-file module: keeps the main learn store's data across parts.
  CKelLearnFileKeeper m_learnFileKeeper;
  // Compares the pending values with their limits and enters the violations as errors.
  CKelEvalShop m_evalShop;
  // Computes the derived quantities (second-level instruments) of the pending values.
  CKelInstrumentShop m_instrumentShop;
  CModule* m_learnFileModule = nullptr;
  int m_currentMode = -1;
  int m_dismissHistory = 1;
  unsigned m_maHistoryDepth = 1;
  int m_averagingParameter = 0;
  int m_averagingSwitch = 1;
  bool m_candidateInserted = false;
  bool m_checksSuspended = true;
  std::string m_lastBaseType;
  std::string m_lastPlatform;
  std::string m_lastSerial;
  int m_neutralSerialCheck = 0;
  int m_learnSpectrograms = 0;
  int m_finalScalarHistoryDepth = 0;
  int m_finalCurveHistoryDepth = 0;
  int m_trackScalarHistoryDepth = 0;
  int m_trackCurveHistoryDepth = 0;
  int m_maxErrors = 50;
  int m_errorCountMode = 1;
  int m_resultRequestEndsMode = 0;
  int m_checkWhenSuspended = 0;
  int m_checkEverySelectedMode = 0;
  int m_checkEmptyRuns = 0;
  int m_functionModesFirst = 1;
  int m_repetitionClearsErrors = 1;
  std::vector<ma_learn_entry_t> m_maLearnStores;
  std::map<int, bool> m_requestedInstruments;
  int m_errMissingMeasurement = -1;
  std::map<int, int> m_selectedModes;
  int m_errEmptyMode = -1;
  int m_errModeNotMeasured = -1;
  int m_notEvalInterpretation = 0;
  int m_errNotEval = -1;
  bool m_sysErrorInterpretation = true;
  int m_verbosity = 0;
  int m_refreshCallback = -1;
  int m_historySaveFailures = 0;
  std::string m_lastHistorySaveError;
  // A damaged history file that could not be moved aside: never saved over.
  std::set<std::string> m_historyNotSavedOver;
  uint32_t m_lastRefreshTick = 0;
};
