#include "eval/CurveTrackDeviation.h"

bool CCurveTrackDeviation::process(unsigned /*pass*/) {
  return false;
}
