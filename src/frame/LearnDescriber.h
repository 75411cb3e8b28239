#pragma once
// What a learn store holds (what a learn file holds) described for a person or a program: the
// identifier tables of the file, the four chunks (2000 final scalars, 2001 scalar tracks, 2002
// final curves, 2003 curve tracks) with their row counts, then every learned item with its
// counters (count, remaining, active) and statistics:
//   - a final scalar or a point of a scalar track: the learned mean and the standard deviation
//     numeric::stddev(mean, meanSquare, 1);
//   - a final curve or a curve of a curve track: the number of points of its average curve and
//     the mean of those points (none for a curve without points).
// Tracks are shown under their track key with the quantity the value store's key map gives it
// (all fields -1 when the map does not know the track key), points in position order.
//
// A chunk's row count is what the store holds after the read: a chunk the file does not hold
// shows 0 rows, like an empty one. Floats are written in their shortest form that reads back as
// the same float; in JSON a value that is not a finite number is null.

#include <string>

#include "host/Params.h"
#include "learn/KelLearnStore.h"

namespace LearnDescriber {

// For a person; `path` names the file. Key fields carry the names `params` knows
// (DescribedKey). Every line ends in a line feed.
std::string Text(const CKelLearnStore& store, const std::string& path,
                 const CDtParamInstance& params);

// One JSON object on one line (with a line feed): "file", "kind" ("learn"),
// "identifierTables" (IdentifierTablesDescriber), "chunks" (each "id", "kind", "rows", and
// "tracks" for track chunks), "finalScalars" and "finalCurves" (per item its DescribedKey
// members and its fields), "scalarTracks" and "curveTracks" (per track "trackKey", the
// DescribedKey members of its quantity and "points", each with "position" and the item's
// fields). Scalar items have "count", "remaining", "active", "mean", "standardDeviation";
// curve items "count", "remaining", "active", "points", "averageMean" (null without points).
std::string Json(const CKelLearnStore& store, const std::string& path,
                 const CDtParamInstance& params);

}  // namespace LearnDescriber
