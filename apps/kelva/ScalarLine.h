#pragma once
// The most common line of a measurement log, a single value or a track point
// ({"measured":"scalar", ...}), read in one pass without building a tree of values: a
// reference part has tens of thousands of them.
//
// Only a line that is plainly valid is taken: its members in any order, each at most once,
// none unknown, no set points, no escapes in its texts, every number in its range and written
// so that its value is exact without a full conversion. Any other line is left to the general
// reader (CJsonLine and CLogFields), which takes it or names what is wrong; so a line gives the
// same value, or the same error, whichever way it is read.

#include <string_view>

#include "host/MeasuringResult.h"

// Reads `line` into `value` (which must be default-constructed); false when the line is not
// one this reader takes, with `value` then in no defined state.
bool ReadScalarLine(std::string_view line, CMeasuringResultScalar& value);
