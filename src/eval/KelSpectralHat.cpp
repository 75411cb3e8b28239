#include "eval/KelSpectralHat.h"

namespace Kelva {

namespace {

// The number of the calculation parameter that names a hat's spectrum parameter.
constexpr int kSpectrumParameterSlot = 8;
// Bits of a channel's resampling type.
constexpr int kOrderResampled = 1;
constexpr int kRotorBound = 2;

int SpectrumParameterOfHat(const CDtParamInstance& params, int hatParameter) {
  const auto& calc = params.IpCalcParameter();
  const auto entry = calc.find(QIdx2(hatParameter, kSpectrumParameterSlot));
  int32_t parameter = -1;
  if (entry == calc.end() || !entry->second.ValueInt(parameter)) return -1;
  return parameter;
}

bool SeesRotorOf(const CDtParamInstance& params, const QClavis& hat, const QClavis& spectrum) {
  return (params.ChannelResamplingType(hat.channel()) & kOrderResampled) != 0 &&
         params.OrderSource2Rotor(hat.mode(), hat.location()) == spectrum.location();
}

bool IsFrequencyDefinition(const std::string& definition) {
  return definition.find_first_of("HM") != std::string::npos;
}

}  // namespace

int HatInstrumentOf(int spectrumInstrument) {
  return spectrumInstrument == kSpectrum2700Instrument ? kHatOf2700Instrument : kHatInstrument;
}

std::pair<spectral_hat_match_t, sv_of_spec_iterator> SpectralHatMatches(
    const CDtParamInstance& params, const QClavis& hat, const QClavis& spectrum) {
  const auto& records = params.IpSvOfSpec();
  if (hat.sensor() != spectrum.sensor()) return {hat_not_of_spectrum, records.end()};
  const auto record = records.find(QIdx1(hat.parameter()));
  if (record == records.end()) return {hat_not_of_spectrum, records.end()};
  const int spectrumParameter = SpectrumParameterOfHat(params, hat.parameter());
  if (spectrumParameter != -1 && spectrumParameter != spectrum.parameter())
    return {hat_not_of_spectrum, records.end()};
  bool matches = false;
  if (!IsFrequencyDefinition(record->second.definition))
    matches = hat.location() == spectrum.location() || SeesRotorOf(params, hat, spectrum);
  else if (record->second.location == -1)
    matches = (params.ChannelResamplingType(hat.channel()) & kRotorBound) != 0 ||
              SeesRotorOf(params, hat, spectrum);
  else
    matches = hat.location() == spectrum.location();
  return {matches ? hat_of_spectrum : hat_not_of_spectrum, record};
}

bool IsSpectralSingleValue(const CDtParamInstance& params, const QClavis& hat) {
  if (hat.instrument() != kHatInstrument && hat.instrument() != kHatOf2700Instrument) return false;
  const auto limit = params.LimSValue().find(hat);
  if (limit == params.LimSValue().end() || limit->second.evaluate != 1) return false;
  const auto ip = params.InstrumentParam().find(QIdx1(hat.parameter()));
  if (ip == params.InstrumentParam().end() || ip->second.evalMode != QVInstrumentParam::eval_upper)
    return false;
  const auto record = params.IpSvOfSpec().find(QIdx1(hat.parameter()));
  if (record == params.IpSvOfSpec().end()) return false;
  const int interpretation = record->second.interpretation;
  return interpretation == 2 || interpretation == 6;
}

}  // namespace Kelva
