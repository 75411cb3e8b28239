#include "eval/CurveDeviation.h"

bool CCurveDeviation::process(unsigned /*pass*/) {
  return false;
}
