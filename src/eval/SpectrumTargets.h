#pragma once
// The quantities a spectrum feeds: the calculators that derive single values from final
// spectra (hats, first harmonic peak, polygon deviation) take their target keys from their key
// set, per spectrum, as one contiguous key range: a given mode, the calculator's instrument and
// the spectrum's channel. The result of a target is stored under the target key with the
// spectrum's own mode, so a virtual mode's spectrum fills the quantities its base mode defines.

#include <set>
#include <utility>

#include "eval/SourceGeneration.h"
#include "store/KelValueStore.h"
#include "store/Keys.h"

namespace SpectrumTargets {

using KeyIterator = std::set<QClavis>::const_iterator;

// [first, last) of the keys of `keySet` with mode `mode`, instrument `instrument` and channel
// `channel` (keys order by mode, instrument, channel first, so they are one range).
std::pair<KeyIterator, KeyIterator> OfChannel(const std::set<QClavis>& keySet, int mode,
                                              int instrument, int channel);

// The key a result of `target` computed from `spectrum` is stored under: `target` with the
// spectrum's mode.
QClavis StoredKey(const QClavis& target, const QClavis& spectrum);

// Calls feed(spectrum key, curve) for every final curve of `instrument` whose generation is
// `pass`, in key order; true when some call returned true (a value was produced).
template <typename Feed>
bool FeedNewSpectra(const CKelValueStore& store, int instrument, unsigned pass, Feed feed) {
  bool produced = false;
  for (const auto& [spectrum, curve] : store.FinalCurveStore().ValueMap()) {
    if (spectrum.instrument() != instrument) continue;
    if (SourceGeneration::OfCurve(store, spectrum) != pass) continue;
    if (feed(spectrum, curve)) produced = true;
  }
  return produced;
}

}  // namespace SpectrumTargets
