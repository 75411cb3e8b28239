#pragma once
// The head of the test report: the part's identity and, once results are asked for, the
// overall result.
//
//   preliminary: "<platform> <type> <serial> <inserted>\n" + 58 dashes + "\n"
//   final:       "<platform> <type> <serial> <inserted> >> <result text>\n" + 58 dashes + "\n"
//
// The type reads "<type> [<base type>]" when the base type is set and differs; an empty
// serial reads "-x-"; the insertion time is local time "YYYY-MM-DD hh:mm:ss".

#include <ctime>
#include <string>

#include "result/ResultDefs.h"

class CResultShop;
class CLongResultNames;

struct ReportHeaderFields {
  std::string platform;
  std::string type;
  std::string baseType;
  std::string serial;
  std::time_t inserted = 0;

  // The identity of the part now in the bench: an empty platform name reads as the operator
  // text "Lum" (10009), an empty serial as "--".
  static ReportHeaderFields FromCandidate();
};

// The overall result as the report header shows it.
struct ReportResult {
  NorviDefs::result_t result = NorviDefs::result_none;
  NorviDefs::result_color_t colour = NorviDefs::color_none;
  std::string text;
};

namespace ReportHeader {

std::string TypeText(const ReportHeaderFields& fields);
std::string InsertionTimeText(std::time_t inserted);
std::string Preliminary(const ReportHeaderFields& fields);
std::string Final(const ReportHeaderFields& fields, const std::string& resultText);

// The whole part's result from the shop (result_none without a shop). The text is the
// severity table's, or the long result name when that is empty or "-"; with
// `showSeverity` the part's severity follows as "{<severity>}" when above 0.
ReportResult OverallResult(CResultShop* shop, const CLongResultNames& names, bool showSeverity);

}  // namespace ReportHeader
