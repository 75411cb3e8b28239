#pragma once
// The quantities a spectrum feeds: the calculators that derive single values from final
// spectra (hats, first harmonic peak, polygon deviation) take their target keys from their key
// set, per spectrum, as one contiguous key range: a given mode, the calculator's instrument and
// the spectrum's channel. The result of a target is stored under the target key with the
// spectrum's own mode, so a virtual mode's spectrum fills the quantities its base mode defines.

#include <set>
#include <utility>

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

}  // namespace SpectrumTargets
