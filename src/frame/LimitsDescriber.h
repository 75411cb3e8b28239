#pragma once
// The limits a learn state gives, described for a person or a program: what the limit shop
// would set for every final scalar with a LimSValue record and every final curve with a
// LimCValue record, made from the learned items alone (stored values are not consulted).
//
// Per quantity: its key, the limit direction of its parameter, how many parts it has learned
// against its procedure's number of base learns, and the source of the limit:
//   - "fixed": not enough learned yet, so a scalar's limit is its allowed bound (the largest
//     allowed value for an upper limit, the smallest for a lower one);
//   - "polygon": not enough learned yet, so a curve's limit is its bound polygon;
//   - "learned": the learned limit (kept between the bounds);
//   - "none": the shop cannot make a limit (nothing learned, a parameter record missing).
// A scalar shows its limit, a curve the smallest and largest point of its limit curve.
// Scalar and curve tracks are not described.
//
// The limit parameters and names come from the installed plan.

#include <string>

#include "learn/KelLearnStore.h"
#include "store/KelValueStore.h"

namespace LimitsDescriber {

// `values` and `store` are the stores the limit shop works on (`store` read from the learn
// file); the learned items are only read.

// For a person; `path` names the learn file. Every line ends in a line feed:
//   "limit of scalar <key>: upper, learned 25 of 20 base learns, learned 96.34"
//   "limit of curve <key>: upper, learned 3 of 30 base learns, polygon 108..118"
std::string Text(CKelValueStore& values, CKelLearnStore& store, const std::string& path);

// One JSON object on one line (with a line feed): "file", "kind" ("limits"), "scalars" and
// "curves", each entry with its DescribedKey members, "direction" ("lower", "upper",
// "interval" or "none"), "count", "baseLearns" (null without learn procedure), "source", and
// "limit" (scalars) or "min" and "max" (curves); a limit that cannot be made is null.
std::string Json(CKelValueStore& values, CKelLearnStore& store, const std::string& path);

}  // namespace LimitsDescriber
