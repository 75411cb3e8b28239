#pragma once
// A quantity's key as the file descriptions show it: each of the six fields by its id, with the
// installed plan's name of that id beside it when the plan knows one. Without a plan (or for an
// id the plan does not name) only the id is shown, so a description never guesses a name.

#include <string>

#include "host/Params.h"
#include "store/Keys.h"

namespace DescribedKey {

// The field names in key order: mode, instrument, channel, location, parameter, sensor.
extern const char* const kFieldNames[6];

// The plan's name of field `field` (0 … 5 in key order) of `key`; "" when it has none.
std::string FieldName(const CDtParamInstance& params, const QClavis& key, int field);

// For a person: `mode 1 "Run-up 2nd gear drive", instrument 1 "Body sound level", ...`;
// a field without a name is its id alone (`parameter 100`).
std::string Text(const CDtParamInstance& params, const QClavis& key);

// For a program: `"key":[1,1,1,1,100,2]`, followed by `,"names":{"mode":"...",...}` with the
// fields that have a name (no "names" member when none has).
std::string JsonMembers(const CDtParamInstance& params, const QClavis& key);

}  // namespace DescribedKey
