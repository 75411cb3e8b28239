#include "eval/TrackRegression.h"

bool CTrackRegression::process(unsigned /*pass*/) {
  return false;
}
