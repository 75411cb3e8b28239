#pragma once
// Where the parts of a run come from: the simulator or a measurement log.

#include <string>

#include "PartRecord.h"

class CPartSource {
 public:
  virtual ~CPartSource() = default;
  // The next part. False at the end, with `error` empty; false with `error` saying what is
  // wrong when the source refuses the next part (nothing of it is handed out).
  virtual bool Next(PartRecord& part, std::string& error) = 0;
  // The platform (station) name the parts come from ("" when not known yet).
  virtual std::string Platform() const = 0;
};
