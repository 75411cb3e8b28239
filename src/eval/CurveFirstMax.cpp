#include "eval/CurveFirstMax.h"

#include "eval/SpectrumTargets.h"
#include "host/Numeric.h"

namespace {

// The calculation parameter that names the spectrum parameter of a quantity.
constexpr int kSpectrumParameterNumber = 8;
// The spectra the first peak is taken from.
constexpr int kSpectrumInstrument = 2500;
// The share of the spectrum's range a peak must rise above its minimum.
constexpr float kPeakThreshold = 0.6f;

}  // namespace

CCurveFirstMax::CCurveFirstMax(const CDtParamInstance& params, CKelValueStore& valueStore,
                               CKelLearnStore& /*learnStore*/)
    : C2ndLevelInstrument(params, valueStore, kInstrument),
      m_spectrumParameterReader(params, kSpectrumParameterNumber) {}

void CCurveFirstMax::Prepare() {
  C2ndLevelInstrument::Prepare();
  m_spectrumParameterReader.Reset();
}

float CCurveFirstMax::FirstPeakFrequency(const KelSigLimitCurve& curve) {
  const size_t bin =
      numeric::FirstHarmonicDetector(curve.CurveData(), curve.size(), kPeakThreshold);
  return static_cast<float>(bin) * curve.description().Delta(0);
}

bool CCurveFirstMax::TakesSpectrum(const QClavis& key, const QClavis& spectrum) {
  if (key.location() != spectrum.location() || key.sensor() != spectrum.sensor()) return false;
  int spectrumParameter = -1;
  return !m_spectrumParameterReader.Value(key.parameter(), spectrumParameter) ||
         spectrumParameter == spectrum.parameter();
}

bool CCurveFirstMax::PeaksOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve,
                                     unsigned pass) {
  bool produced = false;
  const auto [first, last] =
      SpectrumTargets::OfChannel(m_keySet, spectrum.mode(), m_instrument, spectrum.channel());
  for (auto key = first; key != last; ++key) {
    if (!TakesSpectrum(*key, spectrum)) continue;
    KelStoreSValue result;  // the default context and expiry
    result.value = FirstPeakFrequency(curve);
    m_valueStore.InsertSValue(SpectrumTargets::StoredKey(*key, spectrum), result,
                              curve.description().XUnit(0), pass + 1);
    produced = true;
  }
  return produced;
}

bool CCurveFirstMax::process(unsigned pass) {
  return SpectrumTargets::FeedNewSpectra(
      m_valueStore, kSpectrumInstrument, pass,
      [&](const QClavis& spectrum, const KelSigLimitCurve& curve) {
        return PeaksOfSpectrum(spectrum, curve, pass);
      });
}
