#pragma once
// CResultShop: the errors of the current part and the results derived from them.
//
// Error list: every violated limit, missing measurement and unevaluated mode is an entry keyed
// by the quantity, with an error code of the parameter database's error-code table. Entries
// are suppressed by shadow groups (one root-cause error hides its follow-on errors), cleared
// per mode and event, trimmed to a maximum count, and exported to the host.
//
// Results: a mode's, a location's or the whole part's result comes from the largest severity
// of its entries (through the severity table), or from the mode's measuring state when there
// is no error of severity 1 or more.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/Params.h"
#include "params/ParamTable.h"
#include "result/PlanPriorities.h"
#include "result/ResultShop_SequencerInterface.h"
#include "store/KelStoreError.h"
#include "store/Keys.h"

class CResultShop : public CResultShop_SequencerInterface {
 public:
  static constexpr unsigned VelkocontrolFcListSize = 50;

  using error_list_t = CQParamTypedTable<std::multimap<QClavis, KelStoreError>>;
  using iterator = error_list_t::iterator;

  // One entry as GetErrors hands it out: the key, the error and its error-code record.
  struct error_entry_t {
    int32_t mode, instrument, channel, location, parameter, sensor;
    KelStoreError error;
    QVErrorCode code;
  };

  // Orders of GetErrors.
  enum error_sorting_t : int32_t {
    // List order: by key, entries of one key in order of addition.
    es_list = 0,
    // Most important first: descending priority of the code, then order of occurrence
    // (ascending sequence number).
    es_priority = 1,
    // As es_priority; with FunctionModesFirst set, the entries of function modes (mode
    // property flag 0x100) come before all others.
    es_priority_function_modes_first = 2,
  };

  CResultShop();

  // CResultShop_SequencerInterface.
  void SetErrorCount(unsigned max, unsigned keepPerMode) override;
  void SetIgnoreNotEval(bool ignore) override { m_ignoreNotEval = ignore; }
  void SetNotEvalInterpretation(Kelva::not_eval_interpretation_t value) override {
    m_notEvalInterpretation = value;
  }
  void SetNotEvalErrorCode(int code) override { m_notEvalErrorCode = code; }
  void SetSysErrorInterpretation(bool asNok) override { m_sysErrorInterpretation = asNok; }
  void SetResultRequestEndsMode(bool ends) override { m_resultRequestEndsMode = ends; }
  void FunctionModesFirst(bool first) override { m_functionModesFirst = first; }
  void MeasurementRepetitionClearsErrors(bool clears) override {
    m_repetitionClearsErrors = clears;
  }
  void MeasuringComplete(bool complete) override { m_measuringComplete = complete; }
  unsigned KickOutErrors() override;
  void Purge() override;
  void OnInsertCandidate() override;
  mode_state_map_t& ModeStateMap() override { return m_modeStates; }

  bool MeasuringComplete() const { return m_measuringComplete; }
  bool FunctionModesFirst() const { return m_functionModesFirst; }
  bool MeasurementRepetitionClearsErrors() const { return m_repetitionClearsErrors; }
  bool ResultRequestEndsMode() const { return m_resultRequestEndsMode; }
  uint32_t GetLastErrorTime() const { return m_lastErrorTime; }
  void SetLastErrorTime(uint32_t ticks) { m_lastErrorTime = ticks; }

  // Error list.
  // Adds an error (value, limit, mean, position) unless a shadow group of its mode hides it.
  void AddErrorEntry(const QClavis& key, int code, float value, float limit, float mean,
                     float position);
  // Mode and event -1: everything. Event -1: all entries of the mode, and its shadow mask.
  // Another event: with "repetition clears errors", the mode's entries whose measured value
  // (in the default value store) belongs to the event's time slice.
  void DeleteErrorEntries(int mode, Kelva::sequencer_events_t event);
  void DeleteErrorEntry(const QClavis& key);
  iterator DeleteErrorEntry(iterator entry);
  // Empties the list, the export list, the sequence numbering, the shadow masks and the mode
  // states.
  void DismissErrors();
  const std::pair<const QClavis, KelStoreError>* FindErrorEntry(int code) const;
  // Mode -1: whether there is any entry.
  bool HasErrors(int mode) const;
  const error_list_t& Errors() const { return m_errors; }

  // The mode's entries (all for -1) in the given order; false when an entry's code is not in
  // the error-code table (it then carries a default record).
  bool GetErrors(std::vector<error_entry_t>& out, error_sorting_t sorting, int mode) const;
  // The first min(n, count) exported codes, the rest of the n slots 0; returns the count.
  unsigned CopyVelkocontrolErrcodes(int* out, unsigned n) const;
  void ResetVelkocontrolErrcodes() { m_exportCount = 0; }
  // The codes of the mode's entries, sorted, each once.
  void FehlercodesHolen(std::vector<int>& out, int mode) const;
  void ReportErrors() const;
  void PurgeShop();
  // Adds a batch of errors with priorities fitted to the list: a code already listed keeps
  // its priority, a new code gets the middle of the lowest and highest listed priority (1000
  // when no code of the batch is listed). Entries of priority 0 or less are not added. False
  // (nothing added) when the batch holds one error twice (same key and code). The priorities
  // are written into the error-code records of the installed plan: they hold for the following
  // parts too, until another plan is installed.
  bool UnifyAndRePriorize(std::vector<std::pair<QClavis, KelStoreError>>& batch);

  // Results.
  Kelva::measure_state_t GetModeState(int mode) const;
  int GetSeverityForMode(int mode);
  int GetSeveritiesForMode(int& min, int& max, int mode);
  NorviDefs::result_t GetResultForMode(int mode, NorviDefs::result_t* result = nullptr,
                                       NorviDefs::result_color_t* colour = nullptr,
                                       std::string* text = nullptr);
  NorviDefs::result_t GetResultForLocation(int location, int* severity = nullptr);
  NorviDefs::result_t ResultRequest(int mode);

 private:
  // The error-code record of a code (with a priority set by UnifyAndRePriorize); false and a
  // default record when the code is not in the table.
  bool CodeRecord(int code, QVErrorCode& record) const;
  int Priority(int code) const;
  unsigned GroupBit(int code) const;
  bool ApplyShadows(int code, int mode);
  void BuildGroupTables();
  void Touch();
  int Severity(const std::pair<const QClavis, KelStoreError>& entry) const;
  NorviDefs::result_t TranslateSeverityToResult(int severity, NorviDefs::result_color_t* colour,
                                                std::string* text) const;
  NorviDefs::result_t GetResultFromModeState(int mode, NorviDefs::result_color_t* colour) const;
  void AddNotEvalError(const std::pair<const int, Kelva::measure_state_t>& record);
  void PublishTestProperties(NorviDefs::result_t result) const;
  void ReportSeverity(unsigned severity);
  std::pair<iterator, iterator> ModeRange(int mode);
  std::pair<error_list_t::const_iterator, error_list_t::const_iterator> ModeRange(int mode) const;

  error_list_t m_errors;
  int m_nextSequence = 0;
  unsigned m_maxErrors = 50;
  unsigned m_keepPerMode = 1;
  bool m_functionModesFirst = true;
  bool m_repetitionClearsErrors = true;
  bool m_measuringComplete = false;
  bool m_ignoreNotEval = false;
  Kelva::not_eval_interpretation_t m_notEvalInterpretation = Kelva::ne_no_result;
  int m_notEvalErrorCode = -1;
  bool m_sysErrorInterpretation = true;
  bool m_resultRequestEndsMode = false;
  std::array<int, VelkocontrolFcListSize> m_exportCodes{};
  unsigned m_exportCount = 0;
  CDtParamInstance m_params;
  bool m_debugVerbose = false;
  std::map<int, unsigned> m_codeGroup;       // error code -> group bit
  std::map<unsigned, unsigned> m_groupMask;  // group bit -> groups it shadows
  std::map<int, unsigned> m_modeShadow;      // mode -> shadow mask of this run
  unsigned m_retestSeverity = 7;
  std::string m_retestText = "Test repetition prohibited";
  bool m_retestReported = false;
  mode_state_map_t m_modeStates;
  uint32_t m_lastErrorTime = 0;
  CPlanPriorities m_writtenPriorities;  // set by UnifyAndRePriorize, for the installed plan
};
