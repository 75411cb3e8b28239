#include "eval/CurveIntervals.h"

#include "eval/KelSpecRange.h"
#include "eval/KelSpectralHat.h"
#include "eval/SpectrumTargets.h"

namespace {

// The spectra whose hats the 1001 object makes.
constexpr int kSpectrumInstrument = 2500;

}  // namespace

CCurveIntervals::CCurveIntervals(const CDtParamInstance& params, CKelValueStore& valueStore,
                                 int instrument)
    : C2ndLevelInstrument(params, valueStore, instrument) {}

int CCurveIntervals::SpectrumInstrument() const {
  return m_instrument == Kelva::kHatOf2700Instrument ? Kelva::kSpectrum2700Instrument
                                                     : kSpectrumInstrument;
}

const QVIpSvOfSpec* CCurveIntervals::HatOfSpectrum(const QClavis& hat,
                                                   const QClavis& spectrum) const {
  const auto [match, record] = Kelva::SpectralHatMatches(m_params, hat, spectrum);
  return match == Kelva::hat_of_spectrum ? &record->second : nullptr;
}

bool CCurveIntervals::HatsOfSpectrum(const QClavis& spectrum, const KelSigLimitCurve& curve,
                                     CKelSpecRange& range, unsigned pass) {
  bool produced = false;
  const int baseMode = m_params.VirtMode2BaseMode(spectrum.mode());
  const auto [first, last] =
      SpectrumTargets::OfChannel(m_keySet, baseMode, m_instrument, spectrum.channel());
  for (auto hat = first; hat != last; ++hat) {
    const QVIpSvOfSpec* record = HatOfSpectrum(*hat, spectrum);
    if (record == nullptr) continue;
    KelStoreSValue result;
    result.context = curve.context;
    result.expire = curve.expire;
    if (!range.SingleValueOfSpectrum(*hat, spectrum, record->interpretation, curve, result.value,
                                     result.position))
      continue;
    m_valueStore.InsertSValue(SpectrumTargets::StoredKey(*hat, spectrum), result,
                              curve.description().YUnit(), pass + 1);
    produced = true;
  }
  return produced;
}

bool CCurveIntervals::process(unsigned pass) {
  CKelSpecRange range(m_params);
  return SpectrumTargets::FeedNewSpectra(
      m_valueStore, SpectrumInstrument(), pass,
      [&](const QClavis& spectrum, const KelSigLimitCurve& curve) {
        return HatsOfSpectrum(spectrum, curve, range, pass);
      });
}
