#pragma once
// What the sequencer sets and calls on the result shop. Every setter only stores its value.

#include <map>

#include "result/ResultDefs.h"
#include "sequencer/SequencerEvents.h"

class CResultShop_SequencerInterface {
 public:
  using mode_state_map_t = std::map<int, Kelva::measure_state_t>;

  virtual ~CResultShop_SequencerInterface() = default;
  // At most `max` entries are kept by KickOutErrors (0: no limit), never fewer than the
  // `keepPerMode` most important entries of each mode.
  virtual void SetErrorCount(unsigned max, unsigned keepPerMode) = 0;
  virtual void SetIgnoreNotEval(bool ignore) = 0;
  virtual void SetNotEvalInterpretation(Kelva::not_eval_interpretation_t interpretation) = 0;
  virtual void SetNotEvalErrorCode(int code) = 0;
  virtual void SetSysErrorInterpretation(bool asNok) = 0;
  virtual void SetResultRequestEndsMode(bool ends) = 0;
  virtual void FunctionModesFirst(bool first) = 0;
  virtual void MeasurementRepetitionClearsErrors(bool clears) = 0;
  virtual void MeasuringComplete(bool complete) = 0;
  virtual unsigned KickOutErrors() = 0;
  virtual void Purge() = 0;
  virtual void OnInsertCandidate() = 0;
  // Base mode -> measuring state.
  virtual mode_state_map_t& ModeStateMap() = 0;
};
