#pragma once
// PartExport: the current part as the default value store holds it, as one compact JSON object
// for tools outside the plug-in (the bench's HTML report). It reads the store only, through the
// same access paths the value inspector draws from, so what a report plots is what an operator
// would see in the inspector.
//
// {"quantities":[...]} with one object per stored quantity, ordered single values, then curves,
// then tracks, each in key order. Every object has "key" (six ids in field order), "names" (the
// plan's names of the ids, when it names any), "kind" and "unit" (the value unit's symbol):
//   "single":   "value", "position", "evalMode", "limit", "mean"
//   "spectrum": "x0", "dx", "xUnit", "evalMode", "samples" and, when the curve is limited
//               (evalMode other than 0), "limit" with one limit sample per sample
//   "track":    "xUnit", "points": [[x, value, evalMode, upperLimit, lowerLimit, mean], ...]
//               in the order of the trigger axis; x is the point's position on that axis
// evalMode: 0 none, 1 lower, 2 upper, 3 interval. Numbers are written with %.6g; a number
// that is not finite is null. Spectrograms are not exported.

#include <string>

class CKelValueStore;

namespace PartExport {

// The description of `store`, ending in a line feed.
std::string Json(const CKelValueStore& store);

// The description of the default value store; false (and `json` says why, as one line
// without line feed) when there is none.
bool DefaultStoreJson(std::string& json);

}  // namespace PartExport
