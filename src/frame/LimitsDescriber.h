#pragma once
// The limits a learn state gives (QuantityLimits), described for a person or a program: per
// quantity with a limit record of the installed plan its key, the limit direction of its
// parameter, how many parts it has learned against its procedure's number of base learns,
// the source of the limit and the limit: a scalar's value, the smallest and largest point of a
// curve's limit curve or of a track's limits. Limit parameters and names come from the
// installed plan.

#include <string>

#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace LimitsDescriber {

// `values` and `store` are the stores the limit shop works on (`store` read from the learn
// file, `values` holding its track key maps); the learned items are only read.

// For a person; `path` names the learn file. A heading line, then one line per final scalar,
// final curve, scalar track and curve track, each ending in a line feed:
//   "limit of scalar <key>: upper, learned 25 of 20 base learns, learned 96.34"
//   "limit of curve <key>: upper, learned 3 of 30 base learns, polygon 108..118"
// ("no learn procedure" instead of "<n> base learns"; "none" when no limit can be made).
std::string Text(CKelValueStore& values, CKelLearnStore& store, const std::string& path);

// One JSON object on one line (with a line feed): "file", "kind" ("limits"), "scalars",
// "curves", "scalarTracks", "curveTracks", each entry with its DescribedKey members,
// "direction" ("lower", "upper", "interval" or "none"), "count", "baseLearns" (null without
// learn procedure), "source", and "limit" (scalars) or "min" and "max" (the others); a limit
// that cannot be made is null.
std::string Json(CKelValueStore& values, CKelLearnStore& store, const std::string& path);

}  // namespace LimitsDescriber
