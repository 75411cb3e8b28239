// The sequencer's settings.
#include "host/Candidate.h"
#include "host/Output.h"
#include "host/Sea.h"
#include "sequencer/KelSequencer.h"

namespace {

const char* const kTerminalErrorCode = "Terminal-ErrorCode";
const char* const kCompatibility = "ResultCodeCompatibilityOptions";

}  // namespace

void CKelSequencer::LoadSettings() {
  const CSeaBase* sea = CSeaBase::ApplicationSea();
  const std::string params = Name() + "-Params";
  m_dismissHistory = sea->LookupGetInt(params, 0, 1);
  m_neutralSerialCheck = sea->LookupGetInt(params, 1, 0);
  m_lastSerial = sea->LookupGetString(params, 2, mcNeutralSerialIdent);
  m_learnSpectrograms = sea->LookupGetInt(params, 3, 0);
  m_finalScalarHistoryDepth = sea->LookupGetInt(params, 4, 0);
  m_finalCurveHistoryDepth = sea->LookupGetInt(params, 5, 0);
  m_trackScalarHistoryDepth = sea->LookupGetInt(params, 6, 0);
  m_trackCurveHistoryDepth = sea->LookupGetInt(params, 7, 0);
  m_averagingParameter = sea->LookupGetInt(params, 8, 0);
  m_maHistoryDepth = static_cast<unsigned>(sea->LookupGetInt(params, 9, 1));
  m_averagingSwitch = sea->LookupGetInt(params, 10, 1);
  m_maxErrors = sea->LookupGetInt(params, 11, 50);
  m_errorCountMode = sea->LookupGetInt(params, 12, 1);
  m_checkWhenSuspended = sea->LookupGetInt(params, 13, 0);
  m_checkEverySelectedMode = sea->LookupGetInt(params, 14, 0);
  m_checkEmptyRuns = sea->LookupGetInt(params, 15, 0);
  m_functionModesFirst = sea->LookupGetInt(params, 16, 1);
  m_resultRequestEndsMode = sea->LookupGetInt(params, 17, 0);
  m_repetitionClearsErrors = sea->LookupGetInt(params, 18, 1);
  m_verbosity = sea->LookupGetInt(params, 19, 0);

  m_errMissingMeasurement = sea->LookupGetInt(kTerminalErrorCode, 0, -1);
  m_errEmptyMode = sea->LookupGetInt(kTerminalErrorCode, 1, -1);
  m_errModeNotMeasured = sea->LookupGetInt(kTerminalErrorCode, 2, -1);
  m_errNotEval = sea->LookupGetInt(kTerminalErrorCode, 3, -1);

  m_notEvalInterpretation = sea->LookupGetInt(kCompatibility, 0, 0);
  m_sysErrorInterpretation = sea->LookupGetBool(kCompatibility, 1, true);
  // The two lists, so that saving before the first part keeps them.
  LoadTerminalTables();
  LoadMAParams();
}

void CKelSequencer::SaveSettings() {
  CSeaBase* sea = CSeaBase::ApplicationSea();
  const std::string params = Name() + "-Params";
  const int fields[] = {m_dismissHistory,
                        m_neutralSerialCheck,
                        0,
                        m_learnSpectrograms,
                        m_finalScalarHistoryDepth,
                        m_finalCurveHistoryDepth,
                        m_trackScalarHistoryDepth,
                        m_trackCurveHistoryDepth,
                        m_averagingParameter,
                        static_cast<int>(m_maHistoryDepth),
                        m_averagingSwitch,
                        m_maxErrors,
                        m_errorCountMode,
                        m_checkWhenSuspended,
                        m_checkEverySelectedMode,
                        m_checkEmptyRuns,
                        m_functionModesFirst,
                        m_resultRequestEndsMode,
                        m_repetitionClearsErrors,
                        m_verbosity};
  for (int field = 0; field < 20; ++field) {
    if (field == 2)
      sea->LookupSetString(params, m_lastSerial, 2);
    else
      sea->LookupSetInt(params, fields[field], field);
  }
  sea->LookupSetInt(kTerminalErrorCode, m_errMissingMeasurement, 0);
  sea->LookupSetInt(kTerminalErrorCode, m_errEmptyMode, 1);
  sea->LookupSetInt(kTerminalErrorCode, m_errModeNotMeasured, 2);
  sea->LookupSetInt(kTerminalErrorCode, m_errNotEval, 3);
  sea->LookupSetInt(kCompatibility, m_notEvalInterpretation, 0);
  sea->LookupSetBool(kCompatibility, m_sysErrorInterpretation, 1);

  CResourceList instruments(sea, "Terminal-Instruments");
  instruments.RemoveAll();
  for (const auto& [id, requested] : m_requestedInstruments) {
    CResourceLine line = instruments.AddLineTail();
    line.SetInt(0, id);
    line.SetBool(1, requested);
  }
  CResourceList modes(sea, "Terminal-Modes");
  modes.RemoveAll();
  for (const auto& [mode, flag] : m_selectedModes) {
    CResourceLine line = modes.AddLineTail();
    line.SetInt(0, mode);
    line.SetInt(1, flag);
  }
  SaveMAParams();
}

void CKelSequencer::ApplySettings() {
  m_valueStore.SetFinalScalarHistoryDepth(static_cast<unsigned>(m_finalScalarHistoryDepth));
  m_valueStore.SetFinalCurveHistoryDepth(static_cast<unsigned>(m_finalCurveHistoryDepth));
  m_valueStore.SetTrackScalarHistoryDepth(static_cast<unsigned>(m_trackScalarHistoryDepth));
  m_valueStore.SetTrackCurveHistoryDepth(static_cast<unsigned>(m_trackCurveHistoryDepth));
  m_valueStore.SetMAHistoryDepth(m_maHistoryDepth);
  m_resultShop.SetErrorCount(static_cast<unsigned>(m_maxErrors),
                             static_cast<unsigned>(m_errorCountMode));
  m_resultShop.FunctionModesFirst(m_functionModesFirst != 0);
  m_resultShop.MeasurementRepetitionClearsErrors(m_repetitionClearsErrors != 0);
  m_resultShop.SetNotEvalInterpretation(
      static_cast<Kelva::not_eval_interpretation_t>(m_notEvalInterpretation));
  m_resultShop.SetNotEvalErrorCode(m_errNotEval);
  m_resultShop.SetSysErrorInterpretation(m_sysErrorInterpretation);
  m_resultShop.SetResultRequestEndsMode(m_resultRequestEndsMode != 0);
  m_learnStore.LearnSpectrograms(m_learnSpectrograms != 0);
}

void CKelSequencer::OnSpecialRevertToDefaults() {
  std::string block = Name() + ": ";
  if (m_learnSpectrograms != 0) block += "'Learning of spectrograms' true --> false\n";
  if (m_checkEverySelectedMode == 0)
    block += "'Checking for completed test run on every selected mode' false --> true\n";
  if (m_checkEmptyRuns == 0)
    block += "'Checking for completeness even on empty test runs' false --> true\n";
  if (m_repetitionClearsErrors == 0)
    block += "'Repeated measurements clear errors' false --> true\n";
  if (m_verbosity != 0) block += "'verbosity' --> off\n";
  PrWin::Output(block, 16, 1);
  m_learnSpectrograms = 0;
  m_checkEverySelectedMode = 1;
  m_checkEmptyRuns = 1;
  m_repetitionClearsErrors = 1;
  m_verbosity = 0;
  ResetTerminalTables();
  CSpecialModeClient::OnSpecialRevertToDefaults();
}

void CKelSequencer::NotifySerialChange() {
  if (m_neutralSerialCheck == 0 || m_learnFileModule == nullptr) return;
  const std::string serial = McGetSerial();
  if (serial == mcNeutralSerialIdent) return;
  if (m_lastSerial != mcNeutralSerialIdent && m_lastSerial != serial)
    m_learnFileModule->OnUserIfCommand(4);
  m_lastSerial = serial;
}
