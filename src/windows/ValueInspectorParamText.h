#pragma once
// The parameter texts of the value inspector: what the test plan says about the calculation
// parameters and the instrument parameter of an inspected quantity. Both texts start with a
// separator line and read the plan only.

#include <string>

#include "host/Params.h"
#include "store/Keys.h"

namespace ValueInspectorText {

// A reference to a plan object: "<name> (<id>)", "(Nil)" for -1, and "(unbekannt?) (<id>)"
// when `known` is false (the plan has no such object).
std::string Reference(const std::string& name, int id, bool known);

// "\r\n\r\n----…\r\n<parameter> (IpCalcParams):" and one line "\r\n    <name>: <value>" per
// calculation parameter of the key's instrument parameter, in number order; "\r\n(n/a)" when
// it has none. A parameter without a name in the plan is labelled with its number. Values that
// name plan objects are shown as references: 8 and 29 name instrument parameters, 7 names an
// instrument when the plan has that instrument (track-from-track reads it as a plain number).
std::string CalcParamText(const CDtParamInstance& params, const QClavis& key);

// "\r\n\r\n----…\r\n<parameter> (InstrumentParam):", then the parameter's instrument, trigger
// and evaluation mode; "\r\n(Liefert keine Werte)" when the key's instrument delivers no kind
// of value; the limit setup of the quantity "\r\n<evaluation>:  mean + p% + a + k" (p percent of
// the mean, offset a, k standard deviations) followed by its allowed range (single values:
// LimSValue, spectrograms: LimArea) when the plan has one, or "\r\n(n/a)" when the quantity
// is not parametrized or not evaluated; and the inconsistency warning when the parameter
// belongs to another instrument than the key's.
std::string InstrumentParamText(const CDtParamInstance& params, const QClavis& key);

}  // namespace ValueInspectorText
