// Hats laid over the limit curve of a spectrum: where an evaluated maximum hat covers a band,
// the spectrum's limit there is the hat's own limit.

#include "eval/KelSpecRange.h"
#include "eval/KelSpectralHat.h"
#include "learn/KelLimitShop.h"

void CKelLimitShop::SigFixedCurveLimit(const QClavis& key, KelSigLimitCurve& curve) const {
  const int hatInstrument = Kelva::HatInstrumentOf(key.instrument());
  const int baseMode = params_.VirtMode2BaseMode(key.mode());
  const auto& limits = params_.LimSValue();
  CKelSpecRange range(params_);
  // The hat limits of the base mode and the spectrum's channel, in key order.
  for (auto hat = limits.lower_bound(QClavis(baseMode, hatInstrument, key.channel(), 0, 0, 0));
       hat != limits.end() && hat->first.mode() == baseMode &&
       hat->first.instrument() == hatInstrument && hat->first.channel() == key.channel();
       ++hat) {
    const auto [match, record] = Kelva::SpectralHatMatches(params_, hat->first, key);
    if (match != Kelva::hat_of_spectrum) continue;
    if (!Kelva::IsSpectralSingleValue(params_, hat->first)) continue;
    float value = 0.0f;
    if (!RetrieveSValueLimit(hat, value, true)) continue;
    QClavis bands = hat->first;
    if (record->second.location != -1) bands.set_location(record->second.location);
    range.ApplyHatOnSpectralLimit(bands, key, curve, value);
  }
}
