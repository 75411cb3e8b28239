#include "eval/SpectrumTargets.h"

namespace SpectrumTargets {

std::pair<KeyIterator, KeyIterator> OfChannel(const std::set<QClavis>& keySet, int mode,
                                              int instrument, int channel) {
  return {keySet.lower_bound(QClavis(mode, instrument, channel, 0, 0, 0)),
          keySet.lower_bound(QClavis(mode, instrument, channel + 1, 0, 0, 0))};
}

QClavis StoredKey(const QClavis& target, const QClavis& spectrum) {
  QClavis stored = target;
  stored.set_mode(spectrum.mode());
  return stored;
}

}  // namespace SpectrumTargets
