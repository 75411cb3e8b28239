#pragma once
// The lines the evaluation shop writes to the output window (all category 8, warnings, in the
// plain style 1). Keys are written as the limit shop writes them: FormatClavisText with all
// six fields.

#include <string>

#include "host/Params.h"
#include "store/Keys.h"

namespace EvalShopOutput {

inline constexpr int kKeyMessageStyle = 1;

// How a value that is not a finite number is named: "nan", "inf" or "-inf" (a NaN of either
// sign is "nan").
const char* NonFiniteName(float value);

// "CKelEvalShop: '<key>' measured a value that is not a finite number (<nan|inf|-inf>) at
// <position %g>; it counts as a violation\n"
void NonFiniteValue(const CDtParamInstance& params, const QClavis& key, float value,
                    float position);

// "<operation>: No parameters found for trigger '<trigger name>' and quantity with clavis
// '<key>'" (no line feed), written as a ready text.
void NoTriggerParameters(const CDtParamInstance& params, const char* operation, const QClavis& key);

// "<operation>: no error code parametrized for '<key>'; it is not evaluated\n"
void NoErrorCode(const CDtParamInstance& params, const char* operation, const QClavis& key);

// "<operation>: the spectrum at <position %g> of '<key>' has no data; it is not evaluated\n"
void SpectrumWithoutData(const CDtParamInstance& params, const char* operation, const QClavis& key,
                         float position);

// "<operation>: the spectrum at <position %g> of '<key>' has <n> bins where the track's
// spectra have <m>; it is not evaluated\n"
void SpectrumOfOtherLength(const CDtParamInstance& params, const char* operation,
                           const QClavis& key, float position, unsigned bins, unsigned trackBins);

}  // namespace EvalShopOutput
