#pragma once
// Results of a mode, a location or a whole part, and how a mode without result is read.

#include <cstdint>

namespace NorviDefs {

enum result_t : int32_t {
  result_nok = 0,       // errors present
  result_ok = 1,        // no errors, mode measured with stored values
  result_none = 2,      // no result: not measured, canceled, still running, nothing stored
  result_syserror = 3,  // a system fault (severity 10 without a severity-table entry)
};

// Display colour of a result. Severity-table entries may bring other values.
enum result_color_t : int32_t {
  color_none = 0,
  color_ok = 1,
  color_running = 2,
  color_nok = 4,
  color_syserror = 5,
};

}  // namespace NorviDefs

namespace Kelva {

// How ResultRequest reads a mode that has no result.
enum not_eval_interpretation_t : int32_t {
  ne_no_result = 0,  // stays result_none
  ne_as_ok = 1,      // counts as result_ok
  ne_as_error = 2,   // becomes an error (the not-evaluated code) and result_nok
};

}  // namespace Kelva
