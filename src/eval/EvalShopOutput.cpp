#include "eval/EvalShopOutput.h"

#include <cmath>

#include "host/Output.h"

namespace EvalShopOutput {

const char* NonFiniteName(float value) {
  if (std::isnan(value)) return "nan";
  return value > 0.0f ? "inf" : "-inf";
}

void NonFiniteValue(const CDtParamInstance& params, const QClavis& key, float value,
                    float position) {
  PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                "CKelEvalShop: '%s' measured a value that is not a finite number (%s) at %g; it "
                "counts as a violation\n",
                params.FormatClavisText(key).c_str(), NonFiniteName(value),
                static_cast<double>(position));
}

void NoTriggerParameters(const CDtParamInstance& params, const char* operation,
                         const QClavis& key) {
  const std::string trigger = params.TriggerName(params.TriggerId(key.parameter()));
  PrWin::Output(std::string(operation) + ": No parameters found for trigger '" + trigger +
                    "' and quantity with clavis '" +
                    params.FormatClavisText(key, std::bitset<6>(0x3f)) + "'",
                PrWin::catWarning, kKeyMessageStyle);
}

void NoErrorCode(const CDtParamInstance& params, const char* operation, const QClavis& key) {
  PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                "%s: no error code parametrized for '%s'; it is not evaluated\n", operation,
                params.FormatClavisText(key).c_str());
}

void SpectrumWithoutData(const CDtParamInstance& params, const char* operation, const QClavis& key,
                         float position) {
  PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                "%s: the spectrum at %g of '%s' has no data; it is not evaluated\n", operation,
                static_cast<double>(position), params.FormatClavisText(key).c_str());
}

void SpectrumOfOtherLength(const CDtParamInstance& params, const char* operation,
                           const QClavis& key, float position, unsigned bins, unsigned trackBins) {
  PrWin::Output(PrWin::catWarning, kKeyMessageStyle,
                "%s: the spectrum at %g of '%s' has %u bins where the track's spectra have %u; "
                "it is not evaluated\n",
                operation, static_cast<double>(position), params.FormatClavisText(key).c_str(),
                bins, trackBins);
}

}  // namespace EvalShopOutput
