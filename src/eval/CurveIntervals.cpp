#include "eval/CurveIntervals.h"

bool CCurveIntervals::process(unsigned /*pass*/) {
  return false;
}
