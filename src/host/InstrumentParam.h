#pragma once
// QVInstrumentParam: the parameter-database record of one instrument parameter (the result of
// an instrument that a key's `parameter` field names).

#include <cstdint>
#include <string>

struct QVInstrumentParam {
  // Which limits a quantity is evaluated against.
  enum eval_mode_t : int32_t {
    eval_none = 0,      // no evaluation
    eval_lower = 1,     // lower limit
    eval_upper = 2,     // upper limit
    eval_interval = 3,  // lower and upper limit
  };

  int32_t instrument = -1;  // the instrument the parameter belongs to
  eval_mode_t evalMode = eval_none;
  std::string name;
  int32_t trigger = -1;  // trigger the parameter is tracked over; -1: not a track
};
