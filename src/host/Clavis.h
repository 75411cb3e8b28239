#pragma once
// CClavis: the host's key of a measured quantity (the six fields of SClavis: mode, instrument,
// channel, location, parameter, sensor), as the host's dialogs keep it. It converts field by
// field to and from the library's QClavis, and it persists itself in a resource store as the
// first six fields of a named entry.

#include <string>

#include "host/MeasuringResult.h"
#include "host/Sea.h"
#include "store/Keys.h"

class CClavis : public SClavis {
 public:
  // All six fields -1.
  CClavis() = default;
  explicit CClavis(const SClavis& fields) : SClavis(fields) {}
  explicit CClavis(const QClavis& key);

  QClavis ToQClavis() const;

  // write = false: reads the key from fields 0 … 5 of the entry `name` of `sea`; a field that
  // is missing or not a number reads as -1. Returns whether the entry exists (a missing entry
  // leaves every field -1).
  // write = true: writes the six fields into the entry (creating it); returns true.
  bool SeaLookup(CSeaBase& sea, const std::string& name, bool write);

  bool operator==(const CClavis& other) const { return ToQClavis() == other.ToQClavis(); }
};
