#pragma once
// The generation of a value in the value store: the validation tag it waits for validation
// with (measured values 1, derived values the pass that made them + 1), or 0 when it is not
// waiting (validated in an earlier evaluation step, or not there at all). Second-level
// instruments use a source only when its generation is the current pass.

#include "store/KelValueStore.h"
#include "store/Keys.h"

namespace SourceGeneration {

// A final single value.
unsigned OfSValue(const CKelValueStore& store, const QClavis& key);
// A final curve (a spectrum).
unsigned OfCurve(const CKelValueStore& store, const QClavis& key);
// A scalar track (by the quantity's key; 0 when it has no track key).
unsigned OfScalarTrack(const CKelValueStore& store, const QClavis& key);
// A curve track (a spectrogram).
unsigned OfCurveTrack(const CKelValueStore& store, const QClavis& key);

}  // namespace SourceGeneration
