#include "eval/TrackIntervals.h"

bool CTrackIntervals::process(unsigned /*pass*/) {
  return false;
}
