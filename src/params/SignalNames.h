#pragma once
// CSignalNames: a display name for every y channel of a signal, from the application-signal
// names of the parameter database. Offered to the host's other modules.

#include <map>
#include <string>
#include <vector>

#include "host/Description.h"

class CSignalNames {
 public:
  CSignalNames();
  explicit CSignalNames(const CDescription& description);
  CSignalNames(const CSignalNames&) = default;
  CSignalNames& operator=(const CSignalNames&) = default;
  ~CSignalNames() = default;

  // Rebuilds the names: channel i -> "CAN" for a bus value, "<high> | <low>" for a combined
  // channel, else the name of its signal; "—" for a signal without name, and " (<id>)" after
  // each signal name when the parameter database shows ids.
  void set(const CDescription& description);
  // With the flag set, set() also adds the entry -1 -> "—".
  void add_invalid(bool add) { addInvalid_ = add; }
  const std::map<int, std::string>& names() const { return map_; }

 private:
  std::vector<std::string> names_;
  std::map<int, std::string> map_;
  bool addInvalid_ = false;
};
