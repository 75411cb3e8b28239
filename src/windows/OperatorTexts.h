#pragma once
// The operator texts of the library's windows: one string table, added to the host's resource
// chain when the library is loaded. The table below is English; another language is another
// table of the same ids (HostResources::AddStrings with its language code).

#include <string>

namespace OperatorText {

enum : int {
  // Value inspector: what the value store holds for the chosen key.
  kNoMeasuredData = 3000,
  kMeasuredDataFound = 3001,
  kNotParametrized = 3002,
  kParametrizedNotStored = 3003,
  kParametrized = 3004,
  kNoCurveData = 3005,
  kLimitCurveAvailable = 3006,
  kNoLimitCurve = 3007,
  kSpectrogramNotMeasured = 3008,
  kSpectrogramEmpty = 3009,
  kSpectrogramWithSpectra = 3010,
  kTrackNotMeasured = 3011,
  kTrackNoPoints = 3012,
  kTrackWithPoints = 3013,
  kSingleValueFound = 3014,
  kSingleValueNotMeasured = 3015,
  kInspectorValue = 3020,
  kInspectorLimit = 3021,
  kInspectorTrack = 3022,
  kInspectorTrackSecond = 3023,
  kInspectorSpectrogram = 3024,
  kInspectorGrid = 3025,

  // Signal light window.
  kAmpelWindowTitle = 10001,  // also its first context-menu item
  kAmpelAcousticOnly = 10002,
  kAmpelPlaySound = 10003,

  // Report window.
  kPlatformFallback = 10009,
  kOptions = 10010,
  kReportOptionsTitle = 10011,
  kOptionAllModes = 10012,
  kOptionSensorInformation = 10013,
  kOptionInternalCodes = 10014,
  kOptionSortByPriority = 10015,
  kOptionMaximumDefects = 10016,
  kOptionSeverityGroup = 10017,
  kOptionFontSize = 10018,
  kOptionFont = 10019,
  kOptionAutoPrint = 10020,
  kOptionBlackAndWhite = 10021,
  kDefectCodeUndefined = 10022,
  kTestCycleCancelled = 10023,
  kResultNok = 10024,
  kResultOk = 10025,
  kResultNone = 10026,
  kResultSysError = 10027,
  kResultUnknown = 10028,

  // Wave resource played when a measurement finished.
  kSoundSignal = 10030,
};

// The text in the host's display language (English when that language lacks it).
std::string Text(int id);
// Adds the library's table and sounds to the host's resource chain; removes them again.
void AddToResourceChain();
void RemoveFromResourceChain();

}  // namespace OperatorText
