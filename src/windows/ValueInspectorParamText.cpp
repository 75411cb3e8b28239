#include "windows/ValueInspectorParamText.h"

#include "store/IdRange.h"
#include "windows/FormatText.h"

namespace {

constexpr const char kSeparator[] = "\r\n\r\n--------------------------------------------\r\n";
constexpr const char kUnknown[] = "(unbekannt?)";

// Calculation-parameter numbers whose values name plan objects.
constexpr int kSourceInstrument = 7;
constexpr int kSourceParameter = 8;
constexpr int kSecondOperand = 29;

bool IsKnownParameter(const CDtParamInstance& params, int parameter) {
  return params.InstrumentParam().count(QIdx1(parameter)) != 0;
}

std::string ParameterReference(const CDtParamInstance& params, int parameter) {
  return ValueInspectorText::Reference(params.InstrumentParamName(parameter), parameter,
                                       IsKnownParameter(params, parameter));
}

std::string InstrumentReference(const CDtParamInstance& params, int instrument) {
  return ValueInspectorText::Reference(params.InstrumentName(instrument), instrument,
                                       params.IsValidInstrument(instrument));
}

std::string TriggerReference(const CDtParamInstance& params, int trigger) {
  const std::string name = params.TriggerName(trigger);
  return ValueInspectorText::Reference(name, trigger, !name.empty());
}

// The value of calculation parameter `number` as the operator reads it.
std::string CalcValueText(const CDtParamInstance& params, int number,
                          const QVIpCalcParameter& record) {
  int32_t id = 0;
  if (!record.ValueInt(id)) return record.value;
  if (number == kSourceParameter || number == kSecondOperand) return ParameterReference(params, id);
  if (number == kSourceInstrument && (id == -1 || params.IsValidInstrument(id)))
    return InstrumentReference(params, id);
  return record.value;
}

const char* EvalModeName(QVInstrumentParam::eval_mode_t mode) {
  switch (mode) {
    case QVInstrumentParam::eval_none:
      return "No evaluation";
    case QVInstrumentParam::eval_lower:
      return "Lower limit";
    case QVInstrumentParam::eval_upper:
      return "Upper limit";
    case QVInstrumentParam::eval_interval:
      return "Interval";
  }
  return kUnknown;
}

// The allowed range of the quantity's limit, when the plan gives one for its kind of value.
std::string RangeText(const CDtParamInstance& params, const QClavis& key) {
  const char* const format = ";\r\n                Min = %5.2f, Max = %5.2f";
  const int resultType = params.ResultType(key.instrument());
  if (resultType == 1) {
    auto it = params.LimSValue().find(key);
    if (it != params.LimSValue().end())
      return Kelva::FormatText(format, it->second.minLimit, it->second.maxLimit);
  } else if (resultType == 5) {
    auto it = params.LimArea().find(key);
    if (it != params.LimArea().end())
      return Kelva::FormatText(format, it->second.lower, it->second.upper);
  }
  return std::string();
}

std::string LimitSetupText(const CDtParamInstance& params, const QClavis& key,
                           QVInstrumentParam::eval_mode_t evalMode) {
  auto it = params.IpParamAndStore().find(key);
  if (it == params.IpParamAndStore().end() || evalMode == QVInstrumentParam::eval_none)
    return "\r\n(n/a)";
  const QVIpParamAndStore& store = it->second;
  return Kelva::FormatText("\r\n%s:  %s + %4.1f%% + %5.2f + %4.1f", EvalModeName(evalMode), "mean",
                           store.percent, store.offset, store.sigmaFactor) +
         RangeText(params, key);
}

}  // namespace

std::string ValueInspectorText::Reference(const std::string& name, int id, bool known) {
  if (id == -1) return "(Nil)";
  return Kelva::FormatText("%s (%d)", known ? name.c_str() : kUnknown, id);
}

std::string ValueInspectorText::CalcParamText(const CDtParamInstance& params, const QClavis& key) {
  const int parameter = key.parameter();
  std::string text = Kelva::FormatText("%s%s (IpCalcParams):", kSeparator,
                                       ParameterReference(params, parameter).c_str());
  auto [first, last] = Kelva::IdRange(params.IpCalcParameter(), parameter,
                                      [](int32_t id) { return QIdx2(id, INT32_MIN); });
  if (first == last) return text + "\r\n(n/a)";
  for (; first != last; ++first) {
    const int number = first->first.second();
    const std::string label =
        first->second.name.empty() ? std::to_string(number) : first->second.name;
    text += Kelva::FormatText("\r\n    %s: %s", label.c_str(),
                              CalcValueText(params, number, first->second).c_str());
  }
  return text;
}

std::string ValueInspectorText::InstrumentParamText(const CDtParamInstance& params,
                                                    const QClavis& key) {
  const int parameter = key.parameter();
  std::string text = Kelva::FormatText("%s%s (InstrumentParam):", kSeparator,
                                       ParameterReference(params, parameter).c_str());
  auto record = params.InstrumentParam().find(QIdx1(parameter));
  if (record == params.InstrumentParam().end()) return text + "\r\n" + kUnknown;
  const QVInstrumentParam& ip = record->second;
  text += "\r\n    Instrument: " + InstrumentReference(params, ip.instrument);
  text += "\r\n    Trigger: " + TriggerReference(params, ip.trigger);
  text += "\r\n    Evaluation: " + std::string(EvalModeName(ip.evalMode));
  if (params.ResultType(key.instrument()) == 0) text += "\r\n(Liefert keine Werte)";
  text += LimitSetupText(params, key, ip.evalMode);
  if (ip.instrument != key.instrument())
    text += Kelva::FormatText(
        "\r\n\r\nInkonsistenz im Instrument-Parameter:\r\n'%s' [%d] gehört eigentlich zu '%s' "
        "[%d]!",
        ip.name.c_str(), parameter, params.InstrumentName(ip.instrument).c_str(), ip.instrument);
  return text;
}
