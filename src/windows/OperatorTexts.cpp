#include "windows/OperatorTexts.h"

#include <map>

#include "host/Resources.h"

namespace {

const std::map<int, std::string>& EnglishTexts() {
  static const std::map<int, std::string> texts = {
      {OperatorText::kNoMeasuredData, "No measured data available"},
      {OperatorText::kMeasuredDataFound, "Measured data found"},
      {OperatorText::kNotParametrized, "Measured value is not parametrized."},
      {OperatorText::kParametrizedNotStored,
       "Measured value is parametrized but NOT STORED IN ARCHIVE."},
      {OperatorText::kParametrized, "Measured value is parametrized."},
      {OperatorText::kNoCurveData, "No curve data!"},
      {OperatorText::kLimitCurveAvailable, "Limit curve available."},
      {OperatorText::kNoLimitCurve, "No limit curve"},
      {OperatorText::kSpectrogramNotMeasured, "Spectrogram not measured."},
      {OperatorText::kSpectrogramEmpty, "Spectrogram is empty (has no spectra)."},
      {OperatorText::kSpectrogramWithSpectra, "Spectrogram with %d spectra."},
      {OperatorText::kTrackNotMeasured, "Track not measured."},
      {OperatorText::kTrackNoPoints, "Track has no points."},
      {OperatorText::kTrackWithPoints, "Track with %d points in %d dimension(s)."},
      {OperatorText::kSingleValueFound, "Single value found"},
      {OperatorText::kSingleValueNotMeasured, "Single value not measured."},
      {OperatorText::kInspectorValue, "Value"},
      {OperatorText::kInspectorLimit, "Limit"},
      {OperatorText::kInspectorTrack, "Track"},
      {OperatorText::kInspectorTrackSecond, "Track (2nd dimension)"},
      {OperatorText::kInspectorSpectrogram, "Spectrogram"},
      {OperatorText::kInspectorGrid, "Track grid"},
      {OperatorText::kAmpelWindowTitle, "Test Step Result Window"},
      {OperatorText::kAmpelAcousticOnly, "Show only acoustic modes in use"},
      {OperatorText::kAmpelPlaySound, "Play sound on measurement finished"},
      {OperatorText::kPlatformFallback, "Lum"},
      {OperatorText::kOptions, "Options"},
      {OperatorText::kReportOptionsTitle, "Report Window Options"},
      {OperatorText::kOptionAllModes, "Show results for all test steps"},
      {OperatorText::kOptionSensorInformation, "Show sensor information"},
      {OperatorText::kOptionInternalCodes, "Show 'internal' error codes (instead of 'external')"},
      {OperatorText::kOptionSortByPriority, "Main sorting by error priority"},
      {OperatorText::kOptionMaximumDefects, "Max. number of defects shown:"},
      {OperatorText::kOptionSeverityGroup, "Show error severity group"},
      {OperatorText::kOptionFontSize, "Font size:"},
      {OperatorText::kOptionFont, "Font:"},
      {OperatorText::kOptionAutoPrint, "Automatically print report for not OK test runs"},
      {OperatorText::kOptionBlackAndWhite, "Adapt for printing in black && white"},
      {OperatorText::kDefectCodeUndefined, "defect code undefined!"},
      {OperatorText::kTestCycleCancelled, "Test cycle cancelled"},
      {OperatorText::kResultNok, "Test n.O.K."},
      {OperatorText::kResultOk, "Test O.K."},
      {OperatorText::kResultNone, "no evaluation"},
      {OperatorText::kResultSysError, "System error"},
      {OperatorText::kResultUnknown, "Result code?"},
  };
  return texts;
}

}  // namespace

std::string OperatorText::Text(int id) {
  return HostResources::String(id);
}

void OperatorText::AddToResourceChain() {
  HostResources::AddStrings("en", EnglishTexts());
  HostResources::AddSound(kSoundSignal, "Signal");
}

void OperatorText::RemoveFromResourceChain() {
  HostResources::RemoveStrings(3000, 3999);
  HostResources::RemoveStrings(10000, 10999);
}
