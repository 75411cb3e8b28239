#include "windows/ReportHeader.h"

#include "host/Candidate.h"
#include "result/ResultShop.h"
#include "windows/FormatText.h"
#include "windows/LongResultNames.h"
#include "windows/OperatorTexts.h"

ReportHeaderFields ReportHeaderFields::FromCandidate() {
  ReportHeaderFields fields;
  fields.platform = McGetPlatformName();
  if (fields.platform.empty())
    fields.platform = OperatorText::Text(OperatorText::kPlatformFallback);
  fields.type = McGetType();
  fields.baseType = McGetBaseType();
  fields.serial = McGetSerial();
  if (fields.serial.empty()) fields.serial = "--";
  fields.inserted = McGetInsertCandidateTime();
  return fields;
}

std::string ReportHeader::TypeText(const ReportHeaderFields& fields) {
  if (fields.baseType.empty() || fields.baseType == fields.type) return fields.type;
  return Kelva::FormatText("%s [%s]", fields.type.c_str(), fields.baseType.c_str());
}

std::string ReportHeader::InsertionTimeText(std::time_t inserted) {
  std::tm local{};
  if (localtime_r(&inserted, &local) == nullptr) return "?";
  char text[32];
  const size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, length);
}

namespace {

std::string SerialText(const ReportHeaderFields& fields) {
  return fields.serial.empty() ? "-x-" : fields.serial;
}

}  // namespace

std::string ReportHeader::Preliminary(const ReportHeaderFields& fields) {
  return Kelva::FormatText(
      "%s %s %s %s\n----------------------------------------------------------\n",
      fields.platform.c_str(), TypeText(fields).c_str(), SerialText(fields).c_str(),
      InsertionTimeText(fields.inserted).c_str());
}

std::string ReportHeader::Final(const ReportHeaderFields& fields, const std::string& resultText) {
  return Kelva::FormatText(
      "%s %s %s %s >> %s\n----------------------------------------------------------\n",
      fields.platform.c_str(), TypeText(fields).c_str(), SerialText(fields).c_str(),
      InsertionTimeText(fields.inserted).c_str(), resultText.c_str());
}

ReportResult ReportHeader::OverallResult(CResultShop* shop, const CLongResultNames& names,
                                         bool showSeverity) {
  ReportResult overall;
  if (shop != nullptr) shop->GetResultForMode(-1, &overall.result, &overall.colour, &overall.text);
  if (overall.text.empty() || overall.text == "-") overall.text = names.Name(overall.result);
  if (showSeverity && shop != nullptr) {
    const int severity = shop->GetSeverityForMode(-1);
    if (severity > 0) overall.text += Kelva::FormatText("{%d}", severity);
  }
  return overall;
}
