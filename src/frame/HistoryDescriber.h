#pragma once
// The single-value history of a value store (what a history file holds) described for a person
// or a program: the history count, how many quantities, entries and sections there are, then
// every quantity in key order with each of its sections, oldest first, and the whole record
// stored there (value, position, eval mode, aux, limit, mean).
//
// Floats are written in their shortest form that reads back as the same float; in JSON a
// value that is not a finite number is null.

#include <string>

#include "host/Params.h"
#include "store/KelValueStore.h"

namespace HistoryDescriber {

// For a person; `path` names the file the history was read from. Key fields carry the names
// `params` knows (DescribedKey). Every line ends in a line feed.
std::string Text(const CKelValueStore& store, const std::string& path,
                 const CDtParamInstance& params);

// One JSON object on one line (with a line feed): "file", "kind" ("history"),
// "historyCount", "quantities", "entries", "sections" (the number of distinct section
// indices), "firstSection" and "lastSection" (only when there are entries), and "keys":
// per quantity its DescribedKey members and "sections", an array of objects with "section",
// "value", "position", "evalMode", "aux", "limit", "mean".
std::string Json(const CKelValueStore& store, const std::string& path,
                 const CDtParamInstance& params);

}  // namespace HistoryDescriber
